// The final scene: sway, spot table and swing, the light's thresholds and order, mesh and culling.
#include "core/final.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/interface_block.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/timeline.h"

namespace {

constexpr int kW = kScreenWidth;

class Final : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShowState();
    ScreenCentre = {160, 100};
    RandomSeed = 0xF590033Au;
    std::memset(palette, 0, kPaletteBytes);
    palette[3 * 255] = palette[3 * 255 + 1] = palette[3 * 255 + 2] = 63;
    SetUpFinalScene();
  }
};

// The three Random(10) draws of one sway, from the current seed, without advancing it.
std::array<int, 3> NextSwayDraws() {
  const uint32_t seed = RandomSeed;
  std::array<int, 3> d{Random(10), Random(10), Random(10)};
  RandomSeed = seed;
  return d;
}

TEST_F(Final, SwayTurnsBackOnlyWhenTheNextStepWouldLeave20To160) {
  SweepAngle = 150;
  SweepDirection = 1;
  auto d = NextSwayDraws();
  UpdateSway();
  EXPECT_EQ(SweepDirection, -1);
  EXPECT_EQ(SweepAngle, 150 - d[1] - 2);
  EXPECT_EQ(RotationAngles[0], d[0] - 5);
  EXPECT_EQ(RotationAngles[1], SweepAngle);
  EXPECT_EQ(RotationAngles[2], d[2] - 5);

  SweepAngle = 40;
  SweepDirection = -1;
  d = NextSwayDraws();
  UpdateSway();
  EXPECT_EQ(SweepDirection, -1);  // 40 - 20 is 20, not below it
  EXPECT_EQ(SweepAngle, 40 - d[1] - 2);

  SweepAngle = 39;
  UpdateSway();
  EXPECT_EQ(SweepDirection, 1);

  SweepAngle = 140;
  SweepDirection = 1;
  UpdateSway();
  EXPECT_EQ(SweepDirection, 1);  // 160 is not above 160
}

TEST_F(Final, SetUpStartsTheSweepAndSparesPaletteEntry255) {
  EXPECT_EQ(SweepAngle, 90);
  EXPECT_EQ(ProjectionDistance, 150);
  EXPECT_EQ(ProjectionScale, -200);
  EXPECT_EQ(0, std::memcmp(palette, FinalPalette, 255 * 3));
  EXPECT_EQ(palette[3 * 255], 63);
}

TEST_F(Final, SpotTableFallsOffFromItsCentreWithNoise) {
  for (int i = 0; i < 256 * 256; ++i) {
    ASSERT_GE(SpotTable[i], 49);
    ASSERT_LE(SpotTable[i], 239);
  }
  EXPECT_GE(SpotTable[128 * 256 + 128], 230);
  EXPECT_LE(SpotTable[0], 230 - 181 + 9);  // sqrt(2) x 128 = 181
  // One Random(10) per entry, row by row, u fastest.
  ResetShowState();
  RandomSeed = 77;
  BuildSpotTable();
  const uint32_t after = RandomSeed;
  RandomSeed = 77;
  EXPECT_EQ(SpotTable[0], 230 - 181 + Random(10));
  EXPECT_EQ(SpotTable[1], 230 - 180 + Random(10));  // sqrt(127^2 + 128^2) = 180.3
  for (int i = 2; i < 256 * 256; ++i) Random(10);
  EXPECT_EQ(RandomSeed, after);
}

TEST_F(Final, SpotSwingsBetweenColumns60And260) {
  EXPECT_EQ(SpotCentreX(0), 160);
  EXPECT_EQ(SpotCentreX(180), 260);
  EXPECT_EQ(SpotCentreX(540), 60);
  EXPECT_EQ(SpotCentreX(720), 160);
  EXPECT_EQ(SpotCentreX(65536 + 180), 260);  // the clock is taken modulo 65536
}

// What a covered pixel with light value v becomes.
int Lit(int v) { return v < 775 ? 0 : (v <= 1014 ? v - 768 : 254); }

// Covers pixels of row 100 and gives them chosen spot levels; the spot is centred on column 160.
class Light : public Final {
 protected:
  void Cover(int x, uint8_t h) {
    DepthPlane[100 * kW + x] = 125;
    SpotTable[(100 - 110 + 128) * 256 + x - 160 + 128] = h;
  }
  void SetUp() override {
    Final::SetUp();
    std::memset(FinalPlanes, 0, sizeof FinalPlanes);
    SpotX = 160;
  }
};

