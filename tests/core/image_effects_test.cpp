// Tests of the image effects: ray smear sources and order, glow spots, the in-place blurs, the
// decaying field, displacement, and the ring texture, orbit sprite, dot sprite and pixel list.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/show_state.h"

namespace {

constexpr int kW = kScreenWidth;

int At(int x, int y) { return y * kW + x; }

class ImageEffectsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetShowState(); }
};

// ---- RadialSmear -----------------------------------------------------------------------------

class RadialSmearTest : public ImageEffectsTest {
 protected:
  void SetUp() override {
    ImageEffectsTest::SetUp();
    SmearCentre = {160, 100};
  }
  uint8_t* a_ = GlowScratch;
  uint8_t* b_ = GlowBuffer;
};

TEST_F(RadialSmearTest, EachPixelAddsTheSourceHalfwayToTheCentre) {
  struct Case {
    int x, y, sx, sy;
  };
  const Case cases[] = {
      {1, 1, 80, 50},       // upper left
      {319, 199, 240, 149}, // lower right: rounded towards the pixel in x
      {10, 199, 85, 149},   // lower left: row centre 99
      {300, 20, 230, 60},   // upper right
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    ResetShowState();
    SmearCentre = {160, 100};
    a_[At(c.sx, c.sy)] = 7;
    b_[At(c.sx, c.sy)] = 9;
    a_[At(c.x, c.y)] = 1;
    RadialSmear(a_);
    EXPECT_EQ(a_[At(c.x, c.y)], 8);
    EXPECT_EQ(b_[At(c.x, c.y)], 9) << "the second plane smears from its own source";
  }
}

TEST_F(RadialSmearTest, PixelsNextToTheCentreAreTheirOwnSources) {
  a_[At(161, 100)] = 100;
  a_[At(161, 101)] = 200;
  a_[At(160, 99)] = 5;
  a_[At(160, 100)] = 1;
  RadialSmear(a_);
  EXPECT_EQ(a_[At(161, 100)], 200) << "doubles";
  EXPECT_EQ(a_[At(161, 101)], 255) << "saturates (its source is (161, 100) before doubling)";
  EXPECT_EQ(a_[At(160, 99)], 10) << "doubles, visited on the way down";
  EXPECT_EQ(a_[At(160, 100)], 11) << "adds (160, 99), already doubled";
}

TEST_F(RadialSmearTest, ColumnZeroAndRowZeroStayAndOthersSaturate) {
  std::memset(a_, 100, kPlaneBytes);
  std::memset(b_, 200, kPlaneBytes);
  RadialSmear(a_);
  for (int y = 0; y < kScreenHeight; ++y) {
    ASSERT_EQ(a_[At(0, y)], 100) << y;
    ASSERT_EQ(b_[At(0, y)], 200) << y;
  }
  for (int x = 0; x < kW; ++x) ASSERT_EQ(a_[At(x, 0)], 100) << x;
  for (int y = 1; y < kScreenHeight; ++y) {
    for (int x = 1; x < kW; ++x) {
      ASSERT_GE(a_[At(x, y)], 200);
      ASSERT_EQ(b_[At(x, y)], 255);
    }
  }
}

TEST_F(RadialSmearTest, EdgesAreVisitedBeforeTheirSources) {
  // With every pixel 1, a pixel doubles unless its source was already updated in this call.
  std::memset(a_, 1, kPlaneBytes);
  RadialSmear(a_);
  EXPECT_EQ(a_[At(1, 1)], 2);
  EXPECT_EQ(a_[At(319, 199)], 2);
  EXPECT_EQ(a_[At(160, 98)], 2) << "its source (160, 99) comes later";
  EXPECT_EQ(a_[At(160, 100)], 3) << "its source (160, 99) came earlier";
}

// ---- DrawGlowBall ---------------------------------------------------------------------------

TEST_F(ImageEffectsTest, GlowBallFallsOffWithTheShiftedRoundedDistance) {
  DrawGlowBall(GlowScratch, 10, 10, 10, 20, 2);
  EXPECT_EQ(GlowScratch[At(10, 10)], 20);
  EXPECT_EQ(GlowScratch[At(11, 10)], 16);
  EXPECT_EQ(GlowScratch[At(9, 10)], 16);
  EXPECT_EQ(GlowScratch[At(11, 11)], 16) << "sqrt 2 rounds to 1";
  EXPECT_EQ(GlowScratch[At(10, 12)], 12);
  EXPECT_EQ(GlowScratch[At(13, 14)], 0) << "distance 5";
  EXPECT_EQ(GlowScratch[At(10, 6)], 4) << "distance 4";
}

