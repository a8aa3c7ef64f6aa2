// Tests of the random source, the palette routines, the division table and the edge clearing.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "core/palette_random.h"
#include "core/show_state.h"
#include "core/timeline.h"

namespace {

class PaletteRandomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInterfaceBlock();
    ResetShowState();
  }
};

TEST_F(PaletteRandomTest, RandomFollowsTheGeneratorFromZero) {
  EXPECT_EQ(Random(65535), 13849);
  EXPECT_EQ(RandomSeed, 907633385u);
  const uint32_t before = RandomSeed;
  EXPECT_EQ(Random(1), 0);
  EXPECT_NE(RandomSeed, before) << "n = 1 must still advance the seed";
  EXPECT_EQ(RandomSeed, before * 129u + 907633385u);
}

TEST_F(PaletteRandomTest, RandomReducesTheHighHalfByUnsignedDivision) {
  RandomSeed = 0xFFFFFFFFu;
  const uint32_t next = 0xFFFFFFFFu * 129u + 907633385u;
  EXPECT_EQ(Random(1000), (next >> 16) % 1000);
}

TEST_F(PaletteRandomTest, ShowSeedIsReachedFromTenAfterTheStatedNumberOfCalls) {
  RandomSeed = 10;
  for (int i = 0; i < 1230768; ++i) Random(1);
  EXPECT_EQ(RandomSeed, 0xF590033Au);
}

TEST_F(PaletteRandomTest, SetAndGetPaletteCopyTheGivenEntriesOnly) {
  std::array<uint8_t, kPaletteBytes> source;
  for (int i = 0; i < kPaletteBytes; ++i) source[i] = static_cast<uint8_t>(i % 64);
  std::memset(palette, 7, kPaletteBytes);
  SetPalette(source.data(), 255);
  EXPECT_EQ(0, std::memcmp(palette, source.data(), 255 * 3));
  EXPECT_EQ(palette[765], 7);
  EXPECT_EQ(palette[767], 7);

  std::array<uint8_t, kPaletteBytes> copy{};
  GetPalette(copy.data(), 256);
  EXPECT_EQ(0, std::memcmp(copy.data(), palette, kPaletteBytes));
}

TEST_F(PaletteRandomTest, BrightenCapsAtSixtyThreeAndKeepsLargerBytes) {
  for (int i = 0; i < kPaletteBytes; ++i) palette[i] = static_cast<uint8_t>(i % 64);
  palette[0] = 200;
  BrightenAmount = 0;
  BrightenPalette();
  for (int i = 1; i < kPaletteBytes; ++i) ASSERT_EQ(palette[i], i % 64) << i;
  BrightenAmount = 63;
  BrightenPalette();
  EXPECT_EQ(palette[0], 200);
  for (int i = 1; i < kPaletteBytes; ++i) ASSERT_EQ(palette[i], 63) << i;
}

TEST_F(PaletteRandomTest, BrightenFormsTheSumInEightBits) {
  palette[0] = 10;
  palette[1] = 62;
  palette[2] = 40;
  BrightenAmount = 250;
  BrightenPalette();
  EXPECT_EQ(palette[0], 4);    // 260 mod 256
  EXPECT_EQ(palette[1], 56);   // 312 mod 256
  EXPECT_EQ(palette[2], 34);
  BrightenAmount = 1;
  BrightenPalette();
  EXPECT_EQ(palette[1], 57);
}

TEST_F(PaletteRandomTest, DivideTableRoundsFromTheSinglePrecisionDivisor) {
  BuildDivideTable(1.36f);
  EXPECT_EQ(DivideTable[0], 0);
  EXPECT_EQ(DivideTable[1], 1);
  EXPECT_EQ(DivideTable[2], 1);
  EXPECT_EQ(DivideTable[3], 2);
  EXPECT_EQ(DivideTable[254], 187);
  EXPECT_EQ(DivideTable[255], 187);
  // Decimal halves fall just below the half, so they round down whatever their parity.
  const int halves[] = {17, 51, 85, 119, 153, 187, 221, 255};
  const int expected[] = {12, 37, 62, 87, 112, 137, 162, 187};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(DivideTable[halves[k]], expected[k]) << halves[k];
}

TEST_F(PaletteRandomTest, DivideTableStoresTheLowByte) {
  BuildDivideTable(0.5f);
  EXPECT_EQ(DivideTable[127], 254);
  EXPECT_EQ(DivideTable[128], 0);    // 256
  EXPECT_EQ(DivideTable[200], 144);  // 400 mod 256
}

TEST_F(PaletteRandomTest, RemapBufferMapsEveryByteInPlace) {
  BuildDivideTable(1.36f);
  std::vector<uint8_t> plane(kPlaneBytes);
  for (int i = 0; i < kPlaneBytes; ++i) plane[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> expected(plane);
  for (uint8_t& b : expected) b = DivideTable[b];
  RemapBuffer(plane.data());
  EXPECT_EQ(plane, expected);
}

TEST(ClearEdgeColumnsTest, ZeroesTheEdgeStripsRunningIntoTheNextRow) {
  for (int shift : {-2, 0, 2}) {
    std::vector<uint8_t> plane(kPlaneBytes + 16, 9);
    ClearEdgeColumns(plane.data(), shift);
    for (int row = 0; row < kScreenHeight; ++row) {
      for (int col = 0; col < kScreenWidth; ++col) {
        const int p = row * kScreenWidth + col;
        bool cleared = false;
        for (int r = 0; r < kScreenHeight; ++r) {
          const int start = r * kScreenWidth + 318 + shift;
          if (p >= start && p < start + 4) cleared = true;
        }
        ASSERT_EQ(plane[p], cleared ? 0 : 9) << "shift " << shift << " at " << col << "," << row;
      }
    }
    for (int i = kPlaneBytes; i < kPlaneBytes + 16; ++i) ASSERT_EQ(plane[i], 9) << "wrote past the plane";
  }
  // Used as the final scene uses it: row 0 keeps its first columns.
  std::vector<uint8_t> plane(kPlaneBytes, 9);
  ClearEdgeColumns(plane.data(), 2);
  ClearEdgeColumns(plane.data(), -2);
  EXPECT_EQ(plane[0], 9);
  EXPECT_EQ(plane[316], 0);
  EXPECT_EQ(plane[320 + 3], 0);
  EXPECT_EQ(plane[320 + 4], 9);
}

}  // namespace
