// Interrupt requests on Windows: the console's Ctrl+C sets the flag for 130, Ctrl+Break and closing the console
// for 143.
#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

namespace platform {

namespace {

std::atomic<int> requested{0};

BOOL WINAPI OnControl(DWORD event) {
  requested = event == CTRL_C_EVENT ? kInterruptedStatus : kTerminatedStatus;
  return TRUE;
}

}  // namespace

void WatchInterrupts() {
  requested = 0;
  SetConsoleCtrlHandler(OnControl, TRUE);
}

void StopWatchingInterrupts() {
  SetConsoleCtrlHandler(OnControl, FALSE);
  requested = 0;
}

int InterruptStatus() { return requested; }

}  // namespace platform
