// A video of the capture: frames piped into the ffmpeg program as they come, the sound added at the end.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "host/capture/wav_writer.h"

class VideoWriter {
 public:
  // Starts ffmpeg for width x height frames (32-bit blue-green-red-unused) at fps. Throws std::runtime_error,
  // with a clear message when ffmpeg is not installed.
  VideoWriter(const std::string& path, int32_t width, int32_t height, uint32_t fps);
  ~VideoWriter();  // stops ffmpeg and removes the partial files unless committed
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // One frame, rows pitch bytes apart.
  void WriteFrame(const uint8_t* pixels, int32_t pitch);
  void WriteSound(const int16_t* samples, size_t frames);
  // Finishes the picture, muxes it with the sound (AAC) and gives the file its name.
  void Commit();

  // True when a program of that name can be run from PATH.
  static bool ProgramOnPath(const std::string& name);

 private:
  void FinishEncoder();

  std::string path_;
  std::string picturePath_;
  std::string soundPath_;
  int32_t width_;
  int32_t height_;
  pid_t encoder_ = -1;
  int pipe_ = -1;
  std::unique_ptr<WavWriter> sound_;
  std::unique_ptr<uint8_t[]> row_;
  bool committed_ = false;
};
