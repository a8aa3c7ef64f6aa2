// Interrupt, termination, hang-up and quit requests, turned into a flag that long work polls so it can clean up
// and leave.
#pragma once

namespace platform {

// The customary exit statuses after each request: 128 and the signal's number.
inline constexpr int kHangUpStatus = 129;
inline constexpr int kInterruptedStatus = 130;
inline constexpr int kQuitStatus = 131;
inline constexpr int kTerminatedStatus = 143;

// From now on, Ctrl+C, Ctrl+\, hang-up and termination requests no longer end the program; they set the flag
// instead (on POSIX, those the program was started ignoring stay ignored). Blocking waits in this layer
// (platform/child_process.h) return early when it is set.
void WatchInterrupts();
// Restores the default handling and clears the flag.
void StopWatchingInterrupts();
// 0 while no request has arrived; otherwise the status to exit with (one of the statuses above).
int InterruptStatus();

}  // namespace platform
