// The songs of the sound service and the one playing, rendered on demand from whichever thread feeds the output.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/openmpt/module_player.h"
#include "platform/sound.h"

namespace platform {

struct Song {
  std::unique_ptr<ModulePlayer> player;
};

}  // namespace platform

namespace sdlbackend {

// Every call may come from the main thread while the output thread renders: each takes the mixer's lock. Calls on
// a null song do nothing and fail, as the sound service promises.
class SongMixer {
 public:
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

 private:
  std::mutex mutex_;
  platform::Song* playing_ = nullptr;
};

// How many frames an output that started start ago at rate should have rendered by now.
inline uint64_t FramesDue(std::chrono::steady_clock::duration elapsed, int32_t rate) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return micros <= 0 ? 0 : static_cast<uint64_t>(micros) * static_cast<uint64_t>(rate) / 1'000'000u;
}

}  // namespace sdlbackend
