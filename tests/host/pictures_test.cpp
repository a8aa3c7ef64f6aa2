// The still pictures: their orientation and grey levels, the wait of four orders, and the wait without music.
#include <gtest/gtest.h>

#include <vector>

#include "display/pixel_conversion.h"
#include "display/presentation.h"
#include "host/message_pump.h"
#include "host/music.h"
#include "host/pictures.h"
#include "host_fixture.h"
#include "platform/timer.h"

namespace {

using namespace host_test;

// Pictures presented on an inactive display (nothing is drawn, the conversion and the pump still run), with a
// timer that the pump advances by a fixed number of periods per present.
class Pictures : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    frameBuffer = frame.data();
    expandedFrame = expanded.data();
    messagePump = PumpMessages;
    platform::TimeSetEvent(kTimerPeriodMs, 1, TimerTick, 0, platform::kTimePeriodic);
    LoadMusic();
  }
  static int Presents() { return fake::State().peekCalls; }

  std::vector<uint8_t> frame = std::vector<uint8_t>(kFrameBytes, 0);
  std::vector<uint8_t> expanded = std::vector<uint8_t>(kExpandedFrameBytes, 0);
};

TEST_F(Pictures, TheFirstStoredRowIsTheTopAndTheBlueByteIsTheGrey) {
  fake::State().order = [] { return 4 + Presents(); };  // moves on one order per present
  ShowPicture1();
  for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(frameBuffer[x], 200);
  for (int i = kScreenWidth; i < kFrameBytes; ++i) ASSERT_EQ(frameBuffer[i], 100);
  // Shown through the grey ramp: index 200 is level 50, 8-bit 200.
  EXPECT_EQ(palette[3 * 200], 50);
  EXPECT_EQ(colourTable[3 * 200], 200);
  EXPECT_EQ(expandedFrame[0], 200);
  EXPECT_EQ(expandedFrame[4 * kScreenWidth + 2], 100);
}

TEST_F(Pictures, TheBrightestBlueValuesAllShowAs252) {
  SetGreyPalette();
  RefreshPalette();
  for (int i = 252; i < 256; ++i) EXPECT_EQ(colourTable[3 * i], 252) << i;
  EXPECT_EQ(palette[3 * 255 + 1], 63);
  EXPECT_EQ(palette[3 * 3 + 2], 0);
}

TEST_F(Pictures, EachPictureWaitsUntilFourOrdersOnFromItsStart) {
  // At order 3 when the picture starts; one order every ten presents.
  fake::State().order = [] { return 3 + Presents() / 10; };
  ShowPicture2();
  // The pass whose poll sees order 7 still presents; it is the 41st.
  EXPECT_EQ(Presents(), 41);
  EXPECT_EQ(musicOrder, 7);
  EXPECT_EQ(fake::State().getOrderCalls, 42);
  EXPECT_EQ(CallsFrom("FindResource olkpic"), (Strings{"FindResource olkpic2"}));
}

TEST_F(Pictures, AtLeastOneFrameIsPresented) {
  int calls = 0;
  fake::State().order = [&calls] { return calls++ == 0 ? 0 : 10; };
  ShowPicture3();
  EXPECT_EQ(Presents(), 1);
}

TEST_F(Pictures, AnOrderThatFallsBackWaitsForStartPlusFourAgain) {
  const std::vector<int32_t> orders = {40, 41, 0, 1, 2, 3, 40, 43, 44};
  fake::State().order = [&orders] { return orders[std::min<size_t>(Presents(), orders.size() - 1)]; };
  ShowPicture4();
  EXPECT_EQ(musicOrder, 44);
  EXPECT_EQ(Presents(), 9);
}

TEST_F(Pictures, WithoutMusicEachPictureLastsFourOrdersOfTime) {
  SetUp();
  fake::State().songLoads = false;
  LoadMusic();
  fake::State().periodsPerPresent = 50;  // a second per present
  const uint32_t start = ReadTimeCounter();
  ShowPicture1();
  // Four orders at speed 3 and tempo 136 are 14.12 s: the fifteenth present passes it.
  EXPECT_EQ(Presents(), 15);
  EXPECT_EQ(musicOrder, -1);
  EXPECT_EQ(ReadTimeCounter() - start, 15u * 50 * 17920);
}

TEST_F(Pictures, AStalledModuleEndsThePictureAfterFourOrdersOfTimeWithoutAChange) {
  fake::State().periodsPerPresent = 50;
  // Moves on at the third present, then stays.
  fake::State().order = [] { return Presents() < 3 ? 5 : 6; };
  ShowPicture2();
  EXPECT_EQ(Presents(), 3 + 15);
}

TEST_F(Pictures, FourOrdersOfTimeIsTheNominalLength) {
  // 4 x 64 x 3 x 2.5 / 136 s = 14.1176 s = 12,649,411.8 counter units.
  EXPECT_FALSE(FourOrdersElapsed(12649411));
  EXPECT_TRUE(FourOrdersElapsed(12649412));
}

TEST_F(Pictures, AMissingPictureShowsBlack) {
  fake::State().resources.erase("OLKPIC3");
  fake::State().order = [] { return 4 * Presents(); };
  std::fill(frame.begin(), frame.end(), 9);
  ShowPicture3();
  for (int i = 0; i < kFrameBytes; ++i) ASSERT_EQ(frameBuffer[i], 0);
}

TEST_F(Pictures, APictureLeavesItsFrameAndTheGreyRampBehind) {
  fake::State().order = [] { return 4 * Presents(); };
  ShowPicture1();
  for (int i = 0; i < kPaletteEntries; ++i) ASSERT_EQ(palette[3 * i], i / 4);
  EXPECT_EQ(frameBuffer[0], 200);
}

}  // namespace