TEST_F(ImageEffectsTest, GlowBallCoversMinusRToRMinusOneAndSkipsTheEdges) {
  static uint8_t plane[kPlaneBytes];
  std::memset(plane, 0, sizeof plane);
  DrawGlowBall(plane, 10, 10, 10, 255, 0);
  EXPECT_EQ(plane[At(0, 10)], 0) << "column 0 skipped";
  EXPECT_EQ(plane[At(1, 10)], 0) << "column 1 skipped";
  EXPECT_EQ(plane[At(2, 10)], 247);
  EXPECT_EQ(plane[At(10, 0)], 0) << "row 0 skipped";
  EXPECT_EQ(plane[At(10, 1)], 246);
  EXPECT_EQ(plane[At(19, 10)], 246) << "dx = 9 is the last column";
  EXPECT_EQ(plane[At(20, 10)], 0) << "dx = R is outside the square";

  std::memset(plane, 0, sizeof plane);
  DrawGlowBall(plane, 315, 195, 6, 255, 0);
  EXPECT_EQ(plane[At(318, 198)], 251);
  EXPECT_EQ(plane[At(319, 195)], 0) << "column 319 skipped";
  EXPECT_EQ(plane[At(315, 199)], 0) << "row 199 skipped";

  std::memset(plane, 250, sizeof plane);
  DrawGlowBall(plane, 100, 100, 3, 20, 0);
  EXPECT_EQ(plane[At(100, 100)], 255) << "saturating";
}

// ---- Blur4 ------------------------------------------------------------------------------------

TEST_F(ImageEffectsTest, Blur4UsesThisPassesLeftAndUpperValues) {
  static uint8_t plane[kPlaneBytes];
  std::memset(plane, 0, sizeof plane);
  plane[At(10, 5)] = 255;
  Blur4(plane + kW);
  EXPECT_EQ(plane[At(10, 4)], 63);
  EXPECT_EQ(plane[At(11, 4)], 15) << "left neighbour already blurred";
  EXPECT_EQ(plane[At(9, 5)], 63);
  EXPECT_EQ(plane[At(10, 5)], 31) << "the pixel itself is not in its sum";
  EXPECT_EQ(plane[At(11, 5)], 11);
}

TEST_F(ImageEffectsTest, Blur4ReadsButKeepsTheRowsAroundItsRange) {
  static uint8_t plane[kPlaneBytes];
  std::memset(plane, 0, sizeof plane);
  std::memset(plane, 200, kW);
  std::memset(plane + At(0, 199), 200, kW);
  Blur4(plane + kW);
  for (int x = 0; x < kW; ++x) {
    ASSERT_EQ(plane[At(x, 0)], 200);
    ASSERT_EQ(plane[At(x, 199)], 200);
  }
  EXPECT_EQ(plane[At(0, 1)], 100) << "left of the first byte is the end of row 0";
  EXPECT_EQ(plane[At(1, 1)], 75);
  EXPECT_EQ(plane[At(5, 198)], 66) << "row 198 sees row 199";
}

// ---- FireDecay -------------------------------------------------------------------------------

TEST_F(ImageEffectsTest, FireDecayTurnsAZeroRowIntoTheWrappingSequence) {
  std::vector<uint8_t> area(1 + 3 * kW + 1, 0);
  uint8_t* row = area.data() + 1 + kW;
  FireDecay(row, kW);
  const uint8_t cycle[3] = {255, 30, 2};
  for (int x = 0; x < kW - 1; ++x) ASSERT_EQ(row[x], cycle[x % 3]) << x;
  EXPECT_EQ(row[319], 62) << "the last byte also sees the row's new first byte";
  for (int i = 0; i <= kW; ++i) EXPECT_EQ(area[i], 0);
  for (size_t i = 1 + 2 * kW; i < area.size(); ++i) EXPECT_EQ(area[i], 0);
}

TEST_F(ImageEffectsTest, FireDecayAveragesAllEightNeighboursMinusOne) {
  std::vector<uint8_t> area(3 * kW, 0);
  uint8_t* p = area.data() + kW + 100;
  const int offsets[8] = {-321, -320, -319, -1, 1, 319, 320, 321};
  for (int i = 0; i < 8; ++i) p[offsets[i]] = static_cast<uint8_t>(8 * (i + 1));
  p[0] = 99;
  FireDecay(p, 1);
  EXPECT_EQ(p[0], 288 / 8 - 1);
  uint8_t* q = p + 10;  // all neighbours 0
  q[0] = 7;
  FireDecay(q, 1);
  EXPECT_EQ(q[0], 255) << "an average of 0 wraps to 255";
}

