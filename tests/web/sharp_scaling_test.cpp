// The page's sharp scaling: exact blocks at whole multiples, the show's colours at block centres, and the smooth
// step between blocks.
#include "platform/web/sharp_scaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::SharpScaling;

// An opaque picture whose pixels name their own column and row.
std::vector<uint8_t> Picture(int32_t width, int32_t height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width * height) * 4);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgba[static_cast<size_t>(y * width + x) * 4];
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(x >> 8 | y << 1);
      p[2] = static_cast<uint8_t>(y);
      p[3] = 255;
    }
  }
  return rgba;
}

std::vector<uint8_t> Scaled(SharpScaling& scaling, const std::vector<uint8_t>& picture, int32_t width,
                            int32_t height, int32_t canvasWidth, int32_t canvasHeight) {
  std::vector<uint8_t> canvas(static_cast<size_t>(canvasWidth * canvasHeight) * 4, 7);
  scaling.Scale(picture.data(), width, height, canvas.data(), canvasWidth, canvasHeight);
  return canvas;
}

uint32_t Pixel(const std::vector<uint8_t>& rgba, int32_t width, int32_t x, int32_t y) {
  const uint8_t* p = &rgba[static_cast<size_t>(y * width + x) * 4];
  return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

TEST(SharpScaling, WholeMultiplesGiveExactBlocksAndTheTablesFollowTheSize) {
  const std::vector<uint8_t> picture = Picture(320, 200);
  SharpScaling scaling;
  // First another size, so that the second scale must build its tables afresh.
  Scaled(scaling, picture, 320, 200, 640, 480);
  for (const auto& [width, height] : {std::pair{640, 400}, std::pair{960, 600}}) {
    const std::vector<uint8_t> canvas = Scaled(scaling, picture, 320, 200, width, height);
    const int32_t block = width / 320;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        ASSERT_EQ(Pixel(canvas, width, x, y), Pixel(picture, 320, x / block, y / block)) << x << "," << y;
      }
    }
  }
}

// The page's own check reads each block's centre back as the show's colour.
TEST(SharpScaling, BlockCentresKeepTheShowsColours) {
  const std::vector<uint8_t> picture = Picture(320, 200);
  SharpScaling scaling;
  for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1024, 768}, std::pair{800, 600}}) {
    const std::vector<uint8_t> canvas = Scaled(scaling, picture, 320, 200, width, height);
    for (int32_t y = 0; y < 200; ++y) {
      for (int32_t x = 0; x < 320; ++x) {
        const int32_t cx = (2 * x + 1) * width / 640;
        const int32_t cy = (2 * y + 1) * height / 400;
        ASSERT_EQ(Pixel(canvas, width, cx, cy), Pixel(picture, 320, x, y)) << width << ": " << x << "," << y;
      }
    }
  }
}

// Two pixels to three: blocks of two make four samples, read at 1/6, 1/2 and 5/6 of the way; the middle one falls
// halfway between the blocks. Down and across, both ways.
TEST(SharpScaling, TheStepBetweenBlocksIsSmooth) {
  const std::vector<uint8_t> picture = {0, 0, 0, 255, 255, 255, 255, 255};
  SharpScaling scaling;
  const std::vector<uint8_t> expected = {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255};
  EXPECT_EQ(Scaled(scaling, picture, 1, 2, 1, 3), expected);
  EXPECT_EQ(Scaled(scaling, picture, 2, 1, 3, 1), expected);
}

}  // namespace
