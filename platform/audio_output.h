// A sound output that pulls interleaved 16-bit stereo frames from a renderer: what the mixer plays through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

class AudioOutput {
 public:
  // Fills frames stereo frames; called from the output's own thread.
  using Render = std::function<void(int16_t* interleaved, size_t frames)>;

  virtual ~AudioOutput() = default;
  // Opens the device at rate and starts pulling from render; false (with the reason in *why) when no device
  // opens.
  virtual bool Open(int32_t rate, Render render, const char** why) = 0;
  // Stops pulling; once it returns, render is not called again. Harmless when not open.
  virtual void Close() = 0;
};

}  // namespace platform
