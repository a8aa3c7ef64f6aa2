// Checking a frame trace against the show: its clock readings and music orders replayed, every frame compared.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

inline constexpr int kVerifyMatch = 0;
inline constexpr int kVerifyMismatch = 1;
inline constexpr int kVerifyMalformed = 2;

// A frame that differs from its record: the record's index, and palette and frame as the show draws them now and
// as the trace holds them (valid during the call only).
struct FrameDifference {
  uint64_t index;
  const uint8_t* replayedPalette;
  const uint8_t* replayedFrame;
  const uint8_t* recordedPalette;
  const uint8_t* recordedFrame;
};

struct VerifySettings {
  // Differing frames listed one by one (and shown); the rest are only counted.
  uint64_t maxReport = 10;
  // Called for each listed differing frame. A std::exception it throws is reported, and nothing more is shown.
  std::function<void(const FrameDifference&)> show;
};

// Replays the trace at path from its start-up frame: the show runs with the clock reading, before each frame, what
// the trace recorded for that frame, and the pictures see the recorded music orders. Each presented frame is
// compared with its record (who presented it, palette, frame). Each differing frame is reported on out with its
// index, stage and the number of differing bytes, followed by a summary line. Returns kVerifyMatch,
// kVerifyMismatch, or kVerifyMalformed (the reason on err) when the file is not a whole trace that starts at the
// show's start, a header field is out of its range, or a clock reading is one the recording clock cannot give.
int VerifyTrace(const std::string& path, std::FILE* out, std::FILE* err, const VerifySettings& settings = {});
// The same for size bytes of an open trace, named name in the messages.
int VerifyTraceStream(std::FILE* file, uint64_t size, const std::string& name, std::FILE* out, std::FILE* err,
                      const VerifySettings& settings = {});

// A differing frame as three 320 x 200 pictures of blue, green, red and an unused byte per pixel, converted as the
// display converts them: as replayed, as recorded, and the difference, white where the pixel's index or the colour
// bytes of its palette entry differ and the replayed picture dimmed to grey elsewhere.
struct DifferencePictures {
  std::vector<uint8_t> replayed;
  std::vector<uint8_t> recorded;
  std::vector<uint8_t> difference;
};
DifferencePictures DrawDifference(const FrameDifference& difference);
