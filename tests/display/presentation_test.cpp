// Presenting a frame: the blit and its retries, a lost surface, a failed lock, an inactive program, the formats.
#include <gtest/gtest.h>

#include <cstring>

#include "display_fixture.h"

namespace {

using display_test::DisplayTest;
using display_test::Mode;
using display_test::pumpRuns;
using Strings = std::vector<std::string>;

const std::string kFullBlit = "Blt primary 0,0,800,600 from back 0,0,320,200";

using Presentation = DisplayTest;

TEST_F(Presentation, PacksWaitsBlitsStretchedThenPumps) {
  ReadyDisplay(800, 600, 32, false);
  PresentFrame();
  EXPECT_EQ(Calls(), (Strings{"Lock back", "Unlock back", "WaitForVerticalBlank", kFullBlit}));
  EXPECT_EQ(pumpRuns, 1);
}

TEST_F(Presentation, TheFirstFrameIsBlackWhateverTheFrameHolds) {
  ReadyDisplay(800, 600, 32, false);
  std::memset(frame.data(), 77, frame.size());
  PresentFrame();
  const std::vector<uint8_t>& surface = fake::State().lastLocked;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      const uint8_t* p = surface.data() + y * fake::State().lastLockedPitch + 4 * x;
      ASSERT_EQ(p[0] | p[1] | p[2], 0);
    }
  }
}

TEST_F(Presentation, ALostSurfaceIsRestoredAndTheFrameNotBlittedAgain) {
  ReadyDisplay(800, 600, 32, false);
  fake::State().bltResults = {platform::kDisplaySurfaceLost};
  PresentFrame();
  EXPECT_EQ(Calls(), (Strings{"Lock back", "Unlock back", "WaitForVerticalBlank", kFullBlit, "Restore primary"}));
  EXPECT_EQ(pumpRuns, 1);
}

TEST_F(Presentation, StillDrawingRetriesWithTheRectangleRecomputed) {
  ReadyDisplay(800, 600, 32, true);
  fake::State().bltResults = {platform::kDisplayWasStillDrawing, platform::kDisplayWasStillDrawing};
  // The window moves while the blitter is busy.
  fake::State().onCall = [](const std::string& call) {
    if (call.rfind("Blt", 0) == 0) fake::State().windowOrigin.x += 10;
  };
  PresentFrame();
  ASSERT_EQ(fake::State().bltRects.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(fake::State().bltRects[i].left, 100 + 10 * i);
    EXPECT_EQ(fake::State().bltRects[i].right, 900 + 10 * i);
    EXPECT_EQ(fake::State().bltRects[i].top, 50);
    EXPECT_EQ(fake::State().bltRects[i].bottom, 650);
  }
  EXPECT_EQ(fake::Count("WaitForVerticalBlank"), 3);
  EXPECT_EQ(fake::Count("ClientToScreen"), 6);
  EXPECT_EQ(fake::Count("Lock"), 1);
  EXPECT_EQ(pumpRuns, 1);
}

TEST_F(Presentation, OtherBlitFailuresDropTheFrameQuietly) {
  ReadyDisplay(800, 600, 32, false);
  fake::State().bltResults = {platform::kDisplayGenericError};
  PresentFrame();
  EXPECT_EQ(Calls().back(), kFullBlit);
  EXPECT_EQ(fake::Count("MessageBox"), 0);
}

TEST_F(Presentation, AFailedLockSkipsTheFrame) {
  ReadyDisplay(800, 600, 32, false);
  fake::State().lockResult = platform::kDisplayGenericError;
  PresentFrame();
  EXPECT_EQ(Calls(), (Strings{"Lock back"}));
  EXPECT_EQ(pumpRuns, 1);
}

TEST_F(Presentation, ALockThatFindsTheSurfaceLostRestoresItAndSkipsTheFrame) {
  ReadyDisplay(800, 600, 32, false);
  fake::State().lockResult = platform::kDisplaySurfaceLost;
  PresentFrame();
  PresentFrame();
  EXPECT_EQ(Calls(), (Strings{"Lock back", "Restore primary", "Lock back", "Restore primary"}));
  EXPECT_EQ(pumpRuns, 2);
}

