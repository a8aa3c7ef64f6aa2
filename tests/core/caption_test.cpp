// The caption scene: particle release, climbing and jitter, dot drawing, set-up and frame order.
#include "core/caption.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/interface_block.h"
#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_records.h"

namespace {

constexpr int kW = kScreenWidth;

struct Jitter {
  int rows, cols;
};

// The jitter each particle draws in one step, from the current seed, without advancing it.
std::vector<Jitter> NextJitters(int count) {
  const uint32_t seed = RandomSeed;
  std::vector<Jitter> out;
  for (int i = 0; i < count; ++i) {
    const int a = Random(3) - 1;
    const int b = Random(3) - 1;
    out.push_back({a, b});
  }
  RandomSeed = seed;
  return out;
}

uint16_t Jittered(int32_t p, Jitter j) { return static_cast<uint16_t>(p + kW * j.rows + j.cols); }

class Caption : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShowState();
    RandomSeed = 0xF590033Au;
    std::memset(GlowBuffer, 0, kPlaneBytes);
  }
  // A list of count particles all at offset p, every one released.
  static void Place(int count, int32_t p) {
    CaptionParticleCount = static_cast<uint16_t>(count);
    for (int i = 0; i < count; ++i) RandomPixelList[i] = static_cast<uint16_t>(p);
    RevealLimit = static_cast<uint16_t>(count);
  }
};

TEST_F(Caption, OnlyTheLastParticlesOfTheListAreReleasedFourPerTick) {
  CaptionParticleCount = 1000;
  for (int i = 0; i < 1000; ++i) RandomPixelList[i] = static_cast<uint16_t>(30000 + i);
  RevealLimit = 4;  // t = 1
  const auto jitter = NextJitters(1000);
  StepParticles();
  for (int i = 0; i < 996; ++i) ASSERT_EQ(RandomPixelList[i], 30000 + i) << i;
  for (int i = 996; i < 1000; ++i) {
    EXPECT_EQ(RandomPixelList[i], Jittered(30000 + i + kW, jitter[i])) << i;  // flat dark: down
  }
  // Every particle drew its two numbers, released or not.
  const uint32_t before = RandomSeed;
  StepParticles();
  uint32_t expected = before;
  for (int i = 0; i < 2000; ++i) expected = expected * 129 + 907633385u;
  EXPECT_EQ(RandomSeed, expected);
}

TEST_F(Caption, ParticleClimbsToTheBrightestNeighbourAndStopsOn255) {
  const int32_t p = 100 * kW + 100;
  GlowBuffer[p] = 10;
  GlowBuffer[p - kW + 1] = 40;  // tried third
  GlowBuffer[p + 1] = 40;       // tried fifth, as bright: wins
  GlowBuffer[p - kW] = 39;
  Place(1, p);
  auto jitter = NextJitters(1);
  StepParticles();
  EXPECT_EQ(RandomPixelList[0], Jittered(p + 1, jitter[0]));

  GlowBuffer[p] = 255;
  GlowBuffer[p + kW] = 255;  // as bright, but a particle on 255 looks no further
  Place(1, p);
  jitter = NextJitters(1);
  StepParticles();
  EXPECT_EQ(RandomPixelList[0], Jittered(p, jitter[0]));
}

TEST_F(Caption, ParticleOnALocalPeakOnlyJitters) {
  const int32_t p = 50 * kW + 50;
  GlowBuffer[p] = 200;
  for (int32_t o : {kW + 1, kW - 1, -kW + 1, -kW - 1, 1, -1, -kW, kW}) GlowBuffer[p + o] = 199;
  Place(1, p);
  const auto jitter = NextJitters(1);
  StepParticles();
  EXPECT_EQ(RandomPixelList[0], Jittered(p, jitter[0]));
}

TEST_F(Caption, OffsetsBelowTheScreenReadDarkAndWrapOnlyWhenMoving) {
  // 65400 + 321 would be 185 if the reads wrapped; it is outside the plane and reads 0.
  GlowBuffer[185] = 200;
  Place(1, 65400);
  auto jitter = NextJitters(1);
  StepParticles();
  EXPECT_EQ(RandomPixelList[0], Jittered(184, jitter[0]));

  // Above row 0 the neighbours read 0 too: a dark particle in row 0 falls.
  GlowBuffer[5] = 0;
  GlowBuffer[65536 - 315] = 0;
  Place(1, 5);
  jitter = NextJitters(1);
  StepParticles();
  EXPECT_EQ(RandomPixelList[0], Jittered(5 + kW, jitter[0]));
}

