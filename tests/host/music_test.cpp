// The music operations and the timer callback.
#include <gtest/gtest.h>

#include "host/message_pump.h"
#include "host/music.h"
#include "host_fixture.h"

namespace {

using namespace host_test;

using Music = HostTest;

TEST_F(Music, EachTimerPeriodAddsTheSameAmount) {
  const uint32_t before = ReadTimeCounter();
  TimerTick(0, 0, 0, 0, 0);
  EXPECT_EQ(ReadTimeCounter() - before, 17920u);
  for (int i = 0; i < 4; ++i) TimerTick(0, 0, 0, 0, 0);
  EXPECT_EQ(ReadTimeCounter() - before, 89600u);
  for (int i = 0; i < 45; ++i) TimerTick(0, 0, 0, 0, 0);
  EXPECT_EQ(CounterToShowTicks(ReadTimeCounter() - before), 109);  // one second
}

TEST_F(Music, TheLoaderAsksForTheFixedLengthButNeverPastTheResource) {
  LoadMusic();
  EXPECT_EQ(fake::State().calls, (Strings{"FindResource xmfile", "LoadSongMemory 79327"}));
  EXPECT_NE(songHandle, nullptr);
  EXPECT_EQ(interfaceBlock.hooks[kHookStartMusic], StartMusic);

  SetUp();
  fake::State().resources["XMFILE"].resize(1000);
  LoadMusic();
  EXPECT_EQ(fake::State().calls.back(), "LoadSongMemory 1000");

  SetUp();
  fake::State().resources.erase("XMFILE");
  LoadMusic();
  EXPECT_EQ(fake::State().calls.back(), "LoadSongMemory 0 nodata");
  EXPECT_EQ(songHandle, nullptr);
  EXPECT_EQ(interfaceBlock.hooks[kHookStartMusic], StartMusic);
}

TEST_F(Music, PollingKeepsTheOrderAndCounts) {
  LoadMusic();
  fake::State().order = [] { return 12; };
  EXPECT_EQ(musicPollCount, 0u);
  PollMusicPosition();
  EXPECT_EQ(musicOrder, 12);
  EXPECT_EQ(musicPollCount, 1u);
}

}  // namespace

namespace {

using Music = host_test::HostTest;

TEST_F(Music, AHeldClockMovesOnlyWhenPublishedAtAFrameBoundary) {
  HoldClockAtFrameBoundaries(true);
  const uint32_t before = ReadTimeCounter();
  TimerTick(0, 0, 0, 0, 0);
  TimerTick(0, 0, 0, 0, 0);
  EXPECT_EQ(ReadTimeCounter(), before);
  PumpMessages();  // the end of a present
  EXPECT_EQ(ReadTimeCounter() - before, 2 * 17920u);
  TimerTick(0, 0, 0, 0, 0);
  StartMusic();
  EXPECT_EQ(ReadTimeCounter() - before, 3 * 17920u);
}

}  // namespace
