// The show's clock in the browser: whole 20 ms periods of the page's monotonic clock (performance.now).
#include <emscripten/emscripten.h>

#include <cmath>

#include "platform/timer.h"
#include "platform/web/web_internal.h"

namespace {

constexpr double kPeriodMs = 20.0;

struct Timer {
  platform::TimerCallback callback = nullptr;
  uintptr_t user = 0;
  uint32_t id = 0;
  double startMs = 0;
  uint64_t delivered = 0;
};

Timer timer;

}  // namespace

namespace web {

// The page runs one thread: the periods are delivered here, after each presented frame, so the clock the
// show reads stays what it was when the frame was handed over.
void DeliverTimerPeriods() {
  if (timer.callback == nullptr) return;
  const auto due = static_cast<uint64_t>(std::floor((emscripten_get_now() - timer.startMs) / kPeriodMs));
  while (timer.delivered < due && timer.callback != nullptr) {
    ++timer.delivered;
    timer.callback(timer.id, 0, timer.user, 0, 0);
  }
}

}  // namespace web

namespace platform {

uint32_t TimeBeginPeriod(uint32_t) { return 0; }
uint32_t TimeEndPeriod(uint32_t) { return 0; }

uint32_t TimeSetEvent(uint32_t delayMs, uint32_t, TimerCallback callback, uintptr_t user, uint32_t flags) {
  if (callback == nullptr || delayMs != 20 || flags != kTimePeriodic || timer.callback != nullptr) return 0;
  timer = Timer{callback, user, 1, emscripten_get_now(), 0};
  return timer.id;
}

uint32_t TimeKillEvent(uint32_t timerId) {
  if (timerId == 0 || timerId != timer.id) return 1;
  timer = Timer{};
  return 0;
}

}  // namespace platform