TEST_F(ImageEffectsTest, FireDecayMatchesAPlainInPlacePassOverDarkAndBrightAreas) {
  // Dark and dim patches make the average wrap at every place in a block; bright ones keep
  // whole blocks unwrapped.
  constexpr int kRows = 12;
  std::vector<uint8_t> fast((kRows + 2) * kW + 2), plain;
  uint32_t noise = 12345;
  for (size_t i = 0; i < fast.size(); ++i) {
    noise = noise * 1103515245u + 12345u;
    const unsigned shift[3] = {31, 30, 24};  // dark, dim (averages near the wrap) and bright
    fast[i] = static_cast<uint8_t>(noise >> shift[(i / 37) % 3]);
  }
  plain = fast;
  const int count = kRows * kW;
  for (int pass = 0; pass < 3; ++pass) {
    FireDecay(fast.data() + 1 + kW, count);
    uint8_t* p = plain.data() + 1 + kW;
    for (int i = 0; i < count; ++i) {
      const int sum = p[i - kW - 1] + p[i - kW] + p[i - kW + 1] + p[i - 1] + p[i + 1] + p[i + kW - 1] +
                      p[i + kW] + p[i + kW + 1];
      p[i] = static_cast<uint8_t>(sum / 8 - 1);
    }
    ASSERT_EQ(fast, plain) << "pass " << pass;
  }
}

// ---- DisplaceRow -----------------------------------------------------------------------------

TEST_F(ImageEffectsTest, DisplaceRowReadsSignedOffsetsInPlace) {
  uint8_t plane[8] = {10, 11, 12, 13, 14, 15, 16, 17};
  const uint8_t zero[6] = {};
  DisplaceRow(zero, plane + 1, 6);
  EXPECT_EQ(plane[3], 13);
  const uint8_t map[6] = {0xFF, 0xFF, 0xFF, 2, 1, 0};  // -1, -1, -1, +2, +1, 0
  DisplaceRow(map, plane + 1, 6);
  const uint8_t expected[8] = {10, 10, 10, 10, 16, 16, 16, 17};
  EXPECT_EQ(0, std::memcmp(plane, expected, 8));
}

// ---- Generators ----------------------------------------------------------------------------------

TEST_F(ImageEffectsTest, RingTextureStaysWithinItsBoundsWhateverTheNoise) {
  for (uint32_t seed : {0u, 12345u, 0xF590033Au}) {
    SCOPED_TRACE(seed);
    RandomSeed = seed;
    BuildRingTexture();
    uint32_t replay = seed;
    for (int i = 0; i < 65536; ++i) replay = replay * 129u + 0x361962E9u;
    EXPECT_EQ(RandomSeed, replay) << "one Random call per texel";
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const int d = static_cast<int>(std::nearbyint(std::hypot(x - 134, y - 130)));
        const int v = RingTexture[y * 256 + x];
        if (d >= 106) {
          ASSERT_EQ(v, 192) << x << "," << y;
        } else if (d <= 34) {
          ASSERT_EQ(v, 255) << x << "," << y;
        } else {
          ASSERT_GE(v, 192 + std::max(0, std::min(63, 97 - d))) << x << "," << y;
          ASSERT_LE(v, 192 + std::min(63, 97 - d + 9)) << x << "," << y;
        }
      }
    }
  }
}

TEST_F(ImageEffectsTest, RingTextureNoiseFollowsTheSeed) {
  RandomSeed = 1;
  BuildRingTexture();
  std::vector<uint8_t> first(RingTexture, RingTexture + kRingTextureBytes);
  RandomSeed = 1;
  BuildRingTexture();
  EXPECT_EQ(0, std::memcmp(first.data(), RingTexture, kRingTextureBytes));
  RandomSeed = 2;
  BuildRingTexture();
  EXPECT_NE(0, std::memcmp(first.data(), RingTexture, kRingTextureBytes));
}

