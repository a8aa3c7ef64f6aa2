// The opening scene: polar tables, burst outline and drawing, haze, and the title's dissolve.
#include "core/opening.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/interface_block.h"
#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"

namespace {

constexpr int kW = kScreenWidth;
constexpr int kCentre = 100 * kW + 160;

uint8_t Angle(int x, int y) { return PolarTable[2 * (y * kW + x)]; }
uint8_t Distance(int x, int y) { return PolarTable[2 * (y * kW + x) + 1]; }

class Opening : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ResetShowState();
    frameBuffer = frame_.data();
    PrepareShowTables();
    SetUpOpeningScene();
    std::memcpy(map_.data(), DisplacementMap, kPlaneBytes);
  }
  void SetUp() override {
    std::memcpy(DisplacementMap, map_.data(), kPlaneBytes);
    std::memset(GlowScratch, 0, kPlaneBytes);
    RandomSeed = 0xF590033Au;
  }
  static inline std::vector<uint8_t> frame_ = std::vector<uint8_t>(kFrameBytes);
  static inline std::vector<uint8_t> map_ = std::vector<uint8_t>(kPlaneBytes);
};

TEST_F(Opening, PolarTableMeasuresAnglesAndDistancesFromTheCentre) {
  EXPECT_EQ(Angle(160, 100), 0);  // atan2(0, 0)
  EXPECT_EQ(Distance(160, 100), 0);
  EXPECT_EQ(Angle(200, 100), 0);
  EXPECT_EQ(Angle(160, 150), 64);
  EXPECT_EQ(Angle(100, 100), 128);
  EXPECT_EQ(Angle(160, 50), 192);
  EXPECT_EQ(Angle(161, 99), 224);  // 256 - 32, rounded up past the wrap for row 99
  EXPECT_EQ(Distance(163, 104), 5);
  EXPECT_EQ(Distance(0, 0), 189);
  EXPECT_EQ(Angle(0, 0), 151);
}

TEST_F(Opening, PolarTextureSamplesTheRingAndReadsPastItsEndAsBlack) {
  EXPECT_EQ(PolarTexture[0], RingTexture[778 + 32639]);
  // Radius 126 at angle step 0 lands past the ring texture's end.
  EXPECT_EQ(PolarTexture[126 * 256], 0);
  EXPECT_EQ(PolarTexture[65535], 0);
  // Radius 10 straight down: px 0, py 10.
  EXPECT_EQ(PolarTexture[10 * 256], RingTexture[778 + 256 * 10 + 32639]);
  // The core: within 31 of the sampling centre, so within 34 of the gradient's centre 3 columns away.
  for (int c = 0; c < 32 * 256; ++c) ASSERT_EQ(PolarTexture[c], 255) << c;
}

TEST_F(Opening, ReciprocalTableHoldsRepeatedExtendedAdditions) {
  for (int j = 0; j < 256; ++j) EXPECT_EQ(ReciprocalTable[j], 0);
  EXPECT_EQ(ReciprocalTable[8 * 256 + 0], 12);  // 12.5, half to even
  EXPECT_EQ(ReciprocalTable[8 * 256 + 2], 38);  // 37.5
  EXPECT_EQ(ReciprocalTable[100 * 256 + 99], 100);
  EXPECT_EQ(ReciprocalTable[1 * 256 + 255], 25600 & 255);
  // 15 x 100 / 24 is 62.5 as one division, but fifteen additions of 100 / 24 land just above.
  EXPECT_EQ(ReciprocalTable[24 * 256 + 14], 63);
}

TEST_F(Opening, BurstParametersFollowThePhase) {
  BurstPhase = 0;
  UpdateBurstParams();
  EXPECT_EQ(BurstLevel, 190);
  EXPECT_EQ(BurstJitter, 19);
  EXPECT_EQ(BurstAmplitude, 30);
  BurstPhase = 540;
  UpdateBurstParams();
  EXPECT_EQ(BurstLevel, 10);
  EXPECT_EQ(BurstJitter, 1);
  EXPECT_EQ(BurstAmplitude, 0);
  BurstPhase = -180;  // signed: cos(-180) = -1 too
  UpdateBurstParams();
  EXPECT_EQ(BurstLevel, 10);
}

