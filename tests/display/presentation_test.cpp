// Presenting a frame: the present and its retries, a lost surface, a failed lock, an unobserved screen, the
// layouts, the shape, and each set-up step's message.
#include "display/presentation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/interface_block.h"
#include "display/display_setup.h"
#include "tests/fakes/fake_platform.h"

namespace {

using Strings = std::vector<std::string>;
using platform::Access;

platform::VideoMode Mode(int32_t w, int32_t h, int32_t bits, uint32_t green = 0) {
  if (bits == 16) return {w, h, {16, green == 0x3E0 ? 0x7C00u : 0xF800u, green != 0 ? green : 0x7E0u, 0x1F}};
  return {w, h, {bits, 0xFF0000, 0xFF00, 0xFF}};
}

DisplayMode Record(const platform::VideoMode& m) {
  return {m.width, m.height, m.layout.bitsPerPixel, m.layout.redMask, m.layout.greenMask, m.layout.blueMask,
          (m.layout.greenMask >> 5) == 31 ? 0 : 1};
}

class Presentation : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(palette, 0, sizeof palette); }
  // Opens mode full screen, or a window of its size on the desktop, and forgets the calls so far.
  void Open(const platform::VideoMode& mode, bool windowed, const platform::VideoMode& desktop = Mode(1024, 768, 32)) {
    fake.SetModes({desktop, {mode}});
    format = Record(windowed ? desktop : mode);
    size = Record(mode);
    ASSERT_TRUE(fake.Video().Create().ok());
    ASSERT_TRUE(SetupDisplay(fake.Video(), size, windowed));
    fake.calls.clear();
  }
  void Show(PictureShape shape = PictureShape::kStretch) {
    presenter.Show(fake.Video(), palette, frame.data(), format, size, shape);
  }

  fake::FakePlatform fake;
  Presenter presenter;
  DisplayMode format{};
  DisplayMode size{};
  std::vector<uint8_t> frame = std::vector<uint8_t>(kFrameBytes, 0);
};

TEST_F(Presentation, PacksThenPresentsTheWholePictureStretched) {
  Open(Mode(800, 600, 32), false);
  palette[3 * 9] = 63;
  frame[0] = 9;
  Show();
  EXPECT_EQ(fake.calls, (Strings{"Lock", "Unlock", "Present 0,0,800,600"}));
  // Screen columns 0 and 1 have their centres on source column 0, column 2 on column 1; red is the third byte.
  const platform::MemorySurface& screen = fake.Device().Screen();
  EXPECT_EQ(screen.bytes[2], 252);
  EXPECT_EQ(screen.bytes[4 * 1 + 2], 252);
  EXPECT_EQ(screen.bytes[4 * 2 + 2], 0);
}

TEST_F(Presentation, BlackUntilAColourIsSetWhateverTheFrameHolds) {
  Open(Mode(800, 600, 32), false);
  std::memset(frame.data(), 77, frame.size());
  Show();
  for (uint8_t byte : fake.Device().Screen().bytes) ASSERT_EQ(byte, 0);
}

TEST_F(Presentation, BusyRetriesALostPresentIsRestoredOnceAndOtherFailuresDropTheFrame) {
  Open(Mode(800, 600, 32), false);
  fake.Device().ScriptPresents({Access::kBusy, Access::kBusy});
  Show();
  EXPECT_EQ(fake.Count("Present"), 3);
  EXPECT_EQ(fake.Count("Lock"), 1);

  fake.calls.clear();
  fake.Device().ScriptPresents({Access::kLost});
  Show();
  EXPECT_EQ(fake.calls, (Strings{"Lock", "Unlock", "Present 0,0,800,600", "Restore"}));

  fake.calls.clear();
  fake.Device().ScriptPresents({Access::kFailed});
  Show();
  EXPECT_EQ(fake.calls.back(), "Present 0,0,800,600");
  EXPECT_EQ(fake.Count("MessageBox"), 0);
}

TEST_F(Presentation, AFailedLockSkipsTheFrameAndALostOneRestores) {
  Open(Mode(800, 600, 32), false);
  fake.Device().ScriptLocks({Access::kFailed, Access::kLost});
  Show();
  Show();
  EXPECT_EQ(fake.calls, (Strings{"Lock", "Lock", "Restore"}));
}

TEST_F(Presentation, AnUnobservedScreenIsPresentedWithoutPacking) {
  Open(Mode(800, 600, 32), false);
  fake.Device().SetObserved(false);
  palette[3 * 9] = 63;
  frame[0] = 9;
  Show();
  EXPECT_EQ(fake.calls, (Strings{"Lock", "Present 0,0,800,600"}));
  EXPECT_EQ(presenter.ColourTable()[3 * 9 + 2], 0);
}

