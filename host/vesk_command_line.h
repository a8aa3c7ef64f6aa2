// The real-time program's command line, the same on every platform: --run, --mode, --windowed, --nosound,
// --stretch and --record-trace.
#pragma once

#include <string>

#include "host/launch_options.h"

struct VeskCommandLine {
  LaunchPreset preset;
  bool stretch = false;
  std::string tracePath;
};

// Reads argv. Returns -1 to go on with the show; otherwise the status to end with at once: 0 after --help (the
// help in *text), 2 after a bad option (the message in *text). The toolkit's own options (GTK's --display and the
// like) are let through when toolkitOptions is set.
int ParseVeskCommandLine(int argc, char** argv, bool toolkitOptions, VeskCommandLine& line, std::string* text);
