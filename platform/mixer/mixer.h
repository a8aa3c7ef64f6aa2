// The one mixer: the show's module over libopenmpt, played through whichever audio output the platform has.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "platform/audio_output.h"
#include "platform/music.h"

namespace platform {

class ModulePlayer;

// How many frames an output that started elapsed ago at rate should have rendered by now.
uint64_t FramesDue(std::chrono::steady_clock::duration elapsed, int32_t rate);

// The main thread's calls and the output's renders take turns under one lock.
class Mixer : public MusicPlayer {
 public:
  // One line for the platform's event trace (VESK_TRACE); may be null.
  using Trace = void (*)(const char* event);

  explicit Mixer(AudioOutput& output, Trace trace = nullptr);
  ~Mixer() override;

  // Opens the output beside the rest of start-up: probing sound drivers can take a good part of a second. Where
  // none opens, says so in one line on standard error and renders and discards in real time instead, so that the
  // order still advances as if the song were heard. False when already open.
  bool OpenDevice() override;
  void CloseDevice() override;
  // Replaces whatever song there was.
  bool Load(std::span<const uint8_t> data) override;
  // Reads the module on a thread of its own: reading it builds the player's tables, tens of milliseconds.
  void Prepare(std::span<const uint8_t> data) override;
  bool Play(float panSeparation) override;
  bool SetVolume(int32_t volume) override;
  int32_t Order() override;
  // Paused, the output gets silence and the song stays where it is; the unheard song waits too.
  bool Pause(bool paused) override;
  bool Stop() override;
  bool Free() override;

 private:
  // Fills frames stereo frames: the playing song, or silence; RenderLocked with the lock held.
  void Render(int16_t* interleaved, size_t frames);
  void RenderLocked(int16_t* interleaved, size_t frames);
  // Where no output opened, the song is rendered and discarded up to the present moment whenever the main
  // thread calls, before whatever it asks, so that the order it reads is where a heard song would be; and every
  // kUnheardInterval between. Unheard, the song is mixed coarsely; heard again, finely.
  void CatchUpUnheard();
  void SetUnheard(bool unheard);

  AudioOutput& output_;
  Trace trace_;
  std::mutex mutex_;
  std::unique_ptr<ModulePlayer> player_;
  bool playing_ = false;
  bool paused_ = false;
  bool unheard_ = false;  // rendered for its position only, by CatchUpUnheard
  std::chrono::steady_clock::time_point unheardSince_;
  uint64_t unheardRendered_ = 0;  // frames since unheardSince_
  static constexpr size_t kUnheardChunkFrames = 2048;
  static constexpr std::chrono::milliseconds kUnheardInterval{100};
  int16_t unheardScratch_[kUnheardChunkFrames * 2] = {};
  std::thread device_;  // opens the output, or keeps the unheard song near the present moment until closing_
  bool closing_ = false;
  std::condition_variable closingChanged_;
  std::thread preparing_;  // reads prepared_ from preparedData_
  std::span<const uint8_t> preparedData_;
  std::unique_ptr<ModulePlayer> prepared_;
  std::atomic<bool> outputOpen_{false};
};

}  // namespace platform
