// The settings of a headless capture and how they are read from the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct CaptureOptions {
  uint32_t fps = 60;
  uint32_t startupMs = 0;
  bool nosound = false;
  int32_t width = 1600;
  int32_t height = 1200;
  std::string framesDir;   // a PNG per presented frame
  std::string videoFile;   // H.264 and AAC through ffmpeg
  std::string audioFile;   // WAV
  std::string traceFile;   // "-" for standard output
  std::optional<double> fromSeconds;
  std::optional<double> toSeconds;
  std::string verifyFile;  // a frame trace to replay and check instead of capturing
  bool progress = true;    // a progress bar when standard error is a terminal
};

// Reads the options. Returns -1 to go on with the capture, otherwise the status to exit with at once (0 after
// --help, 2 after a bad option, with its message on standard error).
int ParseCaptureOptions(int argc, char** argv, CaptureOptions& options);
