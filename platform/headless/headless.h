// The headless backend's controls: a simulated display and clock whose presents an observer captures.
//
// Time is simulated and exact: it starts at 0 and moves only (1) at the end of each successful blit, to the next
// vertical blank, the smallest multiple of 1 / fps strictly after the current time, and (2) once, by startupMs,
// at the first PlaySong (the music starts at the new time). Timer periods of 20 ms are delivered, on the calling
// thread, as time passes them; the music is rendered in step with time. Time is counted in units of
// 1 / (1000 * fps) seconds, so every instant the backend reaches is a whole number of units.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/display.h"

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

// The picture on the simulated screen after a blit: the destination rectangle of the primary surface.
struct Screen {
  const uint8_t* pixels;  // first pixel of the rectangle; null unless pixels are wanted
  int32_t width;
  int32_t height;
  int32_t pitch;
  platform::PixelFormat format;
};

class Observer {
 public:
  virtual ~Observer() = default;
  // A blit has put a picture on the screen at timeUnits; time moves on right after this returns.
  virtual void OnScreen(const Screen& screen, uint64_t timeUnits) = 0;
  // The next frames of sound (interleaved 16-bit stereo at platform::kMixRate), in order from time 0.
  virtual void OnAudio(const int16_t* samples, size_t frames) = 0;
};

// Resets the whole backend (time 0, no window, no surfaces, no timer, no song) with new settings. The observer
// may be null and must outlive its use.
void Configure(const Settings& settings, Observer* observer);
uint64_t Now();
uint64_t UnitsPerSecond();
// Sound frames from time 0 up to units.
uint64_t SampleAt(uint64_t units);
// Renders and hands the observer the sound up to the current time.
void FlushAudio();

}  // namespace headless
