// A 16-bit stereo WAV file written as the sound arrives, its sizes filled in at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "file_output/atomic_file.h"

class WavWriter {
 public:
  // "-" is standard output. Where the output cannot seek (a pipe), the header's two sizes are 0xFFFFFFFF from
  // the start, the streaming convention for "up to the end of the data". Throws std::runtime_error.
  WavWriter(const std::string& path, int32_t rate);
  void Write(const int16_t* samples, size_t frames);
  // Fills in the sizes and gives the file its name; throws std::runtime_error when any of it fails.
  void Commit();

 private:
  std::unique_ptr<PendingFile> file_;
  uint64_t frames_ = 0;
  int32_t rate_;
};
