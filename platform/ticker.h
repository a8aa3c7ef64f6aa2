// The periodic tick that drives the show's clock.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class Ticker {
 public:
  virtual ~Ticker() = default;
  // Calls tick every periodMs, with a resolution of a millisecond: on a thread of its own in real time, or from
  // inside the platform's own calls where time is simulated. tick must do little and never block. False when no
  // tick can run.
  virtual bool Start(int32_t periodMs, std::function<void()> tick) = 0;
  // Once it returns, tick runs no more. Harmless when nothing was started.
  virtual void Stop() = 0;
};

}  // namespace platform
