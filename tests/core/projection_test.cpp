// Tests of the projection and the triangle scan conversion: rounding, rotation order, culling,
// trivial reject, clipping and the exact 16.16 edge walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "core/projection.h"
#include "core/show_state.h"

namespace {

using Pixel = std::pair<int, int>;  // (x, y)
std::vector<Pixel> gPixels;

void Record(int x, int y) { gPixels.emplace_back(x, y); }

std::vector<Pixel> Draw(ScreenPoint a, ScreenPoint b, ScreenPoint c) {
  gPixels.clear();
  PixelCallback = Record;
  RasterTriangle(a, b, c);
  return gPixels;
}

std::set<Pixel> Shifted(const std::vector<Pixel>& pixels, int dy, int fromRow, int toRow) {
  std::set<Pixel> out;
  for (auto [x, y] : pixels) {
    if (y >= fromRow && y < toRow) out.emplace(x, y + dy);
  }
  return out;
}

class ProjectionTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetShowState(); }
};

// ---- RasterTriangle -------------------------------------------------------------------------

TEST_F(ProjectionTest, RightTriangleCoversSixtyFivePixelsAndNotItsBottomRow) {
  const auto pixels = Draw({10, 10}, {20, 10}, {10, 20});
  EXPECT_EQ(pixels.size(), 65u);
  std::set<Pixel> expected;
  for (int y = 10; y <= 19; ++y) {
    for (int x = 10; x <= 20 - (y - 10); ++x) expected.emplace(x, y);
  }
  EXPECT_EQ(std::set<Pixel>(pixels.begin(), pixels.end()), expected);
}

TEST_F(ProjectionTest, EdgeSlopesAreScaledBy65535SoA45DegreeEdgeLagsOnePixel) {
  // The right edge moves 65535/65536 of a pixel per row: rows 10 and 11 end where they start
  // (xl = xr, nothing drawn), row 10 + k covers columns 10..9 + k.
  const auto pixels = Draw({10, 10}, {20, 20}, {10, 20});
  std::set<Pixel> expected;
  for (int k = 2; k <= 9; ++k) {
    for (int x = 10; x <= 9 + k; ++x) expected.emplace(x, 10 + k);
  }
  EXPECT_EQ(pixels.size(), 44u);
  EXPECT_EQ(std::set<Pixel>(pixels.begin(), pixels.end()), expected);
}

TEST_F(ProjectionTest, SpansWhoseEndsShareAPixelDrawNothing) {
  EXPECT_TRUE(Draw({10, 10}, {10, 20}, {11, 20}).empty()) << "thinner than a pixel vanishes";
  // Two columns wide at the bottom: only the rows where the right edge has reached column 11.
  const auto pixels = Draw({10, 10}, {10, 20}, {12, 20});
  std::set<Pixel> expected;
  for (int y = 16; y <= 19; ++y) expected.insert({{10, y}, {11, y}});
  EXPECT_EQ(std::set<Pixel>(pixels.begin(), pixels.end()), expected);
}

TEST_F(ProjectionTest, TriangleWithAllCornersOnOneRowDrawsNothing) {
  EXPECT_TRUE(Draw({10, 50}, {100, 50}, {40, 50}).empty());
}

TEST_F(ProjectionTest, TrivialRejectCountsColumnAndRowZeroAsOutside) {
  EXPECT_TRUE(Draw({0, 10}, {0, 50}, {0, 100}).empty()) << "all on column 0";
  EXPECT_TRUE(Draw({-5, 10}, {0, 60}, {-40, 100}).empty()) << "all left";
  EXPECT_TRUE(Draw({10, 0}, {50, 0}, {100, -30}).empty()) << "all on or above row 0";
  EXPECT_TRUE(Draw({320, 10}, {400, 60}, {330, 100}).empty()) << "all right";
  EXPECT_TRUE(Draw({10, 200}, {50, 250}, {100, 200}).empty()) << "all below";
  // One column further in, the same shape is drawn.
  EXPECT_FALSE(Draw({1, 10}, {1, 50}, {30, 100}).empty());
}

