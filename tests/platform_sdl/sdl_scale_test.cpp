// How the SDL device scales the picture, read back from the software renderer: nearest pixel gives rows of uneven
// thickness at 640 x 480, sharp gives every row the same weight, and integer placement gives exact 5 x 6 blocks.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "display/pixel_conversion.h"
#include "display/presentation.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace {

class ReadBackVideo : public platform::SdlVideo {
 public:
  sdlbackend::ReadBack shown;

 protected:
  void OnDrawn(SDL_Renderer* renderer) override { shown = sdlbackend::ReadOutput(renderer); }
};

// A window the window system filled with black, as an X11 one is.
class BlankReadBackVideo : public ReadBackVideo {
 protected:
  bool ClearWindowToBlack() override { return true; }
};

class SdlScale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
  }
  static void TearDownTestSuite() { unsetenv("SDL_RENDER_DRIVER"); }

  // A window of width x height with the picture filtered as asked; false when no renderer can be had here.
  bool Open(int32_t width, int32_t height, platform::PictureFilter filter) { return Open(video_, width, height, filter); }
  bool Open(ReadBackVideo& video, int32_t width, int32_t height, platform::PictureFilter filter) {
    video.SetPictureFilter(filter);
    if (!video.Create().ok() || !video.CurrentMode(desktop_).ok()) return false;
    return video.OpenWindowed({"Scale", width, height}).ok();
  }
  // Packs expanded (blue, green, red, unused per pixel) and presents it on picture; what was drawn is in shown.
  void Present(const std::vector<uint8_t>& expanded, const platform::Rect& picture) {
    Present(video_, expanded, picture);
  }
  void Present(ReadBackVideo& video, const std::vector<uint8_t>& expanded, const platform::Rect& picture) {
    platform::WorkTarget target;
    ASSERT_EQ(video.Lock(target), platform::Access::kOk);
    const int32_t greenWidth = desktop_.layout.greenMask == 0x3E0 ? 0 : 1;
    PackFrame(expanded.data(), target.pixels, target.pitch, desktop_.layout.bitsPerPixel, greenWidth);
    video.Unlock();
    ASSERT_EQ(video.Present({0, 0, 320, 200}, picture), platform::Access::kOk);
    ASSERT_FALSE(video.shown.pixels.empty());
  }
  // A channel (0 red, 1 green) summed over the whole output.
  uint64_t Intensity(int channel) const {
    uint64_t sum = 0;
    for (size_t i = channel; i < video_.shown.pixels.size(); i += 4) sum += video_.shown.pixels[i];
    return sum;
  }
  // The weight of each source row and column in the output, lighting one row in red and one column in green at a
  // time.
  void Weights(const platform::Rect& picture, std::vector<uint64_t>& rows, std::vector<uint64_t>& columns) {
    for (int line = 0; line < 320; ++line) {
      std::vector<uint8_t> expanded(kExpandedFrameBytes, 0);
      for (int x = 0; x < 320 && line < 200; ++x) expanded[4 * (line * 320 + x) + 2] = 252;
      for (int y = 0; y < 200; ++y) expanded[4 * (y * 320 + line) + 1] = 252;
      Present(expanded, picture);
      if (line < 200) rows.push_back(Intensity(0));
      columns.push_back(Intensity(1));
    }
  }

  ReadBackVideo video_;
  platform::VideoMode desktop_;
};

constexpr platform::Rect kWhole640x480 = {0, 0, 640, 480};

TEST_F(SdlScale, NearestGivesRowsOfUnevenWeightAt640x480) {
  if (!Open(640, 480, platform::PictureFilter::kNearest)) GTEST_SKIP() << "no software renderer here";
  std::vector<uint64_t> rows, columns;
  Weights(kWhole640x480, rows, columns);
  // 2.4 output rows a source row: some get 2, some 3.
  const auto [least, most] = std::minmax_element(rows.begin(), rows.end());
  EXPECT_EQ(*least * 3, *most * 2);
}

