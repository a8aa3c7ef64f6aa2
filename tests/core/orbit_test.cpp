// The orbit scene: sprite, spirals, decay and blur of the trails, compose, edges and smear centre.
#include "core/orbit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/timeline.h"

namespace {

constexpr int kW = kScreenWidth;

class Orbit : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShowState();
    SetUpOrbitScene();
    std::memset(GlowScratch, 0, kPlaneBytes);
    std::memset(GlowBuffer, 0, kPlaneBytes);
  }
};

std::vector<uint8_t> Copy(const uint8_t* p) { return std::vector<uint8_t>(p, p + kPlaneBytes); }

TEST_F(Orbit, SpriteIsTheGlowBallInTheCorner) {
  EXPECT_EQ(OrbitSprite[10 * 20 + 10], 20);
  EXPECT_EQ(OrbitSprite[10 * 20 + 11], 16);
  EXPECT_EQ(OrbitSprite[10 * 20 + 15], 0);  // distance 5: 20 - 20
  EXPECT_EQ(OrbitSprite[0 * 20 + 10], 0);   // row 0 is skipped by the glow ball
  EXPECT_EQ(OrbitSprite[10 * 20 + 1], 0);   // so are columns 0 and 1
  EXPECT_EQ(SpiralStep, 0);
}

TEST_F(Orbit, FirstFrameDraws70DenseAnd5SparseSprites) {
  SpiralStep = 3;
  EXPECT_EQ(DrawDenseSpiral(), 70);
  EXPECT_EQ(DrawSparseSpiral(), 5);
  SpiralStep = 209;
  EXPECT_EQ(DrawDenseSpiral(), 2);
  SpiralStep = 210;
  EXPECT_EQ(DrawDenseSpiral(), 1);
}

TEST_F(Orbit, ZeroStepAfterTheCounterWrapsDrawsOneSpriteInsteadOfHanging) {
  SpiralStep = 0;
  EXPECT_EQ(DrawDenseSpiral(), 1);
  SpiralStep = 65535;  // -1: the radius falls through 0 and wraps above 360
  EXPECT_EQ(DrawDenseSpiral(), 151);
}

TEST_F(Orbit, SpiralAnglesTakeTheWholeClockEachFrame) {
  SpiralAngleA = 100;
  SpiralAngleB = 100;
  DrawOrbitFrame(0);
  EXPECT_EQ(SpiralAngleA, 100);
  EXPECT_EQ(SpiralAngleB, 100);
  DrawOrbitFrame(80);
  EXPECT_EQ(SpiralAngleA, 180);
  EXPECT_EQ(SpiralAngleB, 90);
  DrawOrbitFrame(65535);  // -1 as a signed clock: -1 >> 3 is -1
  EXPECT_EQ(SpiralAngleA, 179);
  EXPECT_EQ(SpiralAngleB, 91);
  EXPECT_EQ(SpiralStep, 9);
}

TEST_F(Orbit, SmearCentreCirclesAndItsAngleFallsByTen) {
  DrawOrbitFrame(0);
  EXPECT_EQ(SmearCentre.x, 160);
  EXPECT_EQ(SmearCentre.y, 112);
  EXPECT_EQ(SmearAngle, 65526);
  DrawOrbitFrame(0);  // -10 degrees
  EXPECT_EQ(SmearCentre.x, 158);
  EXPECT_EQ(SmearCentre.y, 112);
  SmearAngle = static_cast<uint16_t>(-90);
  DrawOrbitFrame(0);
  EXPECT_EQ(SmearCentre.x, 148);
  EXPECT_EQ(SmearCentre.y, 100);
}

TEST_F(Orbit, ComposePutsTheSparsePlaneHighAndTheDenseLow) {
  GlowScratch[0] = 255;
  GlowBuffer[0] = 255;
  GlowScratch[1] = 60;  // 15
  GlowBuffer[1] = 28;   // 14
  GlowScratch[2] = 7;   // 1
  GlowBuffer[2] = 5;    // 2
  GlowScratch[3] = 3;
  GlowBuffer[3] = 1;
  ComposeOrbitPlanes();
  EXPECT_EQ(CompositePlane[0], 239);
  EXPECT_EQ(CompositePlane[1], 239);
  EXPECT_EQ(CompositePlane[2], 33);
  EXPECT_EQ(CompositePlane[3], 0);
}

