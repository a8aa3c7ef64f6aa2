// The headless platform: a memory display, a ticker and a music player over simulated time, for capture.
//
// Time is simulated and exact: it starts at 0 and moves only (1) at the end of each successful present, to the
// next vertical blank, the smallest multiple of 1 / fps strictly after the current time, and (2) once, by
// startupMs, at the first Play (the music starts at the new time). Ticker periods are delivered, on the calling
// thread, as time passes them; the music is rendered in step with time. Time is counted in units of
// 1 / (1000 * fps) seconds, so every instant the platform reaches is a whole number of units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/memory/memory_device.h"
#include "platform/music.h"
#include "platform/ticker.h"

namespace headless {

// The clock's units in one vertical blank period, 1 / fps seconds.
inline constexpr uint64_t kUnitsPerFrameTime = 1000;

struct Settings {
  uint32_t fps = 60;
  uint32_t startupMs = 0;
  // The desktop's mode, always 32 bits per pixel; also offered among the full-screen modes.
  int32_t screenWidth = 1600;
  int32_t screenHeight = 1200;
  // The observer looks at the screen's pixels; without it the host is told its surfaces go unseen.
  bool pixelsWanted = false;
  // The observer receives the sound.
  bool audioWanted = false;
};

class Observer {
 public:
  virtual ~Observer() = default;
  // A present has put a picture on the screen at timeUnits (stretched only when pixels are wanted); time moves on
  // right after this returns.
  virtual void OnScreen(const platform::MemorySurface& screen, const platform::Rect& picture, uint64_t timeUnits) = 0;
  // The next frames of sound (interleaved 16-bit stereo at platform::kMixRate), in order from time 0.
  virtual void OnAudio(const int16_t* samples, size_t frames) = 0;
};

struct Backend;

// One run's platform: time 0, no window, no surfaces, no ticker, no song. The observer may be null and must
// outlive the platform.
class HeadlessPlatform {
 public:
  HeadlessPlatform(const Settings& settings, Observer* observer);
  ~HeadlessPlatform();
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // The services the host runs on.
  platform::VideoDevice& Video();
  platform::EventSource& Events();
  platform::Ticker& Ticker();
  platform::MusicPlayer& Music();
  platform::MemoryDevice& Device();

  uint64_t Now() const;
  uint64_t UnitsPerSecond() const;
  // Sound frames from time 0 up to units.
  uint64_t SampleAt(uint64_t units) const;
  // Renders and hands the observer the sound up to the current time.
  void FlushAudio();

 private:
  std::unique_ptr<Backend> backend_;
};

}  // namespace headless
