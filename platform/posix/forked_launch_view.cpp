// The launch view in a forked child: the choice comes back through a pipe as plain bytes.
#include "platform/posix/forked_launch_view.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "platform/interrupt.h"

namespace platform {

namespace {

// The wait is cut into slices so that an interrupt request, which may land on another thread, is noticed soon.
constexpr int kSliceMs = 20;
constexpr size_t kAnswerBytes = sizeof(LaunchChoice);
static_assert(std::is_trivially_copyable_v<LaunchChoice>, "the choice crosses the pipe as its bytes");

// The offer as bytes for the socket: the number of modes, each as its length and its bytes, then the selection and
// the two ticks.
std::string Serialise(const LaunchOffer& offer) {
  std::string bytes;
  const auto put = [&bytes](const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); };
  const auto count = static_cast<uint32_t>(offer.modes.size());
  put(&count, sizeof count);
  for (const std::string& mode : offer.modes) {
    const auto length = static_cast<uint32_t>(mode.size());
    put(&length, sizeof length);
    put(mode.data(), mode.size());
  }
  put(&offer.selection, sizeof offer.selection);
  put(&offer.windowed, sizeof offer.windowed);
  put(&offer.nosound, sizeof offer.nosound);
  return bytes;
}

// The offer back from Serialise's bytes; false when they are not a whole offer.
bool Deserialise(const std::string& bytes, LaunchOffer& offer) {
  size_t at = 0;
  const auto take = [&](void* data, size_t size) {
    if (bytes.size() - at < size) return false;
    std::memcpy(data, bytes.data() + at, size);
    at += size;
    return true;
  };
  uint32_t count = 0;
  if (!take(&count, sizeof count)) return false;
  offer.modes.clear();
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = 0;
    if (!take(&length, sizeof length) || bytes.size() - at < length) return false;
    offer.modes.emplace_back(bytes.data() + at, length);
    at += length;
  }
  return take(&offer.selection, sizeof offer.selection) && take(&offer.windowed, sizeof offer.windowed) &&
         take(&offer.nosound, sizeof offer.nosound) && at == bytes.size();
}

// Writes all of bytes to fd; false when it fails first. A socket is written with send, which fails on a peer that
// is gone rather than raising SIGPIPE.
bool WriteAll(int fd, const char* bytes, size_t size, bool socket = false) {
  for (size_t done = 0; done < size;) {
    const ssize_t put =
        socket ? send(fd, bytes + done, size - done, MSG_NOSIGNAL) : write(fd, bytes + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

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
  _exit(WriteAll(fd, reinterpret_cast<const char*>(&choice), kAnswerBytes) ? 0 : 1);
}

// In a child started early: the offer, read to the end of its pipe, then as Answer. Without an offer it goes.
[[noreturn]] void AwaitOffer(LaunchView& inner, int offerFd, int answerFd, pid_t parent) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(offerFd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) _exit(1);
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  LaunchOffer offer;
  if (bytes.empty() || !Deserialise(bytes, offer)) _exit(0);
  Answer(inner, offer, answerFd, parent);
}

// Waits for the child to end, however long that takes; an interrupt request does not cut this short.
void Reap(pid_t child) {
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ForkedLaunchView::~ForkedLaunchView() {
  if (waiting_ > 0) {
    close(offerFd_);
    close(answerFd_);
    Reap(waiting_);
  }
  if (leaving_ > 0) Reap(leaving_);
}

void ForkedLaunchView::StartEarly() {
  if (waiting_ > 0) return;
  // The offer goes through a socket, so that sending it to a child that is gone fails instead of raising SIGPIPE.
  int offer[2], answer[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, offer) != 0) return;
  if (pipe2(answer, O_CLOEXEC) != 0) {
    close(offer[0]);
    close(offer[1]);
    return;
  }
  const pid_t parent = getpid();
  const pid_t child = fork();
  if (child == 0) {
    close(offer[1]);
    close(answer[0]);
    AwaitOffer(inner_, offer[0], answer[1], parent);
  }
  close(offer[0]);
  close(answer[1]);
  if (child < 0) {
    close(offer[1]);
    close(answer[0]);
    return;
  }
  waiting_ = child;
  offerFd_ = offer[1];
  answerFd_ = answer[0];
}

LaunchChoice ForkedLaunchView::Run(const LaunchOffer& offer) {
  if (leaving_ > 0) Reap(leaving_);
  leaving_ = -1;
  if (InterruptStatus() != 0) return {};
  if (waiting_ > 0) {
    const pid_t child = waiting_;
    const int answerFd = answerFd_;
    waiting_ = -1;
    // Sent whole, then closed: the child reads to the end. One that is gone already cannot take it, and the wait
    // below finds no answer.
    const std::string bytes = Serialise(offer);
    WriteAll(offerFd_, bytes.data(), bytes.size(), true);
    close(offerFd_);
    offerFd_ = -1;
    answerFd_ = -1;
    return Await(child, answerFd);
  }
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
  return Await(child, fds[0]);
}

LaunchChoice ForkedLaunchView::Await(pid_t child, int answerFd) {
  char answer[kAnswerBytes];
  size_t got = 0;
  bool reaped = false;
  pollfd readable{answerFd, POLLIN, 0};
  while (got < kAnswerBytes && InterruptStatus() == 0) {
    const int ready = poll(&readable, 1, reaped ? 0 : kSliceMs);
    if (ready > 0) {
      const ssize_t count = read(answerFd, answer + got, kAnswerBytes - got);
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
  close(answerFd);
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
