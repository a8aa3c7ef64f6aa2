// Ending the process: the host's one way out, routed through the backend so that tests and capture can watch it.
#pragma once

namespace platform {

// The customary exit status of a program given options it does not understand.
inline constexpr int kBadOptionStatus = 2;

// The backends that must outlive the host (headless, the test fakes) throw this from ExitProcess; the host's
// entry (HostMain) catches it and returns the status. The real-time backend ends the process with std::exit.
struct ProcessExit {
  int status;
};

// Ends the program with the given status after the host has torn everything down. Never returns.
[[noreturn]] void ExitProcess(int status);

}  // namespace platform
