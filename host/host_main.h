// The host's entry: start-up, the show, and every way out.
#pragma once

#include "host/launch_dialog.h"

using ShowEntry = void (*)();

// Runs the program: builds the mode list, runs the dialog, opens sound and display, presents the black frame,
// runs the show and shuts down. Returns the process's exit status (0 on every path). With the real-time backend
// the paths after the dialog end the process inside (platform::ExitProcess calls std::exit); with the headless
// backend and the test fakes ExitProcess throws platform::ProcessExit, which this catches.
// show is RunShow but for tests.
int HostMain(LaunchDialog& dialog, ShowEntry show);
int HostMain(LaunchDialog& dialog);

// Every variable of the host, the display and the interface block back to its start value, for programs and
// tests that run the host more than once in a process.
void ResetHostState();
