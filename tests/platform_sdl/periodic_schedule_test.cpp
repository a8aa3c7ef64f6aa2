// The periodic timer's deadlines: on a fixed grid, and a late period is dropped rather than made up.
#include "platform/sdl/sdl_internal.h"

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

Clock::time_point At(int ms) { return Clock::time_point(milliseconds(ms)); }

TEST(SdlPeriodicSchedule, StaysOnTheGridWhenOnTimeOrSlightlyLate) {
  EXPECT_EQ(sdlbackend::NextPeriodDeadline(At(100), At(100), milliseconds(20)), At(120));
  EXPECT_EQ(sdlbackend::NextPeriodDeadline(At(100), At(113), milliseconds(20)), At(120));
}

TEST(SdlPeriodicSchedule, PeriodsThatPassedWhileLateAreNotMadeUp) {
  // Delivered at 145 for the deadline of 100: 120 and 140 are gone, the next is 160.
  EXPECT_EQ(sdlbackend::NextPeriodDeadline(At(100), At(145), milliseconds(20)), At(160));
  EXPECT_EQ(sdlbackend::NextPeriodDeadline(At(100), At(120), milliseconds(20)), At(140));
}

}  // namespace
