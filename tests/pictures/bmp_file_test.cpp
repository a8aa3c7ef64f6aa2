// Tests of the two BMP layouts: still pictures stored top row first, ordinary bitmaps bottom-up and padded.
#include "tools/bitmap_kit/bmp_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vesk::kit {
namespace {

RgbImage Numbered(int w, int h) {
  RgbImage image(w, h);
  for (std::size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return image;
}

TEST(StillPicture, HeaderHoldsTheFixedValuesTheHooksShipWith) {
  const auto bytes = EncodeStillPicture(RgbImage(kPictureWidth, kPictureHeight));
  ASSERT_EQ(bytes.size(), 192054u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(ReadLe32(bytes, 2), 192054u);
  EXPECT_EQ(ReadLe32(bytes, 6), 0u);
  EXPECT_EQ(ReadLe32(bytes, 10), 54u);
  EXPECT_EQ(ReadLe32(bytes, 14), 40u);
  EXPECT_EQ(ReadLe32(bytes, 18), 320u);
  EXPECT_EQ(ReadLe32(bytes, 22), 200u);
  EXPECT_EQ(ReadLe16(bytes, 26), 1u);
  EXPECT_EQ(ReadLe16(bytes, 28), 24u);
  for (std::size_t at = 30; at < 54; ++at) EXPECT_EQ(bytes[at], 0u) << "header byte " << at;
}

TEST(StillPicture, FirstStoredRowIsTheTopRowInBlueGreenRedOrder) {
  const RgbImage image = Numbered(kPictureWidth, kPictureHeight);
  const auto bytes = EncodeStillPicture(image);
  for (int y : {0, 1, 199}) {
    for (int x : {0, 1, 319}) {
      const std::size_t at = 54 + (static_cast<std::size_t>(y) * 320 + x) * 3;
      EXPECT_EQ(bytes[at], image.Pixel(x, y)[2]) << x << "," << y;
      EXPECT_EQ(bytes[at + 1], image.Pixel(x, y)[1]) << x << "," << y;
      EXPECT_EQ(bytes[at + 2], image.Pixel(x, y)[0]) << x << "," << y;
    }
  }
}

TEST(StillPicture, RejectsAnyOtherSize) {
  EXPECT_THROW(EncodeStillPicture(RgbImage(320, 199)), std::invalid_argument);
  EXPECT_THROW(EncodeStillPicture(RgbImage(213, 133)), std::invalid_argument);
  RgbImage shortBuffer(320, 200);
  shortBuffer.rgb.pop_back();
  EXPECT_THROW(EncodeStillPicture(shortBuffer), std::invalid_argument);
}

TEST(BottomUpBmp, OddWidthRowsArePaddedToFourBytesAndStoredBottomFirst) {
  const RgbImage image = Numbered(213, 133);
  const auto bytes = EncodeBottomUpBmp(image);
  constexpr std::size_t kStride = 640;  // 213 * 3 = 639, padded
  ASSERT_EQ(bytes.size(), 54 + kStride * 133);
  EXPECT_EQ(ReadLe32(bytes, 2), bytes.size());
  EXPECT_EQ(ReadLe32(bytes, 10), 54u);
  EXPECT_EQ(ReadLe32(bytes, 18), 213u);
  EXPECT_EQ(ReadLe32(bytes, 22), 133u);
  EXPECT_EQ(ReadLe16(bytes, 28), 24u);
  EXPECT_EQ(ReadLe32(bytes, 30), 0u);
  EXPECT_EQ(ReadLe32(bytes, 34), kStride * 133);

  const std::size_t topRow = 54 + kStride * 132;
  EXPECT_EQ(bytes[topRow], image.Pixel(0, 0)[2]);
  EXPECT_EQ(bytes[topRow + 2], image.Pixel(0, 0)[0]);
  EXPECT_EQ(bytes[54 + 3 * 212 + 1], image.Pixel(212, 132)[1]);
  for (int row = 0; row < 133; ++row) EXPECT_EQ(bytes[54 + kStride * row + 639], 0u) << "padding of row " << row;
}

TEST(BottomUpBmp, RejectsAnEmptyOrMismatchedImage) {
  EXPECT_THROW(EncodeBottomUpBmp(RgbImage()), std::invalid_argument);
  RgbImage wrong(4, 4);
  wrong.width = 5;
  EXPECT_THROW(EncodeBottomUpBmp(wrong), std::invalid_argument);
}

TEST(FileBytes, ReportMissingFoldersInsteadOfFailingSilently) {
  std::string error;
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(ReadBytes("/nonexistent/vesk/picture.bmp", bytes, error));
  EXPECT_NE(error.find("/nonexistent/vesk/picture.bmp"), std::string::npos);
  error.clear();
  EXPECT_FALSE(WriteBytes("/nonexistent/vesk/picture.bmp", {1, 2, 3}, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vesk::kit
