// Tests that previews show a still picture exactly as the picture hooks and the grey palette present it.
#include "tools/picture_preview/shown_frame.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vesk::preview {
namespace {

std::vector<std::uint8_t> BlankPicture() { return kit::EncodeStillPicture(kit::RgbImage(320, 200)); }

void SetStored(std::vector<std::uint8_t>& file, int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  const std::size_t at = 54 + (static_cast<std::size_t>(y) * 320 + x) * 3;
  file[at] = b;
  file[at + 1] = g;
  file[at + 2] = r;
}

TEST(ShownPicture, FirstStoredRowAppearsAtTheTop) {
  auto file = BlankPicture();
  for (int x = 0; x < 320; ++x) SetStored(file, x, 0, 255, 255, 255);
  const kit::RgbImage shown = ShownPicture(file);
  EXPECT_EQ(shown.Pixel(17, 0)[0], 252);
  EXPECT_EQ(shown.Pixel(17, 199)[0], 0);
}

TEST(ShownPicture, OnlyBlueCountsAndGoesThroughTheSixBitGreyRamp) {
  auto file = BlankPicture();
  SetStored(file, 0, 5, 200, 10, 10);
  SetStored(file, 1, 5, 255, 0, 0);
  SetStored(file, 2, 5, 252, 0, 0);
  SetStored(file, 3, 5, 3, 255, 255);
  const kit::RgbImage shown = ShownPicture(file);
  const std::uint8_t expected[] = {200, 252, 252, 0};
  for (int x = 0; x < 4; ++x) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(shown.Pixel(x, 5)[c], expected[x]) << "pixel " << x << " channel " << c;
  }
}

TEST(ShownPicture, RefusesATruncatedFile) {
  auto file = BlankPicture();
  file.pop_back();
  EXPECT_THROW(ShownPicture(file), std::invalid_argument);
}

TEST(Stretch, CoversTheScreenLikeTheBlitWithUnevenRowsAt640By480) {
  kit::RgbImage image(320, 200);
  image.Pixel(1, 0)[1] = 9;
  image.Pixel(0, 1)[1] = 7;
  const kit::RgbImage big = Stretch(image, 640, 480);
  ASSERT_EQ(big.width, 640);
  ASSERT_EQ(big.height, 480);
  EXPECT_EQ(big.Pixel(1, 0)[1], 0);
  EXPECT_EQ(big.Pixel(2, 0)[1], 9);
  EXPECT_EQ(big.Pixel(3, 2)[1], 9);   // 2.4 rows per frame row: rows 0 to 2 come from row 0
  EXPECT_EQ(big.Pixel(0, 2)[1], 0);
  EXPECT_EQ(big.Pixel(0, 3)[1], 7);
  EXPECT_EQ(big.Pixel(1, 4)[1], 7);
  EXPECT_EQ(big.Pixel(0, 5)[1], 0);
  EXPECT_THROW(Stretch(image, 0, 480), std::invalid_argument);
}

}  // namespace
}  // namespace vesk::preview
