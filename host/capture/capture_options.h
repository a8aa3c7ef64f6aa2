// The settings of a headless capture and how they are read from the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class VideoQuality {
  kFast,      // H.264 4:2:0, quick to make and plays everywhere; colours may smear across pixel edges
  kStandard,  // H.264 4:4:4, visually lossless, every pixel sharp
  kArchive,   // FFV1 at 320x200 with FLAC sound in Matroska: every frame decodes to the exact pixels shown
};

struct CaptureOptions {
  uint32_t fps = 60;
  uint32_t startupMs = 0;
  bool nosound = false;
  int32_t width = 1600;
  int32_t height = 1200;
  std::string framesDir;   // a PNG per presented frame
  std::string videoFile;   // through the ffmpeg program; "-" for standard output
  VideoQuality quality = VideoQuality::kStandard;
  std::string container;   // "mp4", "mkv" or "mov"; empty: the video file's extension says
  std::string audioFile;   // WAV; "-" for standard output
  std::string traceFile;   // "-" for standard output
  std::optional<double> fromSeconds;
  std::optional<double> toSeconds;
  std::string verifyFile;  // a frame trace to replay and check instead of capturing
  std::string dumpDir;     // where the verifier puts pictures of the differing frames it lists
  uint64_t maxReport = 10; // differing frames the verifier lists one by one
  bool progress = true;    // a progress line when standard error is a terminal
  // The screen is drawn even when no output looks at it: what skipping that work saves can then be measured.
  bool drawUnwatchedScreen = false;
  // How long the encoder may take no frame before the capture gives up on it.
  int32_t encoderTimeoutMs = 30000;
};

// The ffmpeg format of a video: the container named, or else the one the file's extension names, when it can
// hold that quality; empty when it cannot (kAcceptedContainers says what can).
std::string VideoFormat(const std::string& path, const std::string& container, VideoQuality quality);
extern const char* const kAcceptedContainers;

// Reads the options. Returns -1 to go on with the capture, otherwise the status to exit with at once (0 after
// --help, kStatusBadOption after a bad option, with its message on standard error).
int ParseCaptureOptions(int argc, char** argv, CaptureOptions& options);
