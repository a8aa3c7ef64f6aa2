// os_services_check.exe: the Windows child processes, private files and terminal check under Wine. Started with
// "child ..." it plays the child's part itself. Prints one line per failed expectation; exits 0 when none failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/private_file.h"
#include "platform/terminal.h"

namespace {

using platform::ChildProcess;

constexpr size_t kMegabyte = 1 << 20;
constexpr int kCountModulus = 251;
const char* const kAwkwardArgument = "a b \"c\" d\\\\ e\\";

int failures = 0;

void Expect(bool condition, const char* what) {
  if (!condition) {
    std::printf("FAIL: %s\n", what);
    ++failures;
  }
}

// The child's parts: count standard input, end at once, never read, check its arguments.
int RunChild(int argc, char** argv) {
  const std::string role = argv[2];
  if (role == "count") {
    size_t total = 0;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) total += n;
    return static_cast<int>(total % kCountModulus);
  }
  if (role == "exit") return std::atoi(argv[3]);
  if (role == "sleep") {
    Sleep(60000);
    return 0;
  }
  if (role == "arguments") return argc == 5 && std::strcmp(argv[3], kAwkwardArgument) == 0 && argv[4][0] == 0 ? 0 : 1;
  return 2;
}

std::string Self() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "child") == 0) return RunChild(argc, argv);
  const std::string self = Self();
  const std::vector<uint8_t> data(kMegabyte, 7);
  std::string error;
  int exitCode = -1;
  {
    ChildProcess child;
    Expect(child.Start({self, "child", "count"}, true, error), "a child starts");
    Expect(child.Write(data.data(), data.size(), 10000) == ChildProcess::Result::kDone, "a megabyte is written");
    child.CloseInput();
    Expect(child.Wait(10000, exitCode) == ChildProcess::Result::kDone, "the counting child ends");
    Expect(exitCode == static_cast<int>(kMegabyte % kCountModulus), "the child read every byte and said so");
    Expect(!child.running(), "an ended child is not running");
  }
  {
    ChildProcess child;
    Expect(child.Start({self, "child", "exit", "3"}, true, error), "a child that reads nothing starts");
    Expect(child.Write(data.data(), data.size(), 10000) == ChildProcess::Result::kClosed,
           "writing to a child that ended reports it closed");
    Expect(child.Wait(10000, exitCode) == ChildProcess::Result::kDone && exitCode == 3, "its status is 3");
  }
  {
    ChildProcess child;
    Expect(child.Start({self, "child", "sleep"}, true, error), "a child that never reads starts");
    Expect(child.Write(data.data(), data.size(), 300) == ChildProcess::Result::kTimedOut,
           "a write the child never takes times out");
    Expect(child.Wait(100, exitCode) == ChildProcess::Result::kTimedOut, "a wait for a child still running times out");
    child.Stop();
    Expect(!child.running(), "a stopped child is gone");
  }
  {
    ChildProcess child;
    Expect(child.Start({self, "child", "arguments", kAwkwardArgument, ""}, false, error), "arguments pass");
    Expect(child.Wait(10000, exitCode) == ChildProcess::Result::kDone && exitCode == 0,
           "spaces, quotes, backslashes and an empty argument arrive unchanged");
  }
  {
    ChildProcess child;
    Expect(!child.Start({"vesk-no-such-program"}, true, error) && error.find("cannot run") == 0,
           "a missing program is a clear error");
    Expect(platform::ProgramOnPath("cmd") && !platform::ProgramOnPath("vesk-no-such-program"),
           "programs are found on PATH, missing ones are not");
  }
  char name[MAX_PATH];
  GetTempFileNameA(".", "vsk", 0, name);
  std::FILE* file = platform::OpenPrivateFileForWriting(name);
  Expect(file != nullptr && std::fputs("x", file) >= 0 && std::fclose(file) == 0, "a private file is written");
  DeleteFileA(name);
  Expect(!platform::StandardErrorIsTerminal(), "standard error sent to a file is no terminal");
  if (failures == 0) std::printf("PASS: child processes, private files, terminal\n");
  return failures == 0 ? 0 : 1;
}
