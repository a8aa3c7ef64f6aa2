// Interrupt requests on POSIX: SIGINT and SIGTERM set a flag; blocking calls see EINTR, as SA_RESTART is not set.
#include "platform/interrupt.h"

#include <signal.h>

namespace platform {

namespace {

volatile sig_atomic_t requested = 0;

void OnSignal(int signal) { requested = signal == SIGINT ? kInterruptedStatus : kTerminatedStatus; }

void Handle(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

void WatchInterrupts() {
  requested = 0;
  Handle(OnSignal);
}

void StopWatchingInterrupts() {
  Handle(SIG_DFL);
  requested = 0;
}

int InterruptStatus() { return requested; }

}  // namespace platform
