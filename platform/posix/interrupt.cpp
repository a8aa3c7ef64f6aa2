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
  // A reader of standard output that leaves early must show up as a failed write, so the other outputs are
  // cleaned up before the program ends as SIGPIPE would have ended it.
  signal(SIGPIPE, SIG_IGN);
}

void StopWatchingInterrupts() {
  Handle(SIG_DFL);
  signal(SIGPIPE, SIG_DFL);
  requested = 0;
}

int InterruptStatus() { return requested; }

}  // namespace platform