TEST_F(ProjectionTest, CornersOffScreenOnDifferentSidesStillDrawEveryPixelOnce) {
  const auto pixels = Draw({-100, -100}, {1000, -100}, {-100, 1000});
  EXPECT_EQ(pixels.size(), static_cast<size_t>(kPlaneBytes));
  const std::set<Pixel> unique(pixels.begin(), pixels.end());
  EXPECT_EQ(unique.size(), static_cast<size_t>(kPlaneBytes));
  for (auto [x, y] : unique) {
    ASSERT_TRUE(x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight) << x << "," << y;
  }
}

TEST_F(ProjectionTest, RowsAboveTheScreenAreSkippedExactlyAsIfWalked) {
  // The same shape 60 rows lower is drawn in full; its rows 40.. must match the clipped one.
  const auto clipped = Draw({150, -20}, {40, 25}, {300, 70});
  const auto full = Draw({150, 40}, {40, 85}, {300, 130});
  EXPECT_EQ(Shifted(clipped, 0, 0, 200), Shifted(full, -60, 60, 200));
  for (auto [x, y] : clipped) EXPECT_GE(y, 0);
}

TEST_F(ProjectionTest, AnUpperHalfWhollyAboveRestartsTheShortEdgeAtItsCorner) {
  // Walked, the short edge reaches corner 1 at 40 + 80/65536 (the 65535 scale); skipped, it
  // restarts at exactly 40, which moves row 0's left end by one column.
  auto leftEnd = [](const std::vector<Pixel>& pixels, int row) {
    int left = kScreenWidth;
    for (auto [x, y] : pixels) {
      if (y == row && x < left) left = x;
    }
    return left;
  };
  EXPECT_EQ(leftEnd(Draw({150, -90}, {40, -30}, {300, 70}), 0), 117);
  EXPECT_EQ(leftEnd(Draw({150, 10}, {40, 70}, {300, 170}), 100), 118);
}

TEST_F(ProjectionTest, RowsFromTwoHundredOnAreNeverVisited) {
  const auto clipped = Draw({10, 190}, {50, 190}, {10, 400});
  const auto full = Draw({10, 10}, {50, 10}, {10, 220});
  for (auto [x, y] : clipped) EXPECT_LT(y, kScreenHeight);
  EXPECT_EQ(Shifted(clipped, 0, 0, 200), Shifted(full, 180, 10, 20));
}

TEST_F(ProjectionTest, PixelsLeftOfColumnZeroAreSkipped) {
  const auto pixels = Draw({-50, 10}, {30, 10}, {-50, 90});
  ASSERT_FALSE(pixels.empty());
  for (auto [x, y] : pixels) EXPECT_GE(x, 0);
  // Row 10 runs from column 0 to the right corner.
  std::set<int> row10;
  for (auto [x, y] : pixels) {
    if (y == 10) row10.insert(x);
  }
  EXPECT_EQ(row10.size(), 31u);
  EXPECT_EQ(*row10.begin(), 0);
  EXPECT_EQ(*row10.rbegin(), 30);
}

// ---- DrawFaceList ------------------------------------------------------------------------------