TEST_F(Light, LevelsFrom194AlwaysLightAndTo118NeverDo) {
  // The spot's square spans columns 32..287.
  for (int x = 32; x < 288; ++x) Cover(x, static_cast<uint8_t>(x % 2 == 0 ? 194 : 118));
  LightLogo();
  for (int x = 32; x < 288; ++x) {
    if (x % 2 == 0) {
      EXPECT_GE(FinalPlane[100 * kW + x], 8) << x;  // v = 776 + draw
    } else {
      EXPECT_EQ(FinalPlane[100 * kW + x], 0) << x;  // v = 472 + draw, below 775
    }
  }
}

TEST_F(Light, EdgeLevelsFlickerWithTheDrawAndTheCentreIsBright) {
  Cover(150, 193);
  Cover(151, 119);
  Cover(152, 235);
  Cover(153, 239);
  uint32_t seed = RandomSeed;
  int draws[4];
  for (int& d : draws) {
    seed = seed * 129 + 907633385u;
    d = static_cast<int>((seed >> 16) % 300);
  }
  LightLogo();
  EXPECT_EQ(RandomSeed, seed);  // uncovered pixels draw nothing
  const uint8_t* row = FinalPlane + 100 * kW + 140;
  EXPECT_EQ(row[10], Lit(772 + draws[0]));  // h 193: lit only for draws of 3 and more
  EXPECT_EQ(row[11], Lit(476 + draws[1]));  // h 119: lit only for the draw 299
  EXPECT_EQ(row[12], Lit(940 + draws[2]));  // under the centre: 152 or more
  EXPECT_GE(row[12], 152);
  EXPECT_EQ(row[13], Lit(956 + draws[3]));
}

TEST_F(Light, RowsAreVisitedTopDownLeftToRightAndRow199StaysDark) {
  // Two covered pixels: the one in the upper row draws first whatever their columns.
  DepthPlane[50 * kW + 200] = 125;
  SpotTable[(50 - 110 + 128) * 256 + 200 - 160 + 128] = 200;
  DepthPlane[60 * kW + 100] = 125;
  SpotTable[(60 - 110 + 128) * 256 + 100 - 160 + 128] = 200;
  for (int x = 0; x < kW; ++x) DepthPlane[199 * kW + x] = 125;
  uint32_t seed = RandomSeed;
  seed = seed * 129 + 907633385u;
  const int first = static_cast<int>((seed >> 16) % 300);
  seed = seed * 129 + 907633385u;
  const int second = static_cast<int>((seed >> 16) % 300);
  LightLogo();
  EXPECT_EQ(FinalPlane[50 * kW + 200], Lit(800 + first));
  EXPECT_EQ(FinalPlane[60 * kW + 100], Lit(800 + second));
  EXPECT_EQ(RandomSeed, seed);
  for (int x = 0; x < kW; ++x) ASSERT_EQ(FinalPlane[199 * kW + x], 0) << x;
}

// The frame as a plain reading of its steps, to hold the inlined generator and the four-pass
// blur to.
void PlainFinalFrame(int32_t t) {
  std::memset(FinalPlanes, 0, sizeof FinalPlanes);
  SpotX = SpotCentreX(t);
  UpdateSway();
  BuildRotation();
  VertexFetch = FetchMeshVertex;
  ProjectVertexList(LogoVertexCount, ProjectedVertices);
  PixelCallback = PlotMaxPixel;
  CullMode = 1;
  DrawFaceList(LogoFaces, ProjectedVertices, LogoFaceCount);
  for (int y = 0; y < 199; ++y) {
    for (int x = std::max(0, SpotX - 128); x < std::min(320, SpotX + 128); ++x) {
      const int depth = DepthPlane[y * kW + x];
      if (depth == 0) continue;
      const int v = 4 * (SpotTable[(y - 110 + 128) * 256 + x - SpotX + 128] + depth) + Random(300) - 500;
      if (v >= 775) FinalPlane[y * kW + x] = v <= 1014 ? static_cast<uint8_t>(v - 768) : 254;
    }
  }
  for (int pass = 0; pass < 4; ++pass) Blur4(FinalPlane + kW);
  ClearEdgeColumns(FinalPlane, 2);
  ClearEdgeColumns(FinalPlane, -2);
}

