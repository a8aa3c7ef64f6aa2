// The periodic timer on a thread of its own, on a fixed grid of deadlines, stopped at the latest when the process exits.
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sdl/periodic_schedule.h"
#include "platform/timer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct PeriodicTimer {
  uint32_t id = 0;
  platform::TimerCallback callback = nullptr;
  uintptr_t user = 0;
  Clock::duration period{};
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::thread thread;

  void Run() {
    Clock::time_point deadline = Clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      if (wake.wait_until(lock, deadline, [this] { return stopping; })) return;
      // The callback only adds to the clock, so running it with the lock held cannot deadlock, and it keeps a
      // kill from returning while a period is being delivered.
      callback(id, 0, user, 0, 0);
      deadline = sdlbackend::NextPeriodDeadline(deadline, Clock::now(), period);
    }
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    wake.notify_all();
    if (thread.joinable()) thread.join();
  }
};

struct TimerRegistry {
  std::mutex mutex;
  std::map<uint32_t, std::unique_ptr<PeriodicTimer>> timers;
  uint32_t nextId = 1;
};

// Never destroyed: the exit handler below may still need it after other statics are gone.
TimerRegistry& Registry() {
  static TimerRegistry* registry = new TimerRegistry;
  return *registry;
}

// A timer the host leaves running on its normal way out must not outlive the data it writes.
void StopAllTimers() {
  TimerRegistry& registry = Registry();
  std::map<uint32_t, std::unique_ptr<PeriodicTimer>> timers;
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    timers.swap(registry.timers);
  }
  for (auto& [id, timer] : timers) timer->Stop();
}

}  // namespace

namespace platform {

// Linux timers are already fine-grained; there is no process-wide resolution to set.
uint32_t TimeBeginPeriod(uint32_t) { return 0; }
uint32_t TimeEndPeriod(uint32_t) { return 0; }

uint32_t TimeSetEvent(uint32_t delayMs, uint32_t /*resolutionMs*/, TimerCallback callback, uintptr_t user,
                      uint32_t flags) {
  if (callback == nullptr || delayMs == 0 || (flags & kTimePeriodic) == 0) return 0;
  static bool stopAtExit = false;
  if (!stopAtExit) {
    std::atexit(StopAllTimers);
    stopAtExit = true;
  }
  TimerRegistry& registry = Registry();
  auto timer = std::make_unique<PeriodicTimer>();
  timer->callback = callback;
  timer->user = user;
  timer->period = std::chrono::milliseconds(delayMs);
  PeriodicTimer* started = timer.get();
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    timer->id = registry.nextId++;
    registry.timers.emplace(timer->id, std::move(timer));
  }
  started->thread = std::thread([started] { started->Run(); });
  return started->id;
}

uint32_t TimeKillEvent(uint32_t timerId) {
  TimerRegistry& registry = Registry();
  std::unique_ptr<PeriodicTimer> timer;
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.timers.find(timerId);
    if (found == registry.timers.end()) return 1;
    timer = std::move(found->second);
    registry.timers.erase(found);
  }
  timer->Stop();
  return 0;
}

}  // namespace platform
