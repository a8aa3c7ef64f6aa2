// Child processes on Windows: CreateProcess with an overlapped named pipe into the child's input, only the three
// standard handles inherited, a process group of its own; writes and waits in slices so interrupts are seen.
#include "platform/child_process.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "platform/interrupt.h"

namespace platform {

namespace {

// Long waits are cut into slices so an interrupt request is noticed quickly.
constexpr DWORD kSliceMs = 100;
constexpr DWORD kPipeBytes = 1 << 16;

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// One argument as the C runtime's command-line parser reads it back: quoted when it has spaces, tabs or quotes,
// with backslashes doubled only where they precede a quote.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

std::string SystemMessage(DWORD code) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                 nullptr);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

HANDLE Inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

void CloseIfOpen(HANDLE& handle) {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = nullptr;
}

}  // namespace

struct ChildProcess::State {
  HANDLE process = nullptr;
  HANDLE input = nullptr;  // this side of the pipe, overlapped
  HANDLE written = nullptr;  // the event of a write under way
};

ChildProcess::ChildProcess() : state_(std::make_unique<State>()) {}

ChildProcess::~ChildProcess() {
  CloseInput();
  Stop();
}

bool ChildProcess::running() const { return state_->process != nullptr; }

bool ChildProcess::Start(const std::vector<std::string>& arguments, bool withInput, std::string& error) {
  if (arguments.empty() || running()) {
    error = "nothing to start";
    return false;
  }
  HANDLE childInput = nullptr;
  HANDLE ours = nullptr;
  if (withInput) {
    // An anonymous pipe cannot time out a write; a named one opened for overlapped writes can.
    static std::atomic<unsigned> serial{0};
    const std::string name = "\\\\.\\pipe\\vesk-child-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(serial.fetch_add(1));
    ours = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                            PIPE_TYPE_BYTE | PIPE_WAIT, 1, kPipeBytes, 0, 0, nullptr);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (ours != INVALID_HANDLE_VALUE) {
      childInput = CreateFileA(name.c_str(), GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr);
    }
  } else {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    childInput = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
  }
  if (childInput == nullptr || childInput == INVALID_HANDLE_VALUE) {
    error = "cannot make a pipe: " + SystemMessage(GetLastError());
    CloseIfOpen(ours);
    return false;
  }
  HANDLE childOutput = Inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
  HANDLE childError = Inheritable(GetStdHandle(STD_ERROR_HANDLE));

  // Only these handles reach the child, whatever else of this process is inheritable.
  HANDLE handles[3];
  DWORD handleCount = 0;
  for (HANDLE h : {childInput, childOutput, childError}) {
    if (h != nullptr) handles[handleCount++] = h;
  }
  SIZE_T listBytes = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &listBytes);
  std::vector<uint8_t> list(listBytes);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.data());
  const bool listed = InitializeProcThreadAttributeList(attributes, 1, 0, &listBytes) &&
                      UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                                handleCount * sizeof(HANDLE), nullptr, nullptr);
  STARTUPINFOEXA startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = childInput;
  startup.StartupInfo.hStdOutput = childOutput;
  startup.StartupInfo.hStdError = childError;
  if (listed) startup.lpAttributeList = attributes;

  std::string commandLine;
  for (const std::string& argument : arguments) {
    if (!commandLine.empty()) commandLine.push_back(' ');
    commandLine += Quoted(argument);
  }
  PROCESS_INFORMATION started = {};
  // A process group of its own keeps the console's Ctrl+C away from the child: it is stopped through Stop.
  const DWORD flags = CREATE_NEW_PROCESS_GROUP | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
  const BOOL ok = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                 &startup.StartupInfo, &started);
  const DWORD failure = GetLastError();
  if (listed) DeleteProcThreadAttributeList(attributes);
  CloseIfOpen(childInput);
  CloseIfOpen(childOutput);
  CloseIfOpen(childError);
  if (!ok) {
    CloseIfOpen(ours);
    error = "cannot run " + arguments[0] + ": " + SystemMessage(failure);
    return false;
  }
  CloseHandle(started.hThread);
  state_->process = started.hProcess;
  if (withInput) {
    state_->input = ours;
    state_->written = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  return true;
}

ChildProcess::Result ChildProcess::Write(const void* data, size_t bytes, int32_t timeoutMs) {
  if (state_->input == nullptr) return Result::kClosed;
  const auto* at = static_cast<const uint8_t*>(data);
  auto lastProgress = Clock::now();
  while (bytes > 0) {
    if (InterruptStatus() != 0) return Result::kInterrupted;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = state_->written;
    ResetEvent(state_->written);
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes, kPipeBytes));
    DWORD done = 0;
    if (!WriteFile(state_->input, at, chunk, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) {
      return Result::kClosed;
    }
    // Waits for this write in slices; a write that makes no progress for the whole timeout is given up.
    for (;;) {
      if (GetOverlappedResult(state_->input, &overlapped, &done, FALSE)) break;
      if (GetLastError() != ERROR_IO_INCOMPLETE) return Result::kClosed;
      const int64_t left = timeoutMs - MsSince(lastProgress);
      if (InterruptStatus() != 0 || left <= 0) {
        CancelIoEx(state_->input, &overlapped);
        GetOverlappedResult(state_->input, &overlapped, &done, TRUE);
        return InterruptStatus() != 0 ? Result::kInterrupted : Result::kTimedOut;
      }
      WaitForSingleObject(state_->written, static_cast<DWORD>(std::min<int64_t>(left, kSliceMs)));
    }
    at += done;
    bytes -= done;
    if (done > 0) lastProgress = Clock::now();
  }
  return Result::kDone;
}

void ChildProcess::CloseInput() {
  CloseIfOpen(state_->input);
  CloseIfOpen(state_->written);
}

ChildProcess::Result ChildProcess::Wait(int32_t timeoutMs, int& exitCode) {
  if (!running()) return Result::kClosed;
  const auto start = Clock::now();
  for (;;) {
    const int64_t left = timeoutMs - MsSince(start);
    const DWORD slice = static_cast<DWORD>(std::max<int64_t>(0, std::min<int64_t>(left, kSliceMs)));
    if (WaitForSingleObject(state_->process, slice) == WAIT_OBJECT_0) {
      DWORD code = 0;
      exitCode = GetExitCodeProcess(state_->process, &code) ? static_cast<int>(code) : -1;
      CloseIfOpen(state_->process);
      return Result::kDone;
    }
    if (InterruptStatus() != 0) return Result::kInterrupted;
    if (MsSince(start) >= timeoutMs) return Result::kTimedOut;
  }
}

void ChildProcess::Stop() {
  if (!running()) return;
  TerminateProcess(state_->process, 1);
  WaitForSingleObject(state_->process, INFINITE);
  CloseIfOpen(state_->process);
}

bool ProgramOnPath(const std::string& name) {
  char found[MAX_PATH];
  return SearchPathA(nullptr, name.c_str(), ".exe", MAX_PATH, found, nullptr) != 0;
}

// An anonymous pipe's writer cannot ask whether its reader is still there; the muxer's status has to do.
bool StandardOutputClosed() { return false; }

}  // namespace platform
