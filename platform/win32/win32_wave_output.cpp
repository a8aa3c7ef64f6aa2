// The audio output over WINMM's waveOut: a thread of its own keeps a ring of prepared buffers filled.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChannels = 2;
// Four buffers of about 46 ms: short enough that the music follows the show, long enough to ride out a busy frame.
constexpr size_t kBufferFrames = 2048;
constexpr size_t kBufferCount = 4;

}  // namespace

bool WaveOutput::Open(int32_t rate, Render render, const char** why) {
  if (thread_.joinable()) {
    if (why != nullptr) *why = "the sound output is already open";
    return false;
  }
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(kChannels * sizeof(int16_t));
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT device = nullptr;
  if (wake_ == nullptr || waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(wake_), 0,
                                      CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    if (wake_ != nullptr) CloseHandle(wake_);
    wake_ = nullptr;
    if (why != nullptr) *why = "no sound device";
    return false;
  }
  render_ = std::move(render);
  rate_ = rate;
  closing_ = false;
  thread_ = std::thread(&WaveOutput::Feed, this, device);
  return true;
}

// Keeps every buffer the device has finished filled with what comes next, until closing. A device that drains
// faster than it plays (a null device takes buffers as fast as they come) would run the music, and the pictures
// that wait on it, ahead of time: the renderer never gets more than the ring's length ahead of real time, and the
// device gets silence meanwhile.
void WaveOutput::Feed(void* handle) {
  const auto device = static_cast<HWAVEOUT>(handle);
  std::array<std::vector<int16_t>, kBufferCount> samples;
  std::array<WAVEHDR, kBufferCount> headers = {};
  for (size_t i = 0; i < kBufferCount; ++i) {
    samples[i].assign(kBufferFrames * kChannels, 0);
    headers[i].lpData = reinterpret_cast<LPSTR>(samples[i].data());
    headers[i].dwBufferLength = static_cast<DWORD>(kBufferFrames * kChannels * sizeof(int16_t));
    waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
    headers[i].dwFlags |= WHDR_DONE;
  }
  const Clock::time_point start = Clock::now();
  uint64_t rendered = 0;
  while (!closing_.load()) {
    for (WAVEHDR& header : headers) {
      if ((header.dwFlags & WHDR_DONE) == 0) continue;
      auto* out = reinterpret_cast<int16_t*>(header.lpData);
      const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      if (rendered < static_cast<uint64_t>(elapsed) * static_cast<uint64_t>(rate_) / 1'000'000u +
                         kBufferCount * kBufferFrames) {
        render_(out, kBufferFrames);
        rendered += kBufferFrames;
      } else {
        std::fill(out, out + kBufferFrames * kChannels, int16_t{0});
      }
      header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      waveOutWrite(device, &header, sizeof(WAVEHDR));
    }
    WaitForSingleObject(wake_, INFINITE);
  }
  waveOutReset(device);
  for (WAVEHDR& header : headers) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
  waveOutClose(device);
}

void WaveOutput::Close() {
  if (!thread_.joinable()) return;
  closing_ = true;
  SetEvent(wake_);
  thread_.join();
  CloseHandle(wake_);
  wake_ = nullptr;
  render_ = nullptr;
}

}  // namespace platform::win32
