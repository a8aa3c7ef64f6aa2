// The still pictures: their orientation and grey levels, the wait of four orders, and the wait without music.
#include <gtest/gtest.h>

#include <vector>

#include "display/pixel_conversion.h"
#include "host/pictures.h"
#include "session_fixture.h"

namespace {

using namespace host_test;

// One picture hook run inside the show; what it left behind is kept.
class Pictures : public SessionTest {
 protected:
  void ShowPicture(HookSlot slot) {
    script.body = [this, slot] {
      firstPresent = Presents();
      CallHook(slot);
      picturePresents = Presents() - firstPresent;
      shown.assign(frameBuffer, frameBuffer + kFrameBytes);
      shownPalette.assign(palette, palette + kPaletteBytes);
      screen = fake.Device().Screen().bytes;
      screenPitch = fake.Device().Screen().pitch;
    };
    ASSERT_EQ(Run(), 0);
  }
  // The presents made so far by the picture, while it runs.
  int PicturePresents() const { return Presents() - firstPresent; }

  int firstPresent = 0;
  int picturePresents = 0;
  std::vector<uint8_t> shown;
  std::vector<uint8_t> shownPalette;
  std::vector<uint8_t> screen;
  int32_t screenPitch = 0;
};

TEST_F(Pictures, TheFirstStoredRowIsTheTopAndTheBlueByteIsTheGrey) {
  fake.order = [this] { return 4 + PicturePresents(); };  // moves on one order per present
  ShowPicture(kHookShowPicture1);
  for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(shown[x], 200);
  for (int i = kScreenWidth; i < kFrameBytes; ++i) ASSERT_EQ(shown[i], 100);
  // Shown through the grey ramp: index 200 is level 50, 8-bit 200, at the top of the screen; 100 below.
  EXPECT_EQ(shownPalette[3 * 200], 50);
  EXPECT_EQ(screen[0], 200);
  EXPECT_EQ(screen[static_cast<size_t>(599) * screenPitch + 2], 100);
}

TEST_F(Pictures, TheBrightestBlueValuesAllShowAs252) {
  SetGreyPalette();
  uint8_t colourTable[kColourTableBytes];
  RefreshPalette(palette, colourTable);
  for (int i = 252; i < 256; ++i) EXPECT_EQ(colourTable[3 * i], 252) << i;
  EXPECT_EQ(palette[3 * 255 + 1], 63);
  EXPECT_EQ(palette[3 * 3 + 2], 0);
}

TEST_F(Pictures, EachPictureWaitsUntilFourOrdersOnFromItsStart) {
  // At order 3 when the picture starts; one order every ten presents.
  fake.order = [this] { return 3 + PicturePresents() / 10; };
  ShowPicture(kHookShowPicture2);
  // The pass whose poll sees order 7 still presents; it is the 41st.
  EXPECT_EQ(picturePresents, 41);
  EXPECT_EQ(fake.orderCalls, 42);
}

TEST_F(Pictures, AtLeastOneFrameIsPresented) {
  int calls = 0;
  fake.order = [&calls] { return calls++ == 0 ? 0 : 10; };
  ShowPicture(kHookShowPicture3);
  EXPECT_EQ(picturePresents, 1);
}

TEST_F(Pictures, AnOrderThatFallsBackWaitsForStartPlusFourAgain) {
  const std::vector<int32_t> orders = {40, 41, 0, 1, 2, 3, 40, 43, 44};
  fake.order = [this, &orders] { return orders[std::min<size_t>(PicturePresents(), orders.size() - 1)]; };
  ShowPicture(kHookShowPicture4);
  EXPECT_EQ(picturePresents, 9);
}

TEST_F(Pictures, WithoutMusicEachPictureLastsFourOrdersOfTime) {
  fake.musicLoads = false;
  fake.ticksPerDispatch = 50;  // a second per present
  uint32_t start = 0;
  uint32_t end = 0;
  script.body = [&] {
    firstPresent = Presents();
    start = ReadTimeCounter();
    CallHook(kHookShowPicture1);
    end = ReadTimeCounter();
    picturePresents = Presents() - firstPresent;
  };
  ASSERT_EQ(Run(), 0);
  // Four orders at speed 3 and tempo 136 are 14.12 s: the fifteenth present passes it.
  EXPECT_EQ(picturePresents, 15);
  EXPECT_EQ(end - start, 15u * 50 * 17920);
}

TEST_F(Pictures, AStalledModuleEndsThePictureAfterFourOrdersOfTimeWithoutAChange) {
  fake.ticksPerDispatch = 50;
  // Moves on at the third present, then stays.
  fake.order = [this] { return PicturePresents() < 3 ? 5 : 6; };
  ShowPicture(kHookShowPicture2);
  EXPECT_EQ(picturePresents, 3 + 15);
}

TEST_F(Pictures, FourOrdersOfTimeIsTheNominalLength) {
  // 4 x 64 x 3 x 2.5 / 136 s = 14.1176 s = 12,649,411.8 counter units.
  EXPECT_FALSE(FourOrdersElapsed(12649411));
  EXPECT_TRUE(FourOrdersElapsed(12649412));
}

TEST_F(Pictures, AMissingPictureShowsBlack) {
  fake.resources.erase("OLKPIC3");
  fake.order = [this] { return 4 * PicturePresents(); };
  ShowPicture(kHookShowPicture3);
  for (int i = 0; i < kFrameBytes; ++i) ASSERT_EQ(shown[i], 0);
}

TEST_F(Pictures, APictureLeavesItsFrameAndTheGreyRampBehindAndNamesItselfAsTheSource) {
  struct Sources : FrameObserver {
    std::vector<PresentSource> seen;
    void OnFrame(const FrameHandOver& frame) override { seen.push_back(frame.source); }
  } sources;
  fake.order = [this] { return 4 * PicturePresents(); };
  script.body = [&] {
    firstPresent = Presents();
    CallHook(kHookShowPicture1);
    CallHook(kHookPresentFrame);
  };
  session = std::make_unique<HostSession>(Platform{fake.Video(), fake.Events(), fake.Ticker(), fake.Music()});
  session->SetObserver(&sources);
  ASSERT_EQ(session->Run(view, preset, ScriptedShow), 0);
  for (int i = 0; i < kPaletteEntries; ++i) ASSERT_EQ(palette[3 * i], i / 4);
  EXPECT_EQ(frameBuffer[0], 200);
  EXPECT_EQ(sources.seen, (std::vector<PresentSource>{kSourceStartupFrame, kSourcePicture1, kSourcePicture1, kSourceCore}));
}

}  // namespace
