// WAV output: a RIFF header whose sizes are written once the sound is complete, or marked unknown on a pipe.
#include "host/capture/wav_writer.h"

#include <array>
#include <bit>
#include <stdexcept>

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;
constexpr size_t kHeaderBytes = 44;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;

// The streaming convention's size: unknown, up to the end of the data.
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;

std::array<uint8_t, kHeaderBytes> Header(int32_t rate, uint32_t dataBytes) {
  std::array<uint8_t, kHeaderBytes> h{};
  auto put = [&h](size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) h[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  auto tag = [&h](size_t at, const char* text) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<uint8_t>(text[i]);
  };
  tag(0, "RIFF");
  put(4, dataBytes == kUnknownSize ? kUnknownSize : dataBytes + static_cast<uint32_t>(kHeaderBytes) - 8, 4);
  tag(8, "WAVE");
  tag(12, "fmt ");
  put(16, 16, 4);
  put(20, 1, 2);  // PCM
  put(22, kChannels, 2);
  put(24, static_cast<uint32_t>(rate), 4);
  put(28, static_cast<uint32_t>(rate) * kChannels * kBytesPerSample, 4);
  put(32, kChannels * kBytesPerSample, 2);
  put(34, 8 * kBytesPerSample, 2);
  tag(36, "data");
  put(40, dataBytes, 4);
  return h;
}

}  // namespace

WavWriter::WavWriter(const std::string& path, int32_t rate) : file_(new PendingFile(path)), rate_(rate) {
  const auto header = Header(rate_, file_->seekable() ? 0 : kUnknownSize);
  file_->Write(header.data(), header.size());
}

void WavWriter::Write(const int16_t* samples, size_t frames) {
  // The samples are written as the machine holds them; the formats here are little-endian machines only.
  static_assert(std::endian::native == std::endian::little);
  file_->Write(samples, frames * kChannels * kBytesPerSample);
  frames_ += frames;
}

void WavWriter::Commit() {
  if (file_->seekable()) {
    const uint64_t dataBytes = frames_ * kChannels * kBytesPerSample;
    if (dataBytes > kMaxDataBytes) throw std::runtime_error("the sound is too long for a WAV file");
    const auto header = Header(rate_, static_cast<uint32_t>(dataBytes));
    file_->Seek(0);
    file_->Write(header.data(), header.size());
  }
  file_->Commit();
}