TEST_F(Opening, ProfileDrawsOneRandomPerEntryAndStaysWithinItsRange) {
  BurstPhase = 0;
  UpdateBurstParams();
  uint32_t seed = RandomSeed;
  BuildBurstProfile();
  for (int i = 0; i < kBurstProfileEntries; ++i) seed = seed * 129 + 907633385u;
  EXPECT_EQ(RandomSeed, seed);
  for (int k = 0; k < kBurstProfileEntries; ++k) {
    EXPECT_GE(BurstProfile[k], 160);
    EXPECT_LE(BurstProfile[k], 238);
  }
}

TEST_F(Opening, PhaseOf540DrawsAPlainDiscOfRadiusTen) {
  BurstPhase = 540;
  UpdateBurstParams();
  BuildBurstProfile();
  for (int k = 0; k < kBurstProfileEntries; ++k) ASSERT_EQ(BurstProfile[k], 10);
  DrawPolarBurst(540 & 255);
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(GlowScratch[y * kW + x] != 0, Distance(x, y) <= 10) << x << "," << y;
    }
  }
}

TEST_F(Opening, RoundOutlinesDrawEveryPixelWithinTheirRadiusAndNoOther) {
  // Radii such as 4 and 9 have pixels at a distance just under a half above them
  // (dx^2 + dy^2 = r^2 + r), which round down onto the outline.
  for (int radius = 4; radius <= 40; ++radius) {
    std::memset(GlowScratch, 0, kPlaneBytes);
    std::memset(BurstProfile, radius, kBurstProfileEntries);
    DrawPolarBurst(0);
    for (int p = 0; p < kPlaneBytes; ++p) {
      const int angle = PolarTable[2 * p], d = PolarTable[2 * p + 1];
      const int expected = d <= radius ? PolarTexture[ReciprocalTable[radius * 256 + d] * 256 + angle] : 0;
      ASSERT_EQ(GlowScratch[p], expected) << "radius " << radius << " pixel " << p;
    }
  }
}

TEST_F(Opening, CentrePixelIsAlwaysDrawnFromItsTextureRow) {
  for (int phase : {184, 300, 540, 700, 1000}) {
    std::memset(GlowScratch, 0, kPlaneBytes);
    BurstPhase = static_cast<int16_t>(phase);
    UpdateBurstParams();
    BuildBurstProfile();
    const int o = phase & 255;
    DrawPolarBurst(o);
    const int limit = BurstProfile[o];
    const int row = ReciprocalTable[limit * 256];
    EXPECT_EQ(GlowScratch[kCentre], PolarTexture[row * 256 + o]) << phase;
    EXPECT_NE(GlowScratch[kCentre], 0) << phase;
  }
}

// The frame as a plain reading of its steps, to hold the skipping of empty rows to.
void PlainOpeningFrame(int32_t t) {
  if (t >= 885) {
    BurstPhase = static_cast<int16_t>((t >> 1) - 258);
    UpdateBurstParams();
    BuildBurstProfile();
    const int o = BurstPhase & 255;
    for (int p = 0; p < kPlaneBytes; ++p) {
      const int a = PolarTable[2 * p], d = PolarTable[2 * p + 1];
      const int limit = BurstProfile[a + o];
      if (d > limit) continue;
      const int row = ReciprocalTable[limit * 256 + d];
      if (row > 130) continue;
      GlowScratch[p] = PolarTexture[row * 256 + a + o];
    }
  }
  if ((t & 255) % 5 == 0) FireDecay(DisplacementMap, 63360);
  for (int i = 0; i < 63360; ++i) GlowScratch[320 + i] = GlowScratch[320 + i + static_cast<int8_t>(DisplacementMap[i])];
  const int h = t <= 885 ? 5 : (t <= 1155 ? ((t - 885) >> 2) + 5 : 255);
  for (int r = 0; r < 150; ++r) {
    for (int c = 0; c < 190; ++c) {
      const int v = TitlePixels[r * 190 + c];
      if (v >= 1 && DisplacementMap[(r - 1) * kW + c] <= h) GlowScratch[(33 + r) * kW + 60 + c] = static_cast<uint8_t>(v);
    }
  }
}