TEST_F(Final, FramesMatchAPlainReadingOfTheirSteps) {
  for (int32_t t : {0, 7, 90, 180, 300, 541, 1000, 2999}) {
    const uint32_t seed = RandomSeed;
    const int16_t sweep = SweepAngle, direction = SweepDirection;
    DrawFinalFrame(t);
    const std::vector<uint8_t> fast(FinalPlane, FinalPlane + kPlaneBytes);
    const uint32_t fastSeed = RandomSeed;
    RandomSeed = seed;
    SweepAngle = sweep;
    SweepDirection = direction;
    PlainFinalFrame(t);
    EXPECT_TRUE(fast == std::vector<uint8_t>(FinalPlane, FinalPlane + kPlaneBytes)) << t;
    EXPECT_EQ(fastSeed, RandomSeed) << t;
    int lit = 0;
    for (uint8_t v : fast) lit += v != 0;
    EXPECT_GT(lit, 2000) << t;
  }
}

TEST(FinalBlur, FourPassesMatchFourPlainBlursOnEveryBand) {
  std::vector<uint8_t> fast(kPlaneBytes), plain(kPlaneBytes);
  auto check = [&](const char* what) {
    plain = fast;
    BlurFourTimes(fast.data());
    for (int pass = 0; pass < 4; ++pass) Blur4(plain.data() + kW);
    EXPECT_TRUE(fast == plain) << what;
  };
  for (int row : {0, 1, 2, 5, 100, 180, 190, 197, 198, 199}) {
    std::fill(fast.begin(), fast.end(), 0);
    std::memset(fast.data() + row * kW, 255, kW);
    check(("bright row " + std::to_string(row)).c_str());
  }
  // Dim rows die out within a pass or two while the rows below them still hold light.
  for (int level : {3, 5, 9, 40}) {
    std::fill(fast.begin(), fast.end(), 0);
    std::memset(fast.data() + 100 * kW, level, kW);
    std::memset(fast.data() + 103 * kW + 150, 255, 20);
    check(("dim row " + std::to_string(level)).c_str());
  }
  std::fill(fast.begin(), fast.end(), 0);
  fast[150 * kW + 319] = 255;  // its chain runs on into the next row
  check("last pixel of a row");
  std::fill(fast.begin(), fast.end(), 0);
  check("empty");
  std::fill(fast.begin(), fast.end(), 255);
  check("full");
  uint32_t noise = 99;
  std::fill(fast.begin(), fast.end(), 0);
  for (int i = 60 * kW; i < 120 * kW; ++i) {
    noise = noise * 1103515245u + 12345u;
    fast[i] = (noise >> 28) == 0 ? static_cast<uint8_t>(noise >> 16) : 0;
  }
  check("sparse band");
}

TEST_F(Final, EdgesAreClearedAfterTheBlur) {
  DrawFinalFrame(0);
  for (int row = 0; row < kScreenHeight; ++row) {
    for (int c = 316; c < 320; ++c) ASSERT_EQ(FinalPlane[row * kW + c], 0) << row;
    if (row > 0) {
      for (int c = 0; c < 4; ++c) ASSERT_EQ(FinalPlane[row * kW + c], 0) << row;
    }
  }
}

TEST_F(Final, LogoFacesTheViewerWithItsFrontCapUnderCullMode1) {
  ASSERT_GT(LogoVertexCount, 0);
  ASSERT_GT(LogoFaceCount, 0);
  RotationAngles[0] = 0;
  RotationAngles[1] = 90;
  RotationAngles[2] = 0;
  BuildRotation();
  VertexFetch = FetchMeshVertex;
  ProjectVertexList(LogoVertexCount, ProjectedVertices);
  int front = 0, back = 0;
  for (int f = 0; f < LogoFaceCount; ++f) {
    const FaceRecord& face = LogoFaces[f];
    const ProjectedVertex& a = ProjectedVertices[face.corner[0]];
    const ProjectedVertex& b = ProjectedVertices[face.corner[1]];
    const ProjectedVertex& c = ProjectedVertices[face.corner[2]];
    const int32_t across = (b.x - a.x) * (c.y - a.y);
    const int32_t down = (c.x - a.x) * (b.y - a.y);
    const int capY = LogoVertices[face.corner[0]].y;
    if (capY != LogoVertices[face.corner[1]].y || capY != LogoVertices[face.corner[2]].y) continue;
    if (capY == 0) {
      ++front;
      EXPECT_LE(across, down) << "front cap face " << f << " would be culled";
    } else {
      ++back;
      EXPECT_GT(across, down) << "back cap face " << f << " would be drawn";
    }
  }
  EXPECT_GT(front, 50);
  EXPECT_EQ(front, back);
}

}  // namespace