TEST_F(ProjectionTest, CullModesSkipOneOrientationEach) {
  ProjectedVertex v[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
  const FaceRecord forward[1] = {{{0, 1, 2}}};   // A = 100, B = 0
  const FaceRecord backward[1] = {{{0, 2, 1}}};  // A = 0, B = 100
  PixelCallback = Record;
  auto drawn = [&](const FaceRecord* f, uint16_t mode) {
    gPixels.clear();
    CullMode = mode;
    DrawFaceList(f, v, 1);
    return !gPixels.empty();
  };
  EXPECT_TRUE(drawn(forward, 0));
  EXPECT_FALSE(drawn(forward, 1));
  EXPECT_TRUE(drawn(forward, 2));
  EXPECT_TRUE(drawn(backward, 0));
  EXPECT_TRUE(drawn(backward, 1));
  EXPECT_FALSE(drawn(backward, 2));
}

TEST_F(ProjectionTest, FaceListTakesCornersFromTheNamedVerticesInOrder) {
  ProjectedVertex v[5] = {{99, 99, 0}, {10, 10, 7}, {77, 77, 0}, {20, 10, 8}, {10, 20, 9}};
  const FaceRecord faces[2] = {{{1, 3, 4}}, {{1, 1, 1}}};
  gPixels.clear();
  PixelCallback = Record;
  CullMode = 0;
  DrawFaceList(faces, v, 2);
  EXPECT_EQ(gPixels.size(), 65u);
  EXPECT_EQ(gPixels.front(), Pixel(10, 10));
}

// ---- Pixel callbacks -----------------------------------------------------------------------

TEST_F(ProjectionTest, PixelCallbacksWriteTheirPlanes) {
  PlotTextPixel(5, 2);
  EXPECT_EQ(GlowBuffer[2 * kScreenWidth + 5], 255);
  EXPECT_EQ(GlowScratch[2 * kScreenWidth + 5], 0);
  PlotWorkPixel(319, 199);
  EXPECT_EQ(GlowScratch[kPlaneBytes - 1], 255);
  DepthPlane[0] = 100;
  DepthPlane[1] = 125;
  DepthPlane[2] = 200;
  PlotMaxPixel(0, 0);
  PlotMaxPixel(1, 0);
  PlotMaxPixel(2, 0);
  EXPECT_EQ(DepthPlane[0], 125);
  EXPECT_EQ(DepthPlane[1], 125);
  EXPECT_EQ(DepthPlane[2], 200);
  EXPECT_EQ(FinalPlane[0], 0);
}

TEST_F(ProjectionTest, MaxPixelSpansRaiseExactlyTheCoveredPixelsWhateverTheirWidth) {
  // Triangles whose rows run from one pixel to over forty wide, some cut at column 0 or 319, over a
  // plane holding levels on both sides of 125.
  const std::vector<std::array<ScreenPoint, 3>> triangles = {
      {{{10, 10}, {55, 10}, {10, 60}}}, {{{-20, 70}, {30, 70}, {5, 120}}},
      {{{300, 130}, {330, 130}, {290, 180}}}, {{{100, 20}, {117, 21}, {101, 190}}},
      {{{200, 5}, {209, 5}, {204, 195}}}};
  for (const auto& t : triangles) {
    std::vector<uint8_t> expected(kPlaneBytes);
    for (int i = 0; i < kPlaneBytes; ++i) expected[i] = static_cast<uint8_t>((i * 7 + i / kScreenWidth * 13) & 255);
    std::copy(expected.begin(), expected.end(), DepthPlane);
    for (auto [x, y] : Draw(t[0], t[1], t[2])) {
      uint8_t& p = expected[y * kScreenWidth + x];
      p = std::max<uint8_t>(p, 125);
    }
    PixelCallback = PlotMaxPixel;
    RasterTriangle(t[0], t[1], t[2]);
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), DepthPlane)) << t[0].x << "," << t[0].y;
  }
}

// ---- BuildRotation and ProjectVertex --------------------------------------------------------

TEST_F(ProjectionTest, RotationReadsAnglesAsSignedDegreesAndStoresFloats) {
  RotationAngles[0] = -90;
  RotationAngles[1] = 0;
  RotationAngles[2] = 180;
  BuildRotation();
  EXPECT_EQ(SineCosineStore[0], -1.0f);
  EXPECT_NEAR(SineCosineStore[1], 0.0f, 1e-7f);
  EXPECT_EQ(SineCosineStore[2], 0.0f);
  EXPECT_EQ(SineCosineStore[3], 1.0f);
  EXPECT_NEAR(SineCosineStore[4], 0.0f, 1e-6f);
  EXPECT_EQ(SineCosineStore[5], -1.0f);
  // The product with the single-precision factor is taken in double, not rounded to float.
  RotationAngles[0] = 37;
  BuildRotation();
  EXPECT_EQ(SineCosineStore[0], static_cast<float>(std::sin(37.0 * double{0.0174532924f})));
}

class ProjectVertexTest : public ProjectionTest {
 protected:
  void Angles(int16_t a1, int16_t a2, int16_t a3) {
    RotationAngles[0] = a1;
    RotationAngles[1] = a2;
    RotationAngles[2] = a3;
    BuildRotation();
  }
  void SetUp() override {
    ProjectionTest::SetUp();
    ScreenCentre = {160, 100};
    ProjectionDistance = 1200;
    ProjectionScale = -200;
  }
};

TEST_F(ProjectVertexTest, WithoutRotationScreenAxesComeFromZAndMinusY) {
  Angles(0, 0, 0);
  const ProjectedVertex p = ProjectVertex(0, 60, 0);  // P = -60, w = 1200
  EXPECT_EQ(p.x, 170);
  EXPECT_EQ(p.y, 100);
  EXPECT_EQ(p.depth, 0);
  const ProjectedVertex q = ProjectVertex(200, 0, 60);  // Q = 60, w = 1000
  EXPECT_EQ(q.x, 160);
  EXPECT_EQ(q.y, 88);
  EXPECT_EQ(q.depth, 200);
}

