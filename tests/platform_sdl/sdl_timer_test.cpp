// The periodic timer on its own thread: it calls back every period and never after being killed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/timer.h"

namespace {

std::atomic<uint32_t> ticks{0};
std::atomic<uintptr_t> seenUser{0};

void Tick(uint32_t, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
  seenUser = user;
  ticks.fetch_add(1);
}

TEST(SdlTimer, CallsBackEveryPeriodUntilKilled) {
  ticks = 0;
  const uint32_t id = platform::TimeSetEvent(20, 1, Tick, 77, platform::kTimePeriodic);
  ASSERT_NE(id, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(210));
  ASSERT_EQ(platform::TimeKillEvent(id), 0u);
  const uint32_t delivered = ticks.load();
  // Ten periods fit; a loaded machine may deliver fewer, never more.
  EXPECT_GE(delivered, 5u);
  EXPECT_LE(delivered, 11u);
  EXPECT_EQ(seenUser.load(), 77u);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(ticks.load(), delivered);
}

TEST(SdlTimer, RefusesWhatItCannotDoAndUnknownIds) {
  EXPECT_EQ(platform::TimeSetEvent(20, 1, nullptr, 0, platform::kTimePeriodic), 0u);
  EXPECT_EQ(platform::TimeSetEvent(0, 1, Tick, 0, platform::kTimePeriodic), 0u);
  EXPECT_EQ(platform::TimeSetEvent(20, 1, Tick, 0, 0), 0u);
  EXPECT_NE(platform::TimeKillEvent(12345), 0u);
}

}  // namespace
