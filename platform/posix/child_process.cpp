// Child processes on POSIX: fork and exec with a close-on-exec pipe, its own process group, death with this
// process, polled writes and waits.
#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/interrupt.h"

namespace platform {

namespace {

// Long waits are cut into slices so an interrupt request is noticed quickly.
constexpr int kSliceMs = 100;

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The file PATH finds for name, or name itself when it holds a slash; empty when there is none to run.
std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  const std::string dirs(path);
  for (size_t start = 0;;) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string file = (dir.empty() ? std::string(".") : dir) + "/" + name;
    struct stat info {};
    if (access(file.c_str(), X_OK) == 0 && stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return file;
    if (end == std::string::npos) return {};
    start = end + 1;
  }
}

// The forked child, up to its exec; only system calls from here on. Its own process group keeps the terminal's
// Ctrl+C away from it. On Linux it is killed when this process dies, however that happens, so a killed capture
// leaves no encoder running. The signal handling and mask this process set up for itself are undone.
[[noreturn]] void StartChild(const char* program, char* const* argv, int input, pid_t parent, int report) {
  setpgid(0, 0);
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The parent may have died before that took hold.
  if (getppid() != parent) _exit(127);
#else
  (void)parent;
#endif
  for (int s : {SIGPIPE, SIGINT, SIGTERM}) signal(s, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  const int in = input >= 0 ? input : open("/dev/null", O_RDONLY | O_CLOEXEC);
  // dup2 onto itself would keep close-on-exec set.
  const bool ready = in == STDIN_FILENO ? fcntl(in, F_SETFD, 0) == 0 : in >= 0 && dup2(in, STDIN_FILENO) >= 0;
  if (ready) execv(program, argv);
  const int failure = errno;
  while (write(report, &failure, sizeof failure) < 0 && errno == EINTR) {
  }
  _exit(127);
}

}  // namespace

struct ChildProcess::State {
  pid_t pid = -1;
  int input = -1;
};

ChildProcess::ChildProcess() : state_(std::make_unique<State>()) {}

ChildProcess::~ChildProcess() {
  CloseInput();
  Stop();
}

bool ChildProcess::running() const { return state_->pid > 0; }

bool ChildProcess::Start(const std::vector<std::string>& arguments, bool withInput, std::string& error) {
  if (arguments.empty() || running()) {
    error = "nothing to start";
    return false;
  }
  const std::string program = FindProgram(arguments[0]);
  if (program.empty()) {
    error = "cannot run " + arguments[0] + ": " + std::strerror(ENOENT);
    return false;
  }
  // A child that stops reading must show up as a failed write here, not end this program.
  signal(SIGPIPE, SIG_IGN);
  int input[2] = {-1, -1};
  int report[2] = {-1, -1};  // the child's errno when exec fails; closed unread by a successful exec
  if ((withInput && pipe2(input, O_CLOEXEC) != 0) || pipe2(report, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    for (int fd : {input[0], input[1]}) {
      if (fd >= 0) close(fd);
    }
    return false;
  }
  // Everything the child needs is made before the fork: between fork and exec only system calls are safe.
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    StartChild(program.c_str(), argv.data(), withInput ? input[0] : -1, parent, report[1]);
  }
  const int forkError = errno;
  close(report[1]);
  if (withInput) close(input[0]);
  int childError = 0;
  ssize_t got = -1;
  if (pid > 0) {
    while ((got = read(report[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
  }
  close(report[0]);
  if (pid < 0 || got > 0) {
    if (withInput) close(input[1]);
    if (pid > 0) {
      while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    error = "cannot run " + arguments[0] + ": " + std::strerror(pid < 0 ? forkError : childError);
    return false;
  }
  state_->pid = pid;
  if (withInput) {
    fcntl(input[1], F_SETFL, fcntl(input[1], F_GETFL) | O_NONBLOCK);
    state_->input = input[1];
  }
  return true;
}

ChildProcess::Result ChildProcess::Write(const void* data, size_t bytes, int32_t timeoutMs) {
  if (state_->input < 0) return Result::kClosed;
  const auto* at = static_cast<const uint8_t*>(data);
  auto lastProgress = Clock::now();
  while (bytes > 0) {
    if (InterruptStatus() != 0) return Result::kInterrupted;
    const ssize_t n = write(state_->input, at, bytes);
    if (n > 0) {
      at += n;
      bytes -= static_cast<size_t>(n);
      lastProgress = Clock::now();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Result::kClosed;
    const int64_t left = timeoutMs - MsSince(lastProgress);
    if (left <= 0) return Result::kTimedOut;
    pollfd p{state_->input, POLLOUT, 0};
    if (poll(&p, 1, static_cast<int>(std::min<int64_t>(left, kSliceMs))) > 0 && (p.revents & (POLLERR | POLLHUP))) {
      return Result::kClosed;
    }
  }
  return Result::kDone;
}

void ChildProcess::CloseInput() {
  if (state_->input >= 0) close(state_->input);
  state_->input = -1;
}

ChildProcess::Result ChildProcess::Wait(int32_t timeoutMs, int& exitCode) {
  if (!running()) return Result::kClosed;
  const auto start = Clock::now();
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(state_->pid, &status, WNOHANG);
    if (done == state_->pid || (done < 0 && errno != EINTR)) {
      state_->pid = -1;
      exitCode = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return Result::kDone;
    }
    if (InterruptStatus() != 0) return Result::kInterrupted;
    if (MsSince(start) >= timeoutMs) return Result::kTimedOut;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void ChildProcess::Stop() {
  if (!running()) return;
  kill(state_->pid, SIGKILL);
  int status = 0;
  while (waitpid(state_->pid, &status, 0) < 0 && errno == EINTR) {
  }
  state_->pid = -1;
}

bool ProgramOnPath(const std::string& name) { return !FindProgram(name).empty(); }

bool StandardOutputClosed() {
  pollfd p{STDOUT_FILENO, POLLOUT, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace platform
