// The real-time program's command line, the same on every platform: --run, --mode, --windowed, --nosound,
// --stretch, --scale, --max-fps and --record-trace.
#pragma once

#include <string>

#include "display/presentation.h"
#include "host/launch_options.h"
#include "platform/video.h"

struct VeskCommandLine {
  LaunchPreset preset;
  bool stretch = false;
  PictureScale scale = PictureScale::kSharp;
  int32_t maxFps = platform::kDefaultMaxPresentRate;  // 0: present at every vertical blank
  std::string tracePath;
};

// What differs between the platforms' programs.
struct CommandLineHost {
  bool toolkitOptions = false;        // let the toolkit's own options through (GTK's --display and the like)
  const char* environment = nullptr;  // the help's lines on the environment variables the platform reads
  const char* keys = nullptr;         // the help's lines on the keys the show reads beyond Escape
};

// Reads argv. Returns -1 to go on with the show; otherwise the status to end with at once: 0 after --help (the
// help in *text), 2 after a bad option (the message in *text).
int ParseVeskCommandLine(int argc, char** argv, const CommandLineHost& host, VeskCommandLine& line,
                         std::string* text);
