// Tests of the plane filters the logo's outline, shadow and bevel are built from.
#include "tools/bitmap_kit/plane_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <stdexcept>

namespace vesk::kit {
namespace {

Plane Square(int size, int left, int top, int side) {
  Plane p(size, size);
  for (int y = top; y < top + side; ++y) {
    for (int x = left; x < left + side; ++x) p.At(x, y) = 1.0f;
  }
  return p;
}

TEST(Distance, InsideCountsToTheNearestOutsidePixelAndIsZeroOutside) {
  const Plane d = DistanceInside(Square(20, 5, 5, 9));
  EXPECT_FLOAT_EQ(d.At(5, 5), 1.0f);
  EXPECT_FLOAT_EQ(d.At(9, 9), 5.0f);
  EXPECT_FLOAT_EQ(d.At(9, 6), 2.0f);
  EXPECT_FLOAT_EQ(d.At(2, 2), 0.0f);
}

TEST(Distance, OutsideIsEuclideanToTheShape) {
  const Plane d = DistanceOutside(Square(20, 5, 5, 4));
  EXPECT_FLOAT_EQ(d.At(6, 6), 0.0f);
  EXPECT_FLOAT_EQ(d.At(11, 6), 3.0f);
  EXPECT_NEAR(d.At(11, 11), std::sqrt(18.0f), 1e-5f);
}

TEST(Grow, WidensAShapeByTheRadiusWithASoftEdge) {
  const Plane g = Grow(Square(20, 8, 8, 4), 2.0f);
  EXPECT_FLOAT_EQ(g.At(9, 9), 1.0f);
  EXPECT_FLOAT_EQ(g.At(6, 9), 1.0f);   // two pixels out
  EXPECT_FLOAT_EQ(g.At(5, 9), 0.0f);   // three pixels out
  EXPECT_GT(g.At(6, 6), 0.0f);         // the corner is rounded, not cut
  EXPECT_LT(g.At(6, 6), 1.0f);
}

TEST(Blur, KeepsTheTotalAwayFromTheEdges) {
  Plane p(40, 40);
  p.At(20, 20) = 1.0f;
  const Plane b = Blur(p, 2);
  EXPECT_NEAR(std::accumulate(b.v.begin(), b.v.end(), 0.0), 1.0, 1e-5);
  EXPECT_GT(b.At(20, 20), b.At(22, 20));
  EXPECT_FLOAT_EQ(b.At(20 + 7, 20), 0.0f);  // three passes of radius 2 reach six pixels
}

TEST(Downsample, AveragesBlocksAndRefusesUnevenSizes) {
  Plane p(4, 2);
  p.At(0, 0) = 1.0f;
  p.At(3, 1) = 0.5f;
  const Plane d = Downsample(p, 2);
  ASSERT_EQ(d.width, 2);
  ASSERT_EQ(d.height, 1);
  EXPECT_FLOAT_EQ(d.At(0, 0), 0.25f);
  EXPECT_FLOAT_EQ(d.At(1, 0), 0.125f);
  EXPECT_THROW(Downsample(Plane(5, 4), 2), std::invalid_argument);
}

}  // namespace
}  // namespace vesk::kit
