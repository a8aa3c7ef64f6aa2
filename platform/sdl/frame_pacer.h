// Keeps presents to the display's refresh rate where the renderer does not wait for the vertical blank itself, and
// to every Nth vertical blank where presents are capped below the rate.
#pragma once

#include <chrono>
#include <cstdint>

namespace sdlbackend {

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;
  using TimePoint = Clock::time_point;
  using Duration = Clock::duration;

  // A display that reports no rate (0) is taken as 60 Hz. Each present lasts blanks refreshes.
  void SetRefreshRate(int32_t hertz, int32_t blanks = 1);
  // The time between presents: blanks refreshes.
  Duration Period() const { return period_; }
  // Whether presents are being paced here, having been seen to return faster than the display refreshes: many in a
  // row well under a period apart (a renderer that never waits), or a run of them a little faster than the display
  // on average (one that says it waits for the vertical blank but does not, as GL on a CPU rasteriser).
  bool Pacing() const { return pacing_; }

  // How long to wait before the next present. While the renderer itself waits for the vertical blank: nothing when
  // each present lasts one refresh, else until half a refresh before the present's last blank, so that the
  // renderer's own wait ends on it.
  Duration WaitBeforePresent(TimePoint now);
  // A present returned at now.
  void Presented(TimePoint now);
  // How long to wait at a frame boundary where nothing was presented (the program is not active), so that the
  // frame loop still runs at the refresh rate.
  Duration WaitWithoutPresent(TimePoint now);

 private:
  // The next point of the refresh grid and the wait until it; a loop that fell more than a period behind starts a
  // new grid at now instead of catching up with a burst.
  Duration NextSlot(TimePoint now);

  Duration period_ = std::chrono::duration_cast<Duration>(std::chrono::nanoseconds(16'666'667));
  Duration refresh_ = period_;
  bool pacing_ = false;
  bool presentedBefore_ = false;
  int32_t fastPresents_ = 0;
  int32_t windowPresents_ = 0;  // presents since windowStart_
  TimePoint windowStart_{};
  TimePoint lastPresent_{};
  TimePoint slot_{};
};

}  // namespace sdlbackend
