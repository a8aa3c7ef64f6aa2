// Child processes on POSIX: posix_spawn with a close-on-exec pipe, its own process group, polled writes and waits.
#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/interrupt.h"

extern char** environ;

namespace platform {

namespace {

// Long waits are cut into slices so an interrupt request is noticed quickly.
constexpr int kSliceMs = 100;

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
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
  // A child that stops reading must show up as a failed write here, not end this program.
  signal(SIGPIPE, SIG_IGN);
  int fds[2] = {-1, -1};
  if (withInput && pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (withInput) {
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group keeps the terminal's Ctrl+C away from it; the default signal handling and an empty
  // mask undo what this process set up for itself.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&defaults, s);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  const int failure = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (withInput) close(fds[0]);
  if (failure != 0) {
    if (withInput) close(fds[1]);
    error = "cannot run " + arguments[0] + ": " + std::strerror(failure);
    return false;
  }
  state_->pid = pid;
  if (withInput) {
    fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
    state_->input = fds[1];
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

bool ProgramOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  const std::string dirs(path);
  size_t start = 0;
  for (;;) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (access(((dir.empty() ? std::string(".") : dir) + "/" + name).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

}  // namespace platform
