// When a periodic timer fires next: on its grid, dropping the periods that passed while it was late.
#pragma once

#include <chrono>

namespace sdlbackend {

// The first deadline after served, on served's grid, that is still ahead of now. A period that ended while the
// timer was late is not made up: the timer counts periods delivered, not time elapsed.
template <typename TimePoint, typename Duration>
TimePoint NextPeriodDeadline(TimePoint served, TimePoint now, Duration period) {
  TimePoint next = served + period;
  if (next <= now) next += ((now - next) / period + 1) * period;
  return next;
}

}  // namespace sdlbackend
