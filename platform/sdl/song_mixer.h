// The songs of the sound service and the one playing, rendered on demand from whichever thread feeds the output.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>

#include "platform/openmpt/module_player.h"
#include "platform/sound.h"

namespace platform {

// A module is read on a thread of its own while start-up goes on; the first call that needs it waits for it.
struct Song {
  std::future<std::unique_ptr<ModulePlayer>> loading;
  std::unique_ptr<ModulePlayer> player;
};

}  // namespace platform

namespace sdlbackend {

// Every call may come from the main thread while the output thread renders: each takes the mixer's lock. Calls on
// a null song, or on one whose module turned out unreadable, do nothing and fail, as the sound service promises.
class SongMixer {
 public:
  // data must outlive the song, as the sound service asks.
  platform::Song* Load(const void* data, uint32_t length);
  bool SetPanSeparation(platform::Song* song, float separation);
  // Starts song from its beginning; it replaces whatever was playing.
  bool Play(platform::Song* song);
  bool SetVolume(platform::Song* song, int32_t volume);
  int32_t Order(platform::Song* song);
  bool Stop(platform::Song* song);
  bool Free(platform::Song* song);
  // Fills frames stereo 16-bit frames at rate: the playing song, or silence.
  void Render(int32_t rate, int16_t* interleaved, size_t frames);
  // Where no output device opened: renders and discards at rate, keeping pace with real time, until closing is
  // set, so that the song's order still moves as if it were heard.
  void RenderUnheardInRealTime(int32_t rate, const std::atomic<bool>& closing);

 private:
  // The song's player once its module is read; null when it could not be.
  static platform::ModulePlayer* Player(platform::Song* song);

  std::mutex mutex_;
  platform::Song* playing_ = nullptr;
};

// How many frames an output that started start ago at rate should have rendered by now.
inline uint64_t FramesDue(std::chrono::steady_clock::duration elapsed, int32_t rate) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return micros <= 0 ? 0 : static_cast<uint64_t>(micros) * static_cast<uint64_t>(rate) / 1'000'000u;
}

}  // namespace sdlbackend
