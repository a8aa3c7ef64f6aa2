// The music: the module's load, start, stop and position, over the platform's module player.
#pragma once

#include <cstdint>

#include "platform/music.h"

// The module resource and the length the loader hands to the player.
inline constexpr const char* kModuleResourceName = "xmfile";
inline constexpr uint32_t kModuleBytes = 79327;

class ShowMusic {
 public:
  explicit ShowMusic(platform::MusicPlayer& player) : player_(player) {}

  bool OpenDevice() { return player_.OpenDevice(); }
  void CloseDevice() { player_.CloseDevice(); }
  // Loads the module from its resource; a failed load leaves no song, and every later call harmless.
  void Load();
  // Lets the player start reading the module ahead of Load, while the launch is still being chosen.
  void Prepare();
  // Plays the module in mono, silenced (but advancing) when sound is off.
  void Start(bool soundOn);
  // Holds the song where it is, or lets it go on; false where the player cannot.
  bool Pause(bool paused) { return player_.Pause(paused); }
  bool Stop() { return player_.Stop(); }
  bool Free() { return player_.Free(); }
  // Reads the order the module is playing.
  void Poll();
  int32_t Order() const { return order_; }
  // The order as last polled, -1 before the first poll: what a frame's hand-over records.
  int32_t PolledOrder() const { return polls_ == 0 ? -1 : order_; }

 private:
  platform::MusicPlayer& player_;
  int32_t order_ = 0;
  uint32_t polls_ = 0;
};
