// The show's clock: timeCounter in the interface block, advanced by the ticker, optionally held at frame
// boundaries so that the core reads one value between two presents.
#pragma once

#include <atomic>
#include <cstdint>

class ShowClock {
 public:
  // Held (the default): Tick counts into the ticker's own count, and timeCounter takes it over only at Publish,
  // which the session runs at every frame boundary and when the music starts. Between two presents the core then
  // reads one value, the one a trace records with the frame it draws. Not held: every tick reaches timeCounter.
  void Hold(bool held);
  // Paused, the ticks that come are dropped: on going on, the clock goes on from where it stopped.
  void Pause(bool paused) { paused_.store(paused, std::memory_order_relaxed); }
  // One ticker period; runs on the ticker's thread.
  void Tick();
  void Publish();
  // A replay: the reading the next frame is drawn at.
  void Set(uint32_t counter);
  uint32_t Read() const;

 private:
  std::atomic<bool> held_{true};
  std::atomic<bool> paused_{false};
  std::atomic<uint32_t> count_{0};
};
