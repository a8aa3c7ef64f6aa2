// The sound service over WINMM's waveOut: a thread of its own renders the module into a ring of prepared buffers;
// with no device it renders and discards in real time, so that the music's order still advances.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/sdl/song_mixer.h"
#include "platform/sound.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChannels = 2;
// Four buffers of about 46 ms: short enough that the music follows the show, long enough to ride out a busy frame.
constexpr size_t kBufferFrames = 2048;
constexpr size_t kBufferCount = 4;

struct SoundState {
  sdlbackend::SongMixer mixer;
  int32_t rate = platform::kMixRate;
  bool open = false;
  std::thread output;
  std::atomic<bool> closing{false};
  HANDLE wake = nullptr;  // signalled by the device when a buffer is done, and by closing
};

// Never destroyed: the exit handler may close the output after other statics are gone.
SoundState& State() {
  static SoundState* state = new SoundState;
  return *state;
}

HWAVEOUT OpenDevice(SoundState* state) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = static_cast<DWORD>(state->rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(kChannels * sizeof(int16_t));
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(state->wake), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    return nullptr;
  }
  return device;
}

// Keeps every buffer the device has finished filled with the next stretch of the module, until closing. A device
// that drains faster than it plays (a null device takes buffers as fast as they come) would run the music, and the
// pictures that wait on it, ahead of time: the module never gets more than the ring's length ahead of real time,
// and the device gets silence meanwhile.
void FeedDevice(SoundState* state, HWAVEOUT device) {
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
  while (!state->closing.load()) {
    for (WAVEHDR& header : headers) {
      if ((header.dwFlags & WHDR_DONE) == 0) continue;
      auto* samplesOut = reinterpret_cast<int16_t*>(header.lpData);
      if (rendered < sdlbackend::FramesDue(Clock::now() - start, state->rate) + kBufferCount * kBufferFrames) {
        state->mixer.Render(state->rate, samplesOut, kBufferFrames);
        rendered += kBufferFrames;
      } else {
        std::fill(samplesOut, samplesOut + kBufferFrames * kChannels, int16_t{0});
      }
      header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      waveOutWrite(device, &header, sizeof(WAVEHDR));
    }
    WaitForSingleObject(state->wake, INFINITE);
  }
  waveOutReset(device);
  for (WAVEHDR& header : headers) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
  waveOutClose(device);
}

// Opening the device can take a while, so it happens beside the rest of start-up; the mixer takes the host's
// calls meanwhile, and the song sounds (or advances silently) from the first output on.
void RunOutput(SoundState* state) {
  if (const HWAVEOUT device = OpenDevice(state)) {
    FeedDevice(state, device);
  } else {
    std::fprintf(stderr, "vesk: no sound device; the music plays silently\n");
    state->mixer.RenderUnheardInRealTime(state->rate, state->closing);
  }
}

void CloseOutput() {
  SoundState& state = State();
  if (!state.open) return;
  state.closing = true;
  SetEvent(state.wake);
  if (state.output.joinable()) state.output.join();
  CloseHandle(state.wake);
  state.wake = nullptr;
  state.open = false;
}

}  // namespace

namespace platform {

bool SoundInit(int32_t mixRate, int32_t /*channels*/, uint32_t /*flags*/) {
  SoundState& state = State();
  if (state.open) return false;
  static bool closeAtExit = false;
  if (!closeAtExit) {
    std::atexit(CloseOutput);
    closeAtExit = true;
  }
  state.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (state.wake == nullptr) return false;
  state.rate = mixRate > 0 ? mixRate : kMixRate;
  state.open = true;
  state.closing = false;
  state.output = std::thread(RunOutput, &state);
  return true;
}

void SoundClose() { CloseOutput(); }

Song* LoadSongMemory(const void* data, uint32_t length) { return State().mixer.Load(data, length); }
bool SetPanSeparation(Song* song, float separation) { return State().mixer.SetPanSeparation(song, separation); }
bool PlaySong(Song* song) { return State().mixer.Play(song); }
bool SetMasterVolume(Song* song, int32_t volume) { return State().mixer.SetVolume(song, volume); }
int32_t GetOrder(Song* song) { return State().mixer.Order(song); }
bool StopSong(Song* song) { return State().mixer.Stop(song); }
bool FreeSong(Song* song) { return State().mixer.Free(song); }

}  // namespace platform
