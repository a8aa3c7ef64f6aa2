// The show's clock: each tick adds one period, and a held clock moves only at frame boundaries.
#include <gtest/gtest.h>

#include "core/interface_block.h"
#include "host/show_clock.h"
#include "session_fixture.h"

namespace {

using namespace host_test;

TEST(ShowClockTicks, EachPeriodAddsTheSameAmount) {
  ResetInterfaceBlock();
  ShowClock clock;
  clock.Hold(false);
  clock.Tick();
  EXPECT_EQ(ReadTimeCounter(), 17920u);
  for (int i = 0; i < 4; ++i) clock.Tick();
  EXPECT_EQ(ReadTimeCounter(), 89600u);
  for (int i = 0; i < 45; ++i) clock.Tick();
  EXPECT_EQ(CounterToShowTicks(ReadTimeCounter()), 109);  // one second
}

TEST(ShowClockTicks, AHeldClockMovesOnlyWhenPublished) {
  ResetInterfaceBlock();
  ShowClock clock;
  clock.Tick();
  clock.Tick();
  EXPECT_EQ(ReadTimeCounter(), 0u);
  clock.Publish();
  EXPECT_EQ(ReadTimeCounter(), 2 * 17920u);
  clock.Set(5);
  EXPECT_EQ(ReadTimeCounter(), 5u);
  clock.Tick();
  clock.Publish();
  EXPECT_EQ(ReadTimeCounter(), 5 + 17920u);
}

using Clock = SessionTest;

TEST_F(Clock, TheCoreReadsOneValueBetweenPresentsAndTheMusicsStartPublishesIt) {
  fake.ticksPerDispatch = 2;
  std::vector<uint32_t> seen;
  script.body = [&] {
    seen.push_back(ReadTimeCounter());
    for (int i = 0; i < 3; ++i) {
      CallHook(kHookPresentFrame);
      seen.push_back(ReadTimeCounter());
      seen.push_back(ReadTimeCounter());
    }
  };
  ASSERT_EQ(Run(), 0);
  // Start-up's frame delivered two periods before the show began; each present two more.
  EXPECT_EQ(seen, (std::vector<uint32_t>{2 * 17920u, 4 * 17920u, 4 * 17920u, 6 * 17920u, 6 * 17920u, 8 * 17920u,
                                         8 * 17920u}));
}

}  // namespace