// The frame as a plain reading of its steps, to hold the fused decay and blur to.
void PlainOrbitFrame(int32_t t) {
  SpiralAngleA = static_cast<uint16_t>(SpiralAngleA + t);
  SpiralAngleB = static_cast<uint16_t>(SpiralAngleB - (static_cast<int16_t>(t) >> 3));
  SpiralStep = static_cast<uint16_t>(SpiralStep + 3);
  DrawDenseSpiral();
  const double a = static_cast<int16_t>(SmearAngle) * static_cast<double>(0.0174532924f);
  SmearCentre.x = static_cast<int16_t>(std::nearbyint(12 * std::sin(a)) + 160);
  SmearCentre.y = static_cast<int16_t>(std::nearbyint(12 * std::cos(a)) + 100);
  SmearAngle = static_cast<uint16_t>(SmearAngle - 10);
  DrawSparseSpiral();
  RemapBuffer(GlowScratch);
  Blur4(GlowScratch + kW);
  RemapBuffer(GlowBuffer);
  Blur4(GlowBuffer + kW);
  for (int i = 0; i < kPlaneBytes; ++i) {
    CompositePlane[i] = static_cast<uint8_t>(16 * std::min(GlowBuffer[i] >> 1, 14) + std::min(GlowScratch[i] >> 2, 15));
  }
  ClearEdgeColumns(CompositePlane, 0);
}

TEST_F(Orbit, FramesMatchAPlainReadingOfTheirSteps) {
  // Trails that have built up over many frames, with the smear between frames.
  uint32_t noise = 12345;
  for (int i = 0; i < kPlaneBytes; ++i) {
    noise = noise * 1103515245u + 12345u;
    GlowScratch[i] = static_cast<uint8_t>(noise >> 24);
    GlowBuffer[i] = static_cast<uint8_t>(noise >> 16);
  }
  for (int32_t t : {0, 2, 5, 40, 300, 1990, 2090}) {
    const auto scratch = Copy(GlowScratch), buffer = Copy(GlowBuffer);
    const uint16_t a = SpiralAngleA, b = SpiralAngleB, step = SpiralStep, smear = SmearAngle;
    DrawOrbitFrame(t);
    const auto composite = Copy(CompositePlane), fastScratch = Copy(GlowScratch), fastBuffer = Copy(GlowBuffer);
    std::memcpy(GlowScratch, scratch.data(), kPlaneBytes);
    std::memcpy(GlowBuffer, buffer.data(), kPlaneBytes);
    SpiralAngleA = a;
    SpiralAngleB = b;
    SpiralStep = step;
    SmearAngle = smear;
    PlainOrbitFrame(t);
    EXPECT_TRUE(composite == Copy(CompositePlane)) << t;
    EXPECT_TRUE(fastScratch == Copy(GlowScratch)) << t;
    EXPECT_TRUE(fastBuffer == Copy(GlowBuffer)) << t;
    SmearOrbitTrails();
  }
}

TEST_F(Orbit, EdgeColumnsOfTheComposedFrameAreCleared) {
  std::memset(GlowScratch, 255, kPlaneBytes);
  std::memset(GlowBuffer, 255, kPlaneBytes);
  DrawOrbitFrame(10);
  for (int row = 0; row < kScreenHeight; ++row) {
    EXPECT_EQ(CompositePlane[row * kW + 318], 0) << row;
    EXPECT_EQ(CompositePlane[row * kW + 319], 0) << row;
    EXPECT_EQ(CompositePlane[row * kW + 0] == 0, row != 0) << row;
    EXPECT_NE(CompositePlane[row * kW + 2], 0) << row;
  }
}

}  // namespace