TEST_F(Presentation, AWindowPacksInTheDesktopsLayoutAndFullScreenInTheModes) {
  palette[3 * 4 + 1] = 63;  // pure green
  std::memset(frame.data(), 4, frame.size());
  // A 5-5-5 desktop, and a 5-6-5 mode of the same size to choose.
  Open(Mode(640, 480, 16, 0x7E0), true, Mode(1024, 768, 16, 0x3E0));
  Show();
  const auto word = [this] { return fake.Device().Work().bytes[0] | (fake.Device().Work().bytes[1] << 8); };
  EXPECT_EQ(word(), 0x03E0);
  fake.Video().Release();
  Open(Mode(640, 480, 16, 0x7E0), false, Mode(1024, 768, 16, 0x3E0));
  Show();
  EXPECT_EQ(word(), 0x07E0);
}

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
  Open(Mode(800, 480, 32), true);
  Show(PictureShape::kFourThree);
  EXPECT_EQ(fake.calls.back(), "Present 80,0,720,480");
}

TEST(PictureScaling, IntegerTakesFiveBySixBlocksWhereTheyFitElseTheLargestWholeMultipleCentred) {
  const auto rect = [](int32_t w, int32_t h) {
    const platform::Rect r = PictureRect(PictureShape::kFourThree, w, h, PictureScale::kInteger);
    return std::vector<int32_t>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(rect(1600, 1200), (std::vector<int32_t>{0, 0, 1600, 1200}));
  // 1080 rows hold no 1200-row block: five times over, 1600 x 1000.
  EXPECT_EQ(rect(1920, 1080), (std::vector<int32_t>{160, 40, 1760, 1040}));
  // One block fits in 4K; blocks win over ten times 320 x 200.
  EXPECT_EQ(rect(3840, 2160), (std::vector<int32_t>{1120, 480, 2720, 1680}));
  EXPECT_EQ(rect(3200, 2400), (std::vector<int32_t>{0, 0, 3200, 2400}));
  EXPECT_EQ(rect(640, 480), (std::vector<int32_t>{0, 40, 640, 440}));
  EXPECT_EQ(rect(959, 599), (std::vector<int32_t>{159, 99, 799, 499}));
  // Too small for even one: shaped as the others.
  EXPECT_EQ(rect(200, 100), (std::vector<int32_t>{33, 0, 166, 100}));
  // Only sharp asks the device to filter.
  EXPECT_EQ(FilterFor(PictureScale::kSharp), platform::PictureFilter::kSharp);
  EXPECT_EQ(FilterFor(PictureScale::kInteger), platform::PictureFilter::kNearest);
  EXPECT_EQ(FilterFor(PictureScale::kNearest), platform::PictureFilter::kNearest);
}

TEST(DisplaySetup, EachStepHasItsMessageAndOnlyFullScreenHidesTheCursorAndDestroysTheWindow) {
  using platform::VideoStep;
  const std::pair<VideoStep, std::string> texts[] = {
      {VideoStep::kCooperativeLevel, "SetCooperativeLevel error"}, {VideoStep::kDisplayMode, "SetDisplayMode error"},
      {VideoStep::kPrimarySurface, "CreateSurface error"},        {VideoStep::kBackBuffer, "GetAttachedSurface error"},
      {VideoStep::kClipper, "CreateClipper error"},               {VideoStep::kWorkSurface, "CreateSurface error"}};
  for (const auto& [step, text] : texts) EXPECT_EQ(SetupErrorText(step), text);

  fake::FakePlatform full;
  full.Device().FailStep(VideoStep::kDisplayMode);
  EXPECT_FALSE(SetupDisplay(full.Video(), {640, 480, 16, 0xF800, 0x7E0, 0x1F, 1}, false));
  EXPECT_EQ(full.calls, (Strings{"ShowCursor 0", "OpenFullScreen Test 640x480x16",
                                 "MessageBox SetDisplayMode error|DDRAW ERROR|0", "DestroyWindow"}));
  fake::FakePlatform windowed;
  windowed.Device().FailStep(VideoStep::kClipper);
  EXPECT_FALSE(SetupDisplay(windowed.Video(), {640, 480, 32, 0xFF0000, 0xFF00, 0xFF, 1}, true));
  EXPECT_EQ(windowed.calls, (Strings{std::string("OpenWindowed ") + kWindowedTitle + " 640x480",
                                     "MessageBox CreateClipper error|DDRAW ERROR|0"}));
}

}  // namespace
