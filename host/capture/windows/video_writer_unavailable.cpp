// Video output where this build cannot run the ffmpeg program: --video fails at once with a clear message.
#include <stdexcept>

#include "host/capture/video_writer.h"

VideoWriter::VideoWriter(const std::string& path, int32_t, int32_t, uint32_t) : path_(path), width_(0), height_(0) {
  throw std::runtime_error("--video is not available in this build: it cannot run the ffmpeg program (write --frames "
                           "and --audio, and encode them with ffmpeg elsewhere)");
}

VideoWriter::~VideoWriter() = default;
void VideoWriter::WriteFrame(const uint8_t*, int32_t) {}
void VideoWriter::WriteSound(const int16_t*, size_t) {}
void VideoWriter::FinishEncoder() {}
void VideoWriter::Commit() {}
bool VideoWriter::ProgramOnPath(const std::string&) { return false; }
