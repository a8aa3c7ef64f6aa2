// Refresh-rate pacing: off behind a renderer that waits for the display, on behind one that does not.
#include "platform/sdl/frame_pacer.h"

#include <gtest/gtest.h>

#include "platform/video.h"

namespace {

using sdlbackend::FramePacer;
using std::chrono::milliseconds;

constexpr auto kPeriod = milliseconds(20);  // a 50 Hz display keeps the numbers round

FramePacer::TimePoint At(milliseconds t) { return FramePacer::TimePoint(t); }

// Presents n frames spaced by step from start; returns the time after the last.
milliseconds Present(FramePacer& pacer, milliseconds start, milliseconds step, int n) {
  for (int i = 0; i < n; ++i) pacer.Presented(At(start + step * i));
  return start + step * n;
}

TEST(SdlFramePacer, TakesTheDisplaysRateOrSixtyHertz) {
  FramePacer pacer;
  pacer.SetRefreshRate(50);
  EXPECT_EQ(pacer.Period(), kPeriod);
  pacer.SetRefreshRate(0);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::microseconds>(pacer.Period()).count(), 16666);
}

TEST(SdlFramePacer, LeavesARendererThatWaitsForTheDisplayAlone) {
  FramePacer pacer;
  pacer.SetRefreshRate(50);
  const milliseconds end = Present(pacer, milliseconds(1000), kPeriod, 100);
  EXPECT_FALSE(pacer.Pacing());
  EXPECT_EQ(pacer.WaitBeforePresent(At(end + milliseconds(3))), FramePacer::Duration::zero());
  // A few early returns while a driver's queue fills are not enough.
  Present(pacer, end, milliseconds(1), 7);
  EXPECT_FALSE(pacer.Pacing());
}

TEST(SdlFramePacer, SpacesPresentsThatReturnAtOnce) {
  FramePacer pacer;
  pacer.SetRefreshRate(50);
  milliseconds now = Present(pacer, milliseconds(1000), milliseconds(1), 9);
  ASSERT_TRUE(pacer.Pacing());
  // From here every present waits for the next slot of a 20 ms grid.
  const milliseconds firstSlot = milliseconds(1008) + kPeriod;
  EXPECT_EQ(pacer.WaitBeforePresent(At(now)), firstSlot - now);
  now = firstSlot + milliseconds(5);  // drawing took a while: the next slot is still on the grid
  EXPECT_EQ(pacer.WaitBeforePresent(At(now)), firstSlot + kPeriod - now);
}

TEST(SdlFramePacer, SpacesPresentsThatRunALittleAheadOfTheDisplay) {
  // 19 ms apart on a 20 ms display: never fast enough to look immediate, but ahead on average.
  FramePacer pacer;
  pacer.SetRefreshRate(50);
  Present(pacer, milliseconds(1000), milliseconds(19), 31);
  EXPECT_TRUE(pacer.Pacing());
  // Waiting presents that jitter around the period, or fall behind it, are left alone.
  FramePacer jittery;
  jittery.SetRefreshRate(50);
  milliseconds now = milliseconds(1000);
  for (int i = 0; i < 60; ++i) now = Present(jittery, now, milliseconds(i % 2 == 0 ? 18 : 22), 1);
  now = Present(jittery, now, milliseconds(40), 40);
  EXPECT_FALSE(jittery.Pacing());
}

TEST(SdlFramePacer, ALoopFarBehindStartsAgainInsteadOfRacing) {
  FramePacer pacer;
  pacer.SetRefreshRate(50);
  Present(pacer, milliseconds(1000), milliseconds(1), 9);
  ASSERT_TRUE(pacer.Pacing());
  const milliseconds late = milliseconds(5000);
  EXPECT_EQ(pacer.WaitBeforePresent(At(late)), FramePacer::Duration::zero());
  EXPECT_EQ(pacer.WaitBeforePresent(At(late + milliseconds(2))), kPeriod - milliseconds(2));
}

TEST(SdlFramePacer, FramesThatPresentNothingStillKeepToTheRate) {
  FramePacer pacer;
  pacer.SetRefreshRate(50);
  EXPECT_EQ(pacer.WaitWithoutPresent(At(milliseconds(1000))), FramePacer::Duration::zero());
  EXPECT_EQ(pacer.WaitWithoutPresent(At(milliseconds(1001))), kPeriod - milliseconds(1));
  EXPECT_FALSE(pacer.Pacing());
}

TEST(SdlFramePacer, PresentsCappedToEveryOtherBlankOfA144HertzDisplayLandOnEveryOtherBlank) {
  using std::chrono::microseconds;
  const auto refresh = std::chrono::duration_cast<FramePacer::Duration>(std::chrono::nanoseconds(1'000'000'000 / 144));
  // A renderer that waits for the display: after a present returns on a blank, the next waits until half a refresh
  // before the blank after next, so that its own wait ends on that one.
  FramePacer waiting;
  waiting.SetRefreshRate(144, platform::BlanksPerPresent(144, 75));
  EXPECT_EQ(waiting.Period(), refresh * 2);
  const FramePacer::TimePoint blank = At(milliseconds(1000));
  waiting.Presented(blank);
  EXPECT_EQ(waiting.WaitBeforePresent(blank + microseconds(500)), refresh * 3 / 2 - microseconds(500));
  EXPECT_EQ(waiting.WaitBeforePresent(blank + refresh * 2), FramePacer::Duration::zero());
  // One that never waits is paced on a grid of two refreshes: at most 72 presents a second.
  FramePacer immediate;
  immediate.SetRefreshRate(144, 2);
  FramePacer::TimePoint now = blank;
  for (int i = 0; i < 40; ++i) {
    now += immediate.WaitBeforePresent(now);
    immediate.Presented(now);
  }
  ASSERT_TRUE(immediate.Pacing());
  const FramePacer::TimePoint start = now;
  for (int i = 0; i < 72; ++i) {
    now += immediate.WaitBeforePresent(now);
    immediate.Presented(now);
  }
  EXPECT_GE(now - start, std::chrono::seconds(1) - refresh);
}

}  // namespace
