// The pixel conversion: palette to colour table, expansion, and packing at every depth and pitch.
#include "display/pixel_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace {

class PixelConversion : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(palette, 0, sizeof palette); }
  void Convert() {
    RefreshPalette(palette, colourTable);
    ExpandFrame(frame.data(), colourTable, expanded.data());
  }
  // Sets entry 1 of the palette, expands a frame of index 1 and packs it.
  std::vector<uint8_t> PackEntry(uint8_t r, uint8_t g, uint8_t b, int32_t depth, int32_t greenWidth,
                                 int32_t bytesPerPixel) {
    palette[3] = r;
    palette[4] = g;
    palette[5] = b;
    std::fill(frame.begin(), frame.end(), 1);
    Convert();
    const int32_t pitch = kScreenWidth * bytesPerPixel;
    std::vector<uint8_t> surface(static_cast<size_t>(pitch) * kScreenHeight, 0xEE);
    PackFrame(expanded.data(), surface.data(), pitch, depth, greenWidth);
    return std::vector<uint8_t>(surface.begin(), surface.begin() + bytesPerPixel);
  }
  static uint32_t Word(const std::vector<uint8_t>& bytes) { return bytes[0] | (bytes[1] << 8); }

  uint8_t palette[kPaletteBytes] = {};
  uint8_t colourTable[kColourTableBytes] = {};
  std::vector<uint8_t> frame = std::vector<uint8_t>(kFrameBytes);
  std::vector<uint8_t> expanded = std::vector<uint8_t>(kExpandedFrameBytes, 0xAB);
};

TEST_F(PixelConversion, ColourTableIsBlueGreenRedAtFourTimesTheLevelKeptToEightBits) {
  palette[0] = 63;
  palette[3 * 7 + 0] = 1;
  palette[3 * 7 + 1] = 2;
  palette[3 * 7 + 2] = 3;
  palette[3 * 9 + 1] = 65;  // only the low six bits count
  palette[3 * 9 + 2] = 255;
  RefreshPalette(palette, colourTable);
  EXPECT_EQ(colourTable[0], 0);
  EXPECT_EQ(colourTable[1], 0);
  EXPECT_EQ(colourTable[2], 252);
  EXPECT_EQ(colourTable[3 * 7 + 0], 12);
  EXPECT_EQ(colourTable[3 * 7 + 1], 8);
  EXPECT_EQ(colourTable[3 * 7 + 2], 4);
  EXPECT_EQ(colourTable[3 * 9 + 1], 4);
  EXPECT_EQ(colourTable[3 * 9 + 0], 252);
}

TEST_F(PixelConversion, ExpansionWritesThreeBytesPerPixelAndLeavesTheFourth) {
  palette[3 * 5 + 0] = 10;
  palette[3 * 5 + 1] = 20;
  palette[3 * 5 + 2] = 30;
  frame[kFrameBytes - 1] = 5;
  RefreshPalette(palette, colourTable);
  ExpandFrame(frame.data(), colourTable, expanded.data());
  const uint8_t* last = expanded.data() + 4 * (kFrameBytes - 1);
  EXPECT_EQ(last[0], 120);
  EXPECT_EQ(last[1], 80);
  EXPECT_EQ(last[2], 40);
  EXPECT_EQ(last[3], 0xAB);
  EXPECT_EQ(expanded.data()[0], 0);
  EXPECT_EQ(expanded.data()[3], 0xAB);
}

TEST_F(PixelConversion, PureRedAtEveryDepth) {
  EXPECT_EQ(PackEntry(63, 0, 0, 32, 1, 4), (std::vector<uint8_t>{0, 0, 252, 0xAB}));
  EXPECT_EQ(PackEntry(63, 0, 0, 24, 1, 3), (std::vector<uint8_t>{0, 0, 252}));
  EXPECT_EQ(Word(PackEntry(63, 0, 0, 16, 1, 2)), 0xF800u);
  EXPECT_EQ(Word(PackEntry(63, 0, 0, 16, 0, 2)), 0x7C00u);
}