class OrbitSpriteTest : public ImageEffectsTest {
 protected:
  // A plane with the 20 rows and 20 bytes of slack the sprite may reach.
  std::vector<uint8_t> plane_ = std::vector<uint8_t>(kPlaneBytes + 20 * kW + 20, 0);
  void SetUp() override {
    ImageEffectsTest::SetUp();
    for (int i = 0; i < kOrbitSpriteSize * kOrbitSpriteSize; ++i) {
      OrbitSprite[i] = static_cast<uint8_t>(1 + i % 100);
    }
  }
  bool SpriteAt(int x, int y) const {
    for (int r = 0; r < kOrbitSpriteSize; ++r) {
      for (int c = 0; c < kOrbitSpriteSize; ++c) {
        if (plane_[(y + r) * kW + x + c] != OrbitSprite[r * kOrbitSpriteSize + c]) return false;
      }
    }
    return true;
  }
  int Lit() const {
    int n = 0;
    for (uint8_t b : plane_) n += b != 0;
    return n;
  }
};

TEST_F(OrbitSpriteTest, RadiusZeroPutsTheSpriteAtItsOrigin) {
  OrbitRadius = 0;
  OrbitPhase = 1234;
  DrawOrbitSprite(plane_.data());
  EXPECT_TRUE(SpriteAt(150, 90));
  EXPECT_EQ(Lit(), 400);
  DrawOrbitSprite(plane_.data());
  EXPECT_EQ(plane_[At(150, 90)], 2 * OrbitSprite[0]) << "added, not copied";
  std::fill(plane_.begin(), plane_.end(), 250);
  DrawOrbitSprite(plane_.data());
  EXPECT_EQ(plane_[At(169, 109)], 255) << "saturating";
}

TEST_F(OrbitSpriteTest, RadiusPlusPhaseWrapsToASixteenBitAngle) {
  // 800 + 32336 = 33136 wraps to -32400 degrees, a whole number of turns: straight down.
  OrbitRadius = 800;
  OrbitPhase = 32336;
  DrawOrbitSprite(plane_.data());
  EXPECT_TRUE(SpriteAt(150, 190)) << "unwrapped, 33136 degrees would put it at (178, 186)";
  EXPECT_EQ(Lit(), 400);
}

TEST_F(OrbitSpriteTest, PointsBelowRow200AreNotDrawn) {
  OrbitRadius = 960;  // 120 pixels: y = 210
  OrbitPhase = -960;
  DrawOrbitSprite(plane_.data());
  EXPECT_EQ(Lit(), 0);
}

TEST_F(ImageEffectsTest, DotSpriteFallsFrom55ToZeroAtDistanceFive) {
  BuildDotSprite();
  auto dot = [](int dx, int dy) { return DotSprite[(dy + 5) * kDotSpriteSize + dx + 5]; };
  EXPECT_EQ(dot(0, 0), 55);
  EXPECT_EQ(dot(1, 0), 44);
  EXPECT_EQ(dot(-1, 0), 44);
  EXPECT_EQ(dot(0, 1), 44);
  EXPECT_EQ(dot(0, -1), 44);
  EXPECT_EQ(dot(1, 1), 44);
  EXPECT_EQ(dot(2, 2), 22);
  EXPECT_EQ(dot(2, 4), 11);
  EXPECT_EQ(dot(5, 0), 0);
  EXPECT_EQ(dot(3, 4), 0);
  for (int dy : {-5, 5}) {
    for (int dx : {-5, 5}) EXPECT_EQ(dot(dx, dy), 0);
  }
}

TEST_F(ImageEffectsTest, RandomPixelListDrawsTheRowFirst) {
  RandomSeed = 77;
  RandomPixelCount = 3;
  RandomPixelList[3] = 4242;
  BuildRandomPixelList();
  RandomSeed = 77;
  for (int i = 0; i < 3; ++i) {
    const int row = Random(200);
    const int col = Random(320);
    EXPECT_EQ(RandomPixelList[i], row * kW + col);
  }
  EXPECT_EQ(RandomPixelList[3], 4242) << "only the counted entries are written";
}

TEST_F(ImageEffectsTest, RandomPixelListNeverWritesPastItsCapacity) {
  RandomPixelCount = 60000;
  BuildRandomPixelList();
  uint32_t replay = 0;
  for (int i = 0; i < 2 * kRandomPixelCapacity; ++i) replay = replay * 129u + 0x361962E9u;
  EXPECT_EQ(RandomSeed, replay);
  for (int i = 0; i < kRandomPixelCapacity; ++i) ASSERT_LT(RandomPixelList[i], kPlaneBytes);
}

}  // namespace
