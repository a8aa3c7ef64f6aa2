// The launch view in a forked child: the choice comes back through a pipe as plain bytes.
#include "platform/posix/forked_launch_view.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstring>
#include <type_traits>

#include "platform/interrupt.h"

namespace platform {

namespace {

// The wait is cut into slices so that an interrupt request, which may land on another thread, is noticed soon.
constexpr int kSliceMs = 20;
constexpr size_t kAnswerBytes = sizeof(LaunchChoice);
static_assert(std::is_trivially_copyable_v<LaunchChoice>, "the choice crosses the pipe as its bytes");

// In the child: the dialog, its answer, and out without this process's exit handlers or buffered output. On Linux
// the child dies with the thread that started it, so a killed show leaves no dialog behind.
[[noreturn]] void Answer(LaunchView& inner, const LaunchOffer& offer, int fd, pid_t parent) {
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);
#else
  (void)parent;
#endif
  LaunchChoice choice;
  try {
    choice = inner.Run(offer);
  } catch (...) {
    _exit(1);
  }
  const char* bytes = reinterpret_cast<const char*>(&choice);
  for (size_t done = 0; done < kAnswerBytes;) {
    const ssize_t put = write(fd, bytes + done, kAnswerBytes - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) _exit(1);
    done += static_cast<size_t>(put);
  }
  _exit(0);
}

// Waits for the child to end, however long that takes; an interrupt request does not cut this short.
void Reap(pid_t child) {
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ForkedLaunchView::~ForkedLaunchView() {
  if (leaving_ > 0) Reap(leaving_);
}

LaunchChoice ForkedLaunchView::Run(const LaunchOffer& offer) {
  if (leaving_ > 0) Reap(leaving_);
  leaving_ = -1;
  if (InterruptStatus() != 0) return {};
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return inner_.Run(offer);
  const pid_t parent = getpid();
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    Answer(inner_, offer, fds[1], parent);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    return inner_.Run(offer);
  }
  char answer[kAnswerBytes];
  size_t got = 0;
  bool reaped = false;
  pollfd readable{fds[0], POLLIN, 0};
  while (got < kAnswerBytes && InterruptStatus() == 0) {
    const int ready = poll(&readable, 1, reaped ? 0 : kSliceMs);
    if (ready > 0) {
      const ssize_t count = read(fds[0], answer + got, kAnswerBytes - got);
      if (count > 0) {
        got += static_cast<size_t>(count);
        continue;
      }
      if (count < 0 && errno == EINTR) continue;
      break;  // the pipe ended, or failed, before a whole answer
    }
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || reaped) break;
    // A copy of the child's end of the pipe in another process would hide its end from the pipe; the child's own
    // end shows here. What it wrote before it went is still read above.
    reaped = waitpid(child, nullptr, WNOHANG) == child;
  }
  close(fds[0]);
  LaunchChoice choice;
  if (got < kAnswerBytes) {
    if (!reaped) {
      kill(child, SIGKILL);
      Reap(child);
    }
    return choice;
  }
  if (trace_ != nullptr) trace_("launch-answered");
  if (!reaped && waitpid(child, nullptr, WNOHANG) != child) leaving_ = child;
  std::memcpy(&choice, answer, kAnswerBytes);
  return choice;
}

}  // namespace platform