TEST_F(PixelConversion, WhiteAndTheDarkestGrey) {
  EXPECT_EQ(PackEntry(63, 63, 63, 24, 1, 3), (std::vector<uint8_t>{252, 252, 252}));
  EXPECT_EQ(Word(PackEntry(63, 63, 63, 16, 1, 2)), 0xFFFFu);
  EXPECT_EQ(Word(PackEntry(63, 63, 63, 16, 0, 2)), 0x7FFFu);
  EXPECT_EQ(PackEntry(1, 1, 1, 32, 1, 4), (std::vector<uint8_t>{4, 4, 4, 0xAB}));
  EXPECT_EQ(Word(PackEntry(1, 1, 1, 16, 1, 2)), 0x0020u);  // only green survives the shift
  EXPECT_EQ(Word(PackEntry(1, 1, 1, 16, 0, 2)), 0x0000u);
}

TEST_F(PixelConversion, TheChannelsLandInTheirOwnFields) {
  EXPECT_EQ(Word(PackEntry(0, 63, 0, 16, 1, 2)), 0x07E0u);
  EXPECT_EQ(Word(PackEntry(0, 63, 0, 16, 0, 2)), 0x03E0u);
  EXPECT_EQ(Word(PackEntry(0, 0, 63, 16, 1, 2)), 0x001Fu);
  EXPECT_EQ(Word(PackEntry(0, 0, 63, 16, 0, 2)), 0x001Fu);
}

TEST_F(PixelConversion, AnUnknownDepthWritesNothing) {
  for (int32_t depth : {8, 15, 0}) {
    EXPECT_EQ(PackEntry(63, 63, 63, depth, 1, 2), (std::vector<uint8_t>{0xEE, 0xEE})) << depth;
  }
}

// Depth, green width, bytes per pixel, extra bytes per row.
class PackingAtPitch : public PixelConversion,
                       public ::testing::WithParamInterface<std::tuple<int32_t, int32_t, int32_t, int32_t>> {};

TEST_P(PackingAtPitch, EveryRowStartsAtAMultipleOfThePitchAndNothingElseIsTouched) {
  const auto [depth, greenWidth, bytesPerPixel, padding] = GetParam();
  for (int i = 0; i < kPaletteEntries; ++i) palette[3 * i] = static_cast<uint8_t>(i & 63);
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) frame[y * kScreenWidth + x] = static_cast<uint8_t>((x + 3 * y) & 63);
  }
  RefreshPalette(palette, colourTable);
  ExpandFrame(frame.data(), colourTable, expanded.data());
  const int32_t pitch = kScreenWidth * bytesPerPixel + padding;
  const int32_t extraRows = 2;
  std::vector<uint8_t> surface(static_cast<size_t>(pitch) * (kScreenHeight + extraRows), 0xEE);
  PackFrame(expanded.data(), surface.data(), pitch, depth, greenWidth);
  for (int y = 0; y < kScreenHeight + extraRows; ++y) {
    const uint8_t* row = surface.data() + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < kScreenWidth && y < kScreenHeight; ++x) {
      const uint32_t red = 4u * ((x + 3 * y) & 63);
      const uint8_t* p = row + x * bytesPerPixel;
      const uint32_t value = bytesPerPixel == 2 ? (p[0] | (p[1] << 8)) : p[2];
      const uint32_t expected =
          bytesPerPixel == 2 ? (greenWidth != 0 ? (red >> 3) << 11 : (red >> 3) << 10) : red;
      ASSERT_EQ(value, expected) << "row " << y << " column " << x;
    }
    const int firstUntouched = y < kScreenHeight ? kScreenWidth * bytesPerPixel : 0;
    for (int i = firstUntouched; i < pitch; ++i) ASSERT_EQ(row[i], 0xEE) << "row " << y << " byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, PackingAtPitch,
                         ::testing::Values(std::make_tuple(32, 1, 4, 0), std::make_tuple(32, 1, 4, 64),
                                           std::make_tuple(24, 1, 3, 0), std::make_tuple(24, 1, 3, 5),
                                           std::make_tuple(16, 1, 2, 0), std::make_tuple(16, 1, 2, 6),
                                           std::make_tuple(16, 0, 2, 0), std::make_tuple(16, 0, 2, 130)));

}  // namespace
