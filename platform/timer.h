// The periodic multimedia timer that drives the show's clock.
#pragma once

#include <cstdint>

namespace platform {

using TimerCallback = void (*)(uint32_t timerId, uint32_t message, uintptr_t user, uintptr_t reserved1,
                               uintptr_t reserved2);

inline constexpr uint32_t kTimePeriodic = 1;

// Asks for (and gives back) a timer resolution of the given milliseconds for the process.
uint32_t TimeBeginPeriod(uint32_t periodMs);
uint32_t TimeEndPeriod(uint32_t periodMs);
// Starts a timer that calls back every delayMs (flags kTimePeriodic). The callback may run on another thread
// (real time) or inside the backend's own calls (headless, fakes). Returns the timer's id, 0 on failure.
uint32_t TimeSetEvent(uint32_t delayMs, uint32_t resolutionMs, TimerCallback callback, uintptr_t user,
                      uint32_t flags);
// Stops the timer; once it returns, the callback does not run again. Returns 0 on success.
uint32_t TimeKillEvent(uint32_t timerId);

}  // namespace platform