TEST_F(SdlScale, SharpGivesEverySourceRowAndColumnTheSameWeightWithinOnePercent) {
  if (!Open(640, 480, platform::PictureFilter::kSharp)) GTEST_SKIP() << "no software renderer here";
  // The whole window (2 output columns and 2.4 rows a source pixel), then a narrower place (1.75 columns).
  for (const platform::Rect& picture : {kWhole640x480, platform::Rect{40, 0, 600, 480}}) {
    const double width = picture.right - picture.left;
    SCOPED_TRACE(width);
    std::vector<uint64_t> rows, columns;
    Weights(picture, rows, columns);
    const double row = 480.0 / 200 * width * 252, column = width / 320 * 480 * 252;
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(static_cast<double>(rows[i]), row, row / 100) << "row " << i;
    for (size_t i = 0; i < columns.size(); ++i) {
      EXPECT_NEAR(static_cast<double>(columns[i]), column, column / 100) << "column " << i;
    }
  }
}

TEST_F(SdlScale, IntegerAt1600x1200MakesEverySourcePixelAnExactFiveBySixBlock) {
  if (!Open(1600, 1200, platform::PictureFilter::kNearest)) GTEST_SKIP() << "no software renderer here";
  const platform::Rect picture = PictureRect(PictureShape::kFourThree, 1600, 1200, PictureScale::kInteger);
  ASSERT_EQ(picture.right - picture.left, 1600);
  // Every source pixel a colour of its own: red its column's low bits, green its row, blue the column's high bit.
  std::vector<uint8_t> expanded(kExpandedFrameBytes, 0);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      uint8_t* p = expanded.data() + 4 * (y * 320 + x);
      p[0] = static_cast<uint8_t>(x >> 8) * 200;
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>(x & 0xFF);
    }
  }
  Present(expanded, picture);
  const sdlbackend::ReadBack& shown = video_.shown;
  ASSERT_EQ(shown.width, 1600);
  ASSERT_EQ(shown.height, 1200);
  int wrong = 0;
  for (int y = 0; y < 1200; ++y) {
    for (int x = 0; x < 1600; ++x) {
      const uint8_t* p = shown.pixels.data() + 4 * (y * 1600 + x);
      const int sx = x / 5, sy = y / 6;
      if (p[0] != (sx & 0xFF) || p[1] != sy || p[2] != (sx >> 8) * 200) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(SdlScale, SharpRedrawingOnlyTheChangedRowsShowsWhatDrawingTheWholePictureShows) {
  if (!Open(640, 480, platform::PictureFilter::kSharp)) GTEST_SKIP() << "no software renderer here";
  std::vector<uint8_t> before(kExpandedFrameBytes, 0);
  for (size_t i = 0; i < before.size(); ++i) before[i] = static_cast<uint8_t>(i * 7 % 251);
  Present(before, kWhole640x480);
  // Rows 99 to 101 change: their own output rows and those straddling into them from above and below must follow.
  std::vector<uint8_t> after = before;
  for (size_t i = 4 * 99 * 320; i < 4 * 102 * 320; ++i) after[i] = static_cast<uint8_t>(255 - after[i]);
  Present(after, kWhole640x480);
  const std::vector<uint8_t> changed = video_.shown.pixels;
  // Elsewhere and back: the picture is drawn whole again.
  Present(after, {0, 0, 600, 480});
  Present(after, kWhole640x480);
  EXPECT_TRUE(changed == video_.shown.pixels);
}

TEST_F(SdlScale, SharpOnAWindowFilledWithBlackDrawsOnlyTheRowsThatAreNotBlackAndShowsTheWholePicture) {
  // Black but for source rows 50 to 149: the output rows straddling rows 49 and 150 must be drawn too.
  std::vector<uint8_t> picture(kExpandedFrameBytes, 0);
  for (size_t i = 4 * 50 * 320; i < 4 * 150 * 320; ++i) picture[i] = static_cast<uint8_t>(i * 7 % 251 | 1);
  std::vector<uint8_t> later = picture;
  for (size_t i = 4 * 10 * 320; i < 4 * 11 * 320; ++i) later[i] = 200;
  {
    BlankReadBackVideo blank;
    if (!Open(blank, 640, 480, platform::PictureFilter::kSharp)) GTEST_SKIP() << "no software renderer here";
    Present(blank, std::vector<uint8_t>(kExpandedFrameBytes, 0), kWhole640x480);
    Present(blank, picture, kWhole640x480);
    Present(blank, later, kWhole640x480);
    // Drawn whole, on a window that may show anything.
    if (!Open(640, 480, platform::PictureFilter::kSharp)) GTEST_SKIP() << "no second window here";
    Present(later, kWhole640x480);
    EXPECT_TRUE(blank.shown.pixels == video_.shown.pixels);
  }
}

}  // namespace
