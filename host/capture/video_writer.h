// A video of the capture: each new 320x200 picture piped into the ffmpeg program with its time, the sound added at
// the end.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "file_output/atomic_file.h"
#include "host/capture/capture_options.h"
#include "host/capture/wav_writer.h"
#include "platform/child_process.h"

class CaptureProgress;

// How a quality is encoded, for --help, the benchmark's report and the tests.
struct VideoEncoding {
  int32_t width;               // the video's size: the output size, or 320x200 for the archive
  int32_t height;
  std::string pictureFilter;   // ffmpeg's filter chain from the 320x200 bgr0 frames
  std::string pictureCodec;    // the encoder's arguments
  std::string soundCodec;
};
VideoEncoding EncodingFor(VideoQuality quality, int32_t width, int32_t height);

// The reader of standard output went away before the whole video reached it; ffmpeg does not say so by its status.
struct ReaderLeftEarly : std::runtime_error {
  ReaderLeftEarly() : std::runtime_error("standard output was closed before the video was written") {}
};

class VideoWriter {
 public:
  // Starts ffmpeg for a video of the given quality and output size at fps, in the container named or else the
  // one the name's extension says (VideoFormat). "-" is standard output. Throws std::runtime_error, with a
  // clear message when ffmpeg is not installed or the container does not fit.
  VideoWriter(const std::string& path, VideoQuality quality, const std::string& container, int32_t width,
              int32_t height, uint32_t fps, int32_t timeoutMs);
  ~VideoWriter();  // stops ffmpeg and removes the partial files unless committed
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // One 320 x 200 picture of blue, green, red and an unused byte per pixel, rows back to back, shown from the
  // video's frame `slot` (slot / fps seconds in) until the next picture written. Slots only increase; the last
  // picture lasts one slot, so a video ends with a picture written at its last slot.
  void WriteFrame(const uint8_t* picture, uint64_t slot);
  void WriteSound(const int16_t* samples, size_t frames);
  // Finishes the picture, adds the sound and gives the file its name.
  void Commit(CaptureProgress& progress);

 private:
  void Send(const void* data, size_t bytes);
  void RunToEnd(platform::ChildProcess& child, const std::string& what);
  void RemoveTemporaries();

  std::string path_;
  VideoQuality quality_;
  uint32_t fps_;
  bool started_ = false;  // the stream's header is sent
  std::string format_;  // ffmpeg's name of the container
  int32_t timeoutMs_;   // for a frame to be taken
  PendingOutput destination_;  // what the muxer writes, named at the end
  std::string output_;       // ffmpeg's name for the final output
  std::string picturePath_;
  std::string soundPath_;
  platform::ChildProcess encoder_;
  std::unique_ptr<WavWriter> sound_;
  bool committed_ = false;
};
