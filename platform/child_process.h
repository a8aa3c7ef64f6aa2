// Running a helper program (the video encoder) with a pipe into its standard input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
 public:
  enum class Result {
    kDone,         // written, or the child ended (exitCode set)
    kClosed,       // the child stopped reading: it ended or closed its input
    kTimedOut,     // nothing moved for the whole timeout
    kInterrupted,  // an interrupt request arrived (platform/interrupt.h)
  };

  ChildProcess();
  ~ChildProcess();  // stops the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts arguments[0], looked up on PATH, with the rest as its arguments. Its standard input is a pipe from
  // this process when withInput is true, otherwise empty; its standard output and error are this process's.
  // No other file of this process is inherited. The child does not see the terminal's Ctrl+C: it is stopped
  // through Stop. On Linux it is killed when the thread that started it ends, with the process or alone.
  // Returns false with a message in error.
  bool Start(const std::vector<std::string>& arguments, bool withInput, std::string& error);
  // Writes all bytes into the child's input, giving up when the child takes nothing for timeoutMs.
  Result Write(const void* data, size_t bytes, int32_t timeoutMs);
  // Ends the child's input, as at the end of a file.
  void CloseInput();
  // Waits up to timeoutMs for the child to end; on kDone, exitCode is its status (-1 when killed by a signal).
  Result Wait(int32_t timeoutMs, int& exitCode);
  // Ends the child at once and waits for it to go. Does nothing when it is not running.
  void Stop();
  bool running() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// True when a program of that name can be started from PATH.
bool ProgramOnPath(const std::string& name);

// True when this process's standard output is a pipe or socket that nothing reads any more: what a child
// writing there met as a broken pipe, whatever status it ended with.
bool StandardOutputClosed();

}  // namespace platform
