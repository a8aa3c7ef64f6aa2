// Ctrl+C and termination requests, turned into a flag that long work polls so it can clean up and leave.
#pragma once

namespace platform {

// The customary exit statuses after an interrupt (Ctrl+C) and a termination request.
inline constexpr int kInterruptedStatus = 130;
inline constexpr int kTerminatedStatus = 143;

// From now on, Ctrl+C and termination requests no longer end the program; they set the flag instead. Blocking
// waits in this layer (platform/child_process.h) return early when it is set.
void WatchInterrupts();
// Restores the default handling and clears the flag.
void StopWatchingInterrupts();
// 0 while no request has arrived; otherwise the status to exit with (kInterruptedStatus or kTerminatedStatus).
int InterruptStatus();

}  // namespace platform