TEST_F(ProjectVertexTest, RotationsApplyInTheirOrderAndSigns) {
  Angles(90, 0, 0);  // Z1 = -X
  ProjectedVertex p = ProjectVertex(100, 0, 0);
  EXPECT_EQ(p.x, 160);
  EXPECT_EQ(p.y, 117);  // Q = -100: 100 + 16.67
  EXPECT_EQ(p.depth, 0);

  Angles(0, 90, 0);  // X2 = -Y, Y2 = X
  p = ProjectVertex(0, 50, 0);
  EXPECT_EQ(p.depth, -50);
  p = ProjectVertex(30, 0, 0);
  EXPECT_EQ(p.x, 165);  // P = -30
  EXPECT_EQ(p.depth, 0);

  Angles(0, 0, 90);  // P = Z, Q = Y
  p = ProjectVertex(0, 30, 60);
  EXPECT_EQ(p.x, 150);
  EXPECT_EQ(p.y, 95);
}

TEST_F(ProjectVertexTest, NearerVerticesAreEnlarged) {
  Angles(0, 0, 0);
  EXPECT_EQ(ProjectVertex(0, 60, 0).x, 170);    // w = 1200
  EXPECT_EQ(ProjectVertex(600, 60, 0).x, 180);  // w = 600
}

TEST_F(ProjectVertexTest, RoundsHalvesToEven) {
  Angles(0, 0, 0);
  EXPECT_EQ(ProjectVertex(0, 3, 0).x, 160);   // 160.5
  EXPECT_EQ(ProjectVertex(0, -3, 0).x, 160);  // 159.5
  EXPECT_EQ(ProjectVertex(0, 9, 0).x, 162);   // 161.5
  EXPECT_EQ(ProjectVertex(0, 0, 3).y, 100);   // 99.5
}

TEST_F(ProjectVertexTest, DepthOffsetIsAddedInSixteenBits) {
  Angles(0, 0, 0);
  DepthOffset = 10;
  EXPECT_EQ(ProjectVertex(-30, 0, 0).depth, -20);
  DepthOffset = 1;
  EXPECT_EQ(ProjectVertex(32767, 0, 0).depth, -32768);
}

TEST_F(ProjectVertexTest, ViewerPlaneAndOversizedResultsGiveTheOffScreenValue) {
  Angles(0, 0, 0);
  ProjectionDistance = 100;
  const ProjectedVertex p = ProjectVertex(100, 5, 5);  // w = 0
  EXPECT_EQ(p.x, -32768);
  EXPECT_EQ(p.y, -32768);
  EXPECT_EQ(p.depth, 100);
  ProjectionScale = 32767;
  ProjectionDistance = 1;
  EXPECT_EQ(ProjectVertex(0, -1000, 0).x, -32768) << "1000 * 32767 does not fit";
  // Behind the viewer (w < 0) the formula still applies: the point lands mirrored.
  ProjectionScale = -200;
  ProjectionDistance = 100;
  EXPECT_EQ(ProjectVertex(300, 60, 0).x, 100);  // P = -60, w = -200
}

TEST_F(ProjectVertexTest, ListFetchesEachVertexOnceInOrderAndWritesOnlyCountEntries) {
  static std::vector<uint16_t> fetched;
  fetched.clear();
  VertexFetch = [](uint16_t k) {
    fetched.push_back(k);
    VertexInput = {0, static_cast<int16_t>(6 * k), 0};
  };
  Angles(0, 0, 0);
  ProjectedVertex out[4];
  for (auto& v : out) v = {1, 2, 3};
  ProjectVertexList(1, out);
  EXPECT_EQ(fetched, std::vector<uint16_t>{0});
  EXPECT_EQ(out[0].x, 160);
  EXPECT_EQ(out[1].x, 1);
  ProjectVertexList(3, out);
  EXPECT_EQ(fetched, (std::vector<uint16_t>{0, 0, 1, 2}));
  EXPECT_EQ(out[1].x, 161);  // 160 + 6 / 6
  EXPECT_EQ(out[2].x, 162);
  EXPECT_EQ(out[3].depth, 3);
}

}  // namespace