TEST_F(Opening, FrameMatchesAPlainReadingOfItsSteps) {
  // Small and large bursts, frames with and without the map's decay, before the burst.
  for (int32_t t : {500, 885, 1000, 1155, 1156, 1285, 1597, 1600, 2000, 2405, 2848}) {
    std::vector<uint8_t> mapBefore(DisplacementMap, DisplacementMap + kPlaneBytes);
    const uint32_t seed = RandomSeed;
    std::memset(GlowScratch, 0, kPlaneBytes);
    DrawOpeningFrame(t);
    const std::vector<uint8_t> fast(GlowScratch, GlowScratch + kPlaneBytes);
    const std::vector<uint8_t> fastMap(DisplacementMap, DisplacementMap + kPlaneBytes);
    const int16_t phase = BurstPhase;
    std::memcpy(DisplacementMap, mapBefore.data(), kPlaneBytes);
    RandomSeed = seed;
    std::memset(GlowScratch, 0, kPlaneBytes);
    PlainOpeningFrame(t);
    EXPECT_EQ(phase, BurstPhase) << t;
    EXPECT_TRUE(fast == std::vector<uint8_t>(GlowScratch, GlowScratch + kPlaneBytes)) << t;
    EXPECT_TRUE(fastMap == std::vector<uint8_t>(DisplacementMap, DisplacementMap + kPlaneBytes)) << t;
  }
}

TEST_F(Opening, BurstStartsAt885WithPhase184) {
  BurstPhase = 7;
  DrawOpeningFrame(884);
  EXPECT_EQ(BurstPhase, 7);
  int burstPixels = 0;
  for (int i = 0; i < kPlaneBytes; ++i) burstPixels += GlowScratch[i] >= 192;
  EXPECT_EQ(burstPixels, 0);
  DrawOpeningFrame(885);
  EXPECT_EQ(BurstPhase, 184);
}

TEST_F(Opening, TitleThresholdRampsFrom5To72ThenOpensFully) {
  EXPECT_EQ(TitleThreshold(345), 5);
  EXPECT_EQ(TitleThreshold(885), 5);
  EXPECT_EQ(TitleThreshold(889), 6);
  EXPECT_EQ(TitleThreshold(1155), 72);
  EXPECT_EQ(TitleThreshold(1156), 255);
}

TEST_F(Opening, TitleUnpacksHighNibbleFirstAndDissolvesByTheMapAboveIt) {
  const uint8_t* packed = TitlePicture();
  for (int i = 0; i < 14250; i += 97) {
    EXPECT_EQ(TitlePixels[2 * i], packed[i] >> 4);
    EXPECT_EQ(TitlePixels[2 * i + 1], packed[i] & 15);
  }
  EXPECT_EQ(0, std::memcmp(palette, TitlePalette(), kPaletteBytes));
  DrawTitlePicture(0);
  for (int r = 0; r < 150; ++r) {
    for (int c = 0; c < 190; ++c) {
      const int v = TitlePixels[r * 190 + c];
      // Picture row 0 reads the zero row above the map, so all of it shows at threshold 0.
      const bool shown = v != 0 && (r == 0 || DisplacementMap[(r - 1) * kW + c] == 0);
      ASSERT_EQ(GlowScratch[(33 + r) * kW + 60 + c], shown ? v : 0) << r << "," << c;
    }
  }
}

}  // namespace
