// A 16-bit stereo WAV file written as the sound arrives, its sizes filled in at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/capture/output_file.h"

class WavWriter {
 public:
  WavWriter(const std::string& path, int32_t rate);  // throws std::runtime_error
  void Write(const int16_t* samples, size_t frames);
  void Commit();

 private:
  std::unique_ptr<PendingFile> file_;
  uint64_t frames_ = 0;
  int32_t rate_;
};