TEST_F(Presentation, ASurfaceTooSmallForThePictureIsNotWrittenPast) {
  fake::State().modes = {Mode(160, 100, 32)};
  ReadyDisplay(160, 100, 32, false);
  PresentFrame();
  EXPECT_EQ(Calls(), (Strings{"Lock back", "Unlock back"}));
  EXPECT_EQ(pumpRuns, 1);
}

TEST_F(Presentation, AnInactiveProgramDrawsNothingButStillConvertsAndPumps) {
  ReadyDisplay(800, 600, 32, false);
  appActive = 0;
  palette[3 * 9] = 63;
  frame[0] = 9;
  PresentFrame();
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(pumpRuns, 1);
  EXPECT_EQ(colourTable[3 * 9 + 2], 252);
  EXPECT_EQ(expandedFrame[2], 252);
}

TEST_F(Presentation, AWindowPacksInTheDesktopsFormatAndFullScreenInTheModes) {
  // A 5-5-5 desktop, and a 5-6-5 mode of the same size to choose.
  fake::State().desktop = Mode(1024, 768, 16, 0x3E0);
  fake::State().modes = {Mode(640, 480, 16, 0x7E0)};
  palette[3 * 4 + 1] = 63;  // pure green
  std::memset(frame.data(), 4, frame.size());

  ReadyDisplay(640, 480, 16, true);
  PresentFrame();
  const auto word = [] { return fake::State().lastLocked[0] | (fake::State().lastLocked[1] << 8); };
  EXPECT_EQ(word(), 0x03E0);

  SetUp();
  fake::State().desktop = Mode(1024, 768, 16, 0x3E0);
  fake::State().modes = {Mode(640, 480, 16, 0x7E0)};
  palette[3 * 4 + 1] = 63;
  std::memset(frame.data(), 4, frame.size());
  ReadyDisplay(640, 480, 16, false);
  PresentFrame();
  EXPECT_EQ(word(), 0x07E0);
}

}  // namespace

namespace {

TEST_F(Presentation, TheFourThreeShapeCentresThePictureBetweenBlackBars) {
  // 16:9 is pillarboxed (960 of 1280 wide), 5:4 letterboxed (960 of 1024 high), 4:3 filled; stretching fills all.
  const auto rect = [](PictureShape shape, int32_t w, int32_t h) {
    const platform::Rect r = PictureRect(shape, w, h);
    return std::vector<int32_t>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(rect(PictureShape::kFourThree, 1280, 720), (std::vector<int32_t>{160, 0, 1120, 720}));
  EXPECT_EQ(rect(PictureShape::kFourThree, 1280, 1024), (std::vector<int32_t>{0, 32, 1280, 992}));
  EXPECT_EQ(rect(PictureShape::kFourThree, 1024, 768), (std::vector<int32_t>{0, 0, 1024, 768}));
  EXPECT_EQ(rect(PictureShape::kStretch, 1280, 720), (std::vector<int32_t>{0, 0, 1280, 720}));

  // The blit follows the shape, in full screen and, offset by the client area's place, in a window.
  fake::State().modes.push_back(Mode(800, 480, 32));
  ReadyDisplay(800, 480, 32, false);
  pictureShape = PictureShape::kFourThree;
  PresentFrame();
  EXPECT_EQ(Calls().back(), "Blt primary 80,0,720,480 from back 0,0,320,200");
  SetUp();
  fake::State().modes.push_back(Mode(800, 480, 32));
  ReadyDisplay(800, 480, 32, true);
  pictureShape = PictureShape::kFourThree;
  PresentFrame();
  ASSERT_FALSE(fake::State().bltRects.empty());
  const platform::Rect& windowed = fake::State().bltRects.back();
  EXPECT_EQ((std::vector<int32_t>{windowed.left, windowed.top, windowed.right, windowed.bottom}),
            (std::vector<int32_t>{180, 50, 820, 530}));
}

}  // namespace
