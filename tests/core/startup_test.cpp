// Tests of the start-up work: the name images, ring texture, displacement map, the final seed,
// and the reset of the routine groups' state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_glow.h"
#include "core/text_records.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ResetShowState();
    PrepareShowTables();
  }
};

TEST_F(StartupTest, EndsWithTheShowSeedAndTheDefaultScreenCentre) {
  uint32_t seed = 10;
  for (int i = 0; i < 1230768; ++i) seed = seed * 129u + 0x361962E9u;
  EXPECT_EQ(RandomSeed, seed);
  EXPECT_EQ(RandomSeed, 0xF590033Au);
  EXPECT_EQ(ScreenCentre.x, 160);
  EXPECT_EQ(ScreenCentre.y, 100);
  EXPECT_EQ(DepthOffset, 0);
  EXPECT_EQ(ProjectionScale, -200);
}

TEST_F(StartupTest, NameImagesAreTheRecordsRenderedAtTheirCentresAndAngles) {
  struct Name {
    const uint8_t* image;
    ScreenPoint centre;
    int16_t angles[3];
    int record;
    int passes;
  };
  const Name names[] = {
      {NameImage1, {200, 60}, {40, 180, 90}, NameRecord1, 30},
      {NameImage2, {240, 130}, {45, 180, 65}, NameRecord2, 35},
      {NameImage3, {160, 100}, {130, 180, 60}, NameRecord3, 30},
  };
  const ScreenPoint savedCentre = ScreenCentre;
  const uint32_t savedSeed = RandomSeed;
  std::vector<uint8_t> image(kPlaneBytes);
  for (const Name& n : names) {
    SCOPED_TRACE(n.record);
    int filled = 0, glow = 0;
    for (int i = 0; i < kPlaneBytes; ++i) {
      filled += n.image[i] == 255;
      glow += n.image[i] > 0 && n.image[i] < 255;
    }
    EXPECT_GT(filled, 2000) << "the letters are filled";
    EXPECT_GT(glow, 20000) << "and surrounded by glow";
    ScreenCentre = n.centre;
    std::copy(n.angles, n.angles + 3, RotationAngles);
    RenderTextLine(LoadTextRecord(n.record), n.passes, image.data());
    EXPECT_EQ(0, std::memcmp(image.data(), n.image, kPlaneBytes));
  }
  ScreenCentre = savedCentre;
  RandomSeed = savedSeed;
}

// Dots settle on a name's letters (its 255 pixels) and jitter a column either way; letters at an
// image edge would send them, through linear addressing, onto the other edge of the screen.
TEST_F(StartupTest, NoNameHasLettersInItsOutermostColumns) {
  for (const uint8_t* image : {NameImage1, NameImage2, NameImage3}) {
    int edgeLetterPixels = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
      for (int x : {0, 1, 2, kScreenWidth - 3, kScreenWidth - 2, kScreenWidth - 1}) {
        edgeLetterPixels += image[y * kScreenWidth + x] == 255 ? 1 : 0;
      }
    }
    EXPECT_EQ(edgeLetterPixels, 0) << "name image " << (image == NameImage1 ? 1 : image == NameImage2 ? 2 : 3);
  }
}

TEST_F(StartupTest, RingTextureIsBuiltFromTheStartSeedZero) {
  std::vector<uint8_t> built(RingTexture, RingTexture + kRingTextureBytes);
  const uint32_t saved = RandomSeed;
  RandomSeed = 0;
  BuildRingTexture();
  EXPECT_EQ(0, std::memcmp(built.data(), RingTexture, kRingTextureBytes));
  RandomSeed = saved;
}

TEST_F(StartupTest, DisplacementMapIsTheFixedDecayField) {
  for (int i = 0; i < kDisplacementMargin; ++i) {
    ASSERT_EQ(DisplacementStore[i], 0) << "above row 0";
    ASSERT_EQ(DisplacementMap[kPlaneBytes + i], 0) << "below row 199";
  }
  std::vector<int> offsets(kPlaneBytes);
  int minusOne = 0, small = 0;
  for (int i = 0; i < kPlaneBytes; ++i) {
    offsets[i] = static_cast<int8_t>(DisplacementMap[i]);
    minusOne += offsets[i] == -1;
    small += offsets[i] >= 0 && offsets[i] <= 63;
  }
  std::nth_element(offsets.begin(), offsets.begin() + kPlaneBytes / 2, offsets.end());
  EXPECT_EQ(offsets[kPlaneBytes / 2], 12) << "median";
  EXPECT_GT(small, kPlaneBytes * 9 / 10) << "mostly 0..63";
  EXPECT_GE(minusOne, 100);
  EXPECT_LT(minusOne, 1000);

  // The field follows from zeros alone: rebuilding it gives the same bytes.
  std::vector<uint8_t> field(DisplacementMap, DisplacementMap + kPlaneBytes);
  std::memset(DisplacementMap, 0, kPlaneBytes);
  for (int pass = 0; pass < 100; ++pass) FireDecay(DisplacementMap, kPlaneBytes);
  EXPECT_EQ(0, std::memcmp(field.data(), DisplacementMap, kPlaneBytes));
}

TEST(ShowStateResetTest, ReturnsTheRoutineGroupsStateToItsStartValues) {
  PrepareShowTables();
  OrbitRadius = 5;
  OrbitPhase = 6;
  RandomPixelCount = 7;
  SmearCentre = {1, 2};
  ResetShowState();
  EXPECT_EQ(RotationAngles[0], 90);
  EXPECT_EQ(RotationAngles[1], 180);
  EXPECT_EQ(RotationAngles[2], 90);
  EXPECT_EQ(ProjectionDistance, 1200);
  EXPECT_EQ(ProjectionScale, -200);
  EXPECT_EQ(ScreenCentre.x, 0);
  EXPECT_EQ(ScreenCentre.y, 0);
  EXPECT_EQ(DepthOffset, 0);
  EXPECT_EQ(PixelCallback, nullptr);
  EXPECT_EQ(VertexFetch, nullptr);
  EXPECT_EQ(CullMode, 0);
  EXPECT_EQ(TextVertexCount, 0);
  EXPECT_EQ(TextFaceCount, 0);
  EXPECT_EQ(OrbitRadius, 0);
  EXPECT_EQ(OrbitPhase, 0);
  EXPECT_EQ(RandomPixelCount, 2000);
  EXPECT_EQ(RandomSeed, 0u);
  auto allZero = [](const uint8_t* p, size_t n) { return std::all_of(p, p + n, [](uint8_t b) { return b == 0; }); };
  EXPECT_TRUE(allZero(GlowBlock, sizeof GlowBlock));
  EXPECT_TRUE(allZero(GlyphPlaneStore, sizeof GlyphPlaneStore));
  EXPECT_TRUE(allZero(RingTexture, sizeof RingTexture));
  EXPECT_TRUE(allZero(DisplacementStore, sizeof DisplacementStore));
  EXPECT_TRUE(allZero(NameImage1, kPlaneBytes));
}

}  // namespace
