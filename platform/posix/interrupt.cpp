// Interrupt requests on POSIX: SIGHUP, SIGINT, SIGQUIT and SIGTERM set a flag for 128 + the signal.
#include "platform/interrupt.h"

#include <signal.h>

#include <iterator>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};
volatile sig_atomic_t requested = 0;
// Which signals are watched: one that was ignored when the program started stays ignored, as nohup and a
// shell's background jobs expect.
bool watched[std::size(kSignals)] = {};

void OnSignal(int signal) { requested = 128 + signal; }

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // Restarted calls: a request must not fail a write in progress (a trace streamed into a pipe); the waits that
  // must end early poll the flag in short slices instead.
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

}  // namespace

void WatchInterrupts() {
  requested = 0;
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    struct sigaction old {};
    sigaction(kSignals[i], nullptr, &old);
    watched[i] = old.sa_handler != SIG_IGN;
    if (watched[i]) Handle(kSignals[i], OnSignal);
  }
  // A reader of standard output that leaves early must show up as a failed write, so the other outputs are
  // cleaned up before the program ends as SIGPIPE would have ended it.
  signal(SIGPIPE, SIG_IGN);
}

void StopWatchingInterrupts() {
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    if (watched[i]) Handle(kSignals[i], SIG_DFL);
    watched[i] = false;
  }
  signal(SIGPIPE, SIG_DFL);
  requested = 0;
}

int InterruptStatus() { return requested; }

}  // namespace platform
