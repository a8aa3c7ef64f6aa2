// A tracker module rendered by libopenmpt: the sound engine the backends' sound layers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// Not thread-safe: a backend that renders on an audio thread and polls the order from the main thread must
// serialise the calls (for example under the audio device's lock).
class ModulePlayer {
 public:
  // The module in data (copied); null when libopenmpt cannot read it. The module loops at its end.
  static std::unique_ptr<ModulePlayer> Load(const void* data, size_t size);
  ~ModulePlayer();
  ModulePlayer(const ModulePlayer&) = delete;
  ModulePlayer& operator=(const ModulePlayer&) = delete;

  // 0.0: every channel in the centre; 1.0: the module's full panning.
  void SetPanSeparation(float separation);
  // 0 to 256; at 0 the module renders silence but keeps advancing.
  void SetVolume(int32_t volume);
  // Renders without interpolation: much cheaper, for a caller that keeps only the position, not the sound; or,
  // with false, with libopenmpt's own interpolation again.
  void SetSoundUnheard(bool unheard = true);
  // Back to the first order, first row.
  void Rewind();
  int32_t CurrentOrder() const;
  // Renders frames stereo frames of interleaved 16-bit samples at rate; returns the frames written (all of them
  // while the module loops; the rest of the buffer is zeroed otherwise).
  size_t Render(int32_t rate, int16_t* interleaved, size_t frames);

 private:
  struct Engine;
  explicit ModulePlayer(std::unique_ptr<Engine> engine);
  std::unique_ptr<Engine> engine_;
  int32_t volume_ = 256;
};

}  // namespace platform
