// The module player: the show's one tracker module, loaded from memory and played on the sound device.
#pragma once

#include <cstdint>
#include <span>

namespace platform {

inline constexpr int32_t kMixRate = 44100;
inline constexpr int32_t kFullVolume = 256;

// Every call is harmless without a song (after a failed load, or after Free): it does nothing and fails, and
// Order answers -1.
class MusicPlayer {
 public:
  virtual ~MusicPlayer() = default;

  // Opens the sound device. Where none opens, the song still plays, unheard, at its real pace.
  virtual bool OpenDevice() = 0;
  virtual void CloseDevice() = 0;
  // The module in data, which must outlive the song; false when it cannot be read.
  virtual bool Load(std::span<const uint8_t> data) = 0;
  // May start reading the module in data beside other work, so that a Load of the same data later finds it read.
  // Changes nothing Load answers or plays; data must outlive the player.
  virtual void Prepare(std::span<const uint8_t> data) { (void)data; }
  // Starts the song from its beginning. panSeparation 0 plays every channel in the centre, 1 at the module's own
  // panning.
  virtual bool Play(float panSeparation) = 0;
  // 0 silences the song while it keeps playing and advancing; kFullVolume is full volume.
  virtual bool SetVolume(int32_t volume) = 0;
  // The order the song is playing now.
  virtual int32_t Order() = 0;
  // Holds the song where it is, sound and order both, or lets it go on from there; false where the player cannot.
  virtual bool Pause(bool paused) {
    (void)paused;
    return false;
  }
  virtual bool Stop() = 0;
  virtual bool Free() = 0;
};

}  // namespace platform