TEST_F(Caption, DotsAreDrawnAtUnwrappedOffsetsAndNothingBelowTheScreen) {
  BuildDotSprite();
  std::memset(GlowScratch, 0, kPlaneBytes + 40 * kW);
  CaptionParticleCount = 3;
  RandomPixelList[0] = 1000;   // not released
  RandomPixelList[1] = 63670;  // rows 0 and 1 (the latter up to byte 63999), nothing below
  RandomPixelList[2] = 65000;  // wholly below the screen
  RevealLimit = 2;
  DrawParticles();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(GlowScratch[63990 + i], DotSprite[kDotSpriteSize + i]) << i;
  EXPECT_EQ(GlowScratch[1000 + 5 * kW + 5], 0);
  for (int i = kPlaneBytes; i < kPlaneBytes + 40 * kW; ++i) ASSERT_EQ(GlowScratch[i], 0) << i;
  int lit = 0;
  for (int i = 0; i < kPlaneBytes; ++i) lit += GlowScratch[i] != 0;
  EXPECT_EQ(lit, 5);  // the sprite's row 0 is empty; row 1 has 5 lit bytes
}

TEST_F(Caption, OverlappingDotsAddUpToWhite) {
  BuildDotSprite();
  std::memset(GlowScratch, 0, kPlaneBytes);
  Place(6, 20000);
  DrawParticles();
  EXPECT_EQ(GlowScratch[20000 + 5 * kW + 5], 255);  // 6 x 55, saturated
  EXPECT_EQ(GlowScratch[20000 + 5 * kW + 4], 255);  // 6 x 44
  EXPECT_EQ(GlowScratch[20000 + 9 * kW + 5], 6 * 11);
  EXPECT_EQ(GlowScratch[20000 + 10 * kW + 5], 0);   // row 10 is not drawn
}

class CaptionScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShowState();
    RandomSeed = 0xF590033Au;
    // A glowing stroke: rows 95..104 at 255, the glow falling by one per row away from it.
    for (int row = 0; row < kScreenHeight; ++row) {
      const int distance = row < 95 ? 95 - row : (row > 104 ? row - 104 : 0);
      std::memset(image_.data() + row * kW, distance == 0 ? 255 : 254 - distance, kW);
    }
  }
  std::vector<uint8_t> image_ = std::vector<uint8_t>(kPlaneBytes);
};

TEST_F(CaptionScene, SetUpCopiesTheImageBuildsTheListAndPlacesTheCaption) {
  const uint32_t seed = RandomSeed;
  SetUpCaptionScene(image_.data(), CaptionRecord1, 1000, 230, 30);
  EXPECT_EQ(0, std::memcmp(GlowBuffer, image_.data(), kPlaneBytes));
  EXPECT_EQ(CaptionParticleCount, 1000);
  EXPECT_EQ(ProjectionDistance, 2300);
  EXPECT_GT(TextFaceCount, 0);
  EXPECT_EQ(ScreenCentre.x, 230);
  EXPECT_EQ(ScreenCentre.y, 30);
  EXPECT_EQ(RotationAngles[2], 270);
  RandomSeed = seed;
  const int row = Random(200);
  const int col = Random(320);
  EXPECT_EQ(RandomPixelList[0], row * kW + col);
  FinishCaptionScene();
  EXPECT_EQ(ScreenCentre.x, 160);
  EXPECT_EQ(ScreenCentre.y, 100);
}

TEST_F(CaptionScene, StepsFollowTheFrameTimeInWholeHalves) {
  SetUpCaptionScene(image_.data(), CaptionRecord2, 1500, 120, 190);
  auto randomCalls = [](int32_t t, int32_t previous) {
    PrevStageClock = previous;
    const uint32_t before = RandomSeed;
    DrawCaptionFrame(t);
    uint32_t seed = before;
    int calls = 0;
    while (seed != RandomSeed && calls < 100000) {
      seed = seed * 129 + 907633385u;
      ++calls;
    }
    return calls;
  };
  EXPECT_EQ(randomCalls(0, 2090), 0);  // the first frame against the previous stage's clock
  EXPECT_EQ(randomCalls(3, 0), 3000);  // three ticks: one step
  EXPECT_EQ(randomCalls(4, 3), 0);     // one tick: none
  EXPECT_EQ(randomCalls(10, 4), 9000);
  EXPECT_EQ(RevealLimit, 40);
  EXPECT_EQ(RotationAngles[0], 10);
}

TEST_F(CaptionScene, ReleasedDotsGatherOnTheBrightStrokeUnderTheCaption) {
  SetUpCaptionScene(image_.data(), CaptionRecord3, 1500, 60, 30);
  PrevStageClock = 2090;
  DrawCaptionFrame(0);
  int dots = 0;
  for (int i = 0; i < kPlaneBytes; ++i) dots += GlowScratch[i] != 0 && GlowScratch[i] != 255;
  EXPECT_EQ(dots, 0);  // RevealLimit 0: no dot yet
  for (int32_t t = 2; t <= 600; t += 2) {
    PrevStageClock = t - 2;
    DrawCaptionFrame(t);
  }
  int onStroke = 0;
  for (int i = 0; i < 1500; ++i) {
    const int p = RandomPixelList[i];
    onStroke += p < kPlaneBytes && image_[p] >= 253;  // on it, or jittered one row off its edge
  }
  EXPECT_GT(onStroke, 1450);
  int caption = 0;
  for (int i = 0; i < kPlaneBytes; ++i) caption += GlowScratch[i] == 255;
  EXPECT_GT(caption, 100);
}

}  // namespace
