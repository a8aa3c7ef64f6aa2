// The periodic timer over WINMM's multimedia timers: the callback runs on the system's timer thread.
#include <windows.h>

#include <mmsystem.h>

#include "platform/timer.h"

namespace {

struct TimerRecord {
  platform::TimerCallback callback;
  uintptr_t user;
};

void CALLBACK Deliver(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2) {
  const auto* record = reinterpret_cast<const TimerRecord*>(user);
  record->callback(timerId, message, record->user, reserved1, reserved2);
}

}  // namespace

namespace platform {

uint32_t TimeBeginPeriod(uint32_t periodMs) { return timeBeginPeriod(periodMs); }
uint32_t TimeEndPeriod(uint32_t periodMs) { return timeEndPeriod(periodMs); }

uint32_t TimeSetEvent(uint32_t delayMs, uint32_t resolutionMs, TimerCallback callback, uintptr_t user,
                      uint32_t flags) {
  if (callback == nullptr || (flags & kTimePeriodic) == 0) return 0;
  // Kept for the life of the process: a period already under way when the timer is killed may still read it.
  auto* record = new TimerRecord{callback, user};
  const MMRESULT id = timeSetEvent(delayMs, resolutionMs, Deliver, reinterpret_cast<DWORD_PTR>(record),
                                   TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
  if (id == 0) delete record;
  return id;
}

uint32_t TimeKillEvent(uint32_t timerId) { return timeKillEvent(timerId); }

}  // namespace platform
