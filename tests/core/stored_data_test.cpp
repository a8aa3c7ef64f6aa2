// The core's stored title picture, palette and logo mesh: their generators, formats and geometry.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "tools/make_logo_mesh/logo_mesh.h"
#include "tools/make_title_picture/title_art.h"

extern "C" const unsigned char vesk_core_title_picture_bin[];
extern "C" const unsigned int vesk_core_title_picture_bin_size;
extern "C" const unsigned char vesk_core_title_palette_bin[];
extern "C" const unsigned int vesk_core_title_palette_bin_size;
extern "C" const unsigned char vesk_core_logo_mesh_bin[];
extern "C" const unsigned int vesk_core_logo_mesh_bin_size;

namespace {

using logo_mesh::Point2;

std::vector<uint8_t> Stored(const unsigned char* data, unsigned size) {
  return std::vector<uint8_t>(data, data + size);
}

TEST(StoredData, GeneratorsRerunToTheCommittedBytes) {
  const title_art::TitlePicture pic = title_art::MakeTitlePicture();
  EXPECT_TRUE(std::vector<uint8_t>(pic.packed.begin(), pic.packed.end()) ==
              Stored(vesk_core_title_picture_bin, vesk_core_title_picture_bin_size));
  EXPECT_TRUE(std::vector<uint8_t>(pic.palette.begin(), pic.palette.end()) ==
              Stored(vesk_core_title_palette_bin, vesk_core_title_palette_bin_size));
  const auto mesh = logo_mesh::BuildLogoMesh(logo_mesh::LogoOutlines());
  EXPECT_TRUE(logo_mesh::Serialise(mesh) == Stored(vesk_core_logo_mesh_bin, vesk_core_logo_mesh_bin_size));
}

TEST(StoredData, TitlePaletteHoldsThePictureColoursAndTheBurstRamp) {
  ASSERT_EQ(vesk_core_title_palette_bin_size, 768u);
  const unsigned char* pal = vesk_core_title_palette_bin;
  auto entry = [pal](int i) { return std::vector<int>{pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]}; };
  for (int i = 0; i < 768; ++i) ASSERT_LE(pal[i], 63) << i;
  EXPECT_EQ(entry(0), (std::vector<int>{0, 0, 0}));
  for (int i = 16; i < 192; ++i) EXPECT_EQ(entry(i), (std::vector<int>{0, 0, 0})) << i;
  for (int k = 0; k < 32; ++k) EXPECT_EQ(entry(192 + k), (std::vector<int>{0, 0, 2 * k})) << k;
  for (int k = 0; k < 15; ++k) EXPECT_EQ(entry(224 + k), (std::vector<int>{2 * k + 2, 2 * k + 2, 62})) << k;
  EXPECT_EQ(entry(239), (std::vector<int>{32, 32, 63}));
  for (int e = 240; e < 256; ++e) EXPECT_EQ(entry(e), (std::vector<int>{2 * e - 447, 2 * e - 447, 63})) << e;
  EXPECT_EQ(entry(255), (std::vector<int>{63, 63, 63}));
  // The picture's own colours are distinct and none is black, so every drawn pixel shows.
  for (int i = 1; i < 16; ++i) {
    EXPECT_NE(entry(i), (std::vector<int>{0, 0, 0})) << i;
    for (int j = 1; j < i; ++j) EXPECT_NE(entry(i), entry(j)) << i << " " << j;
  }
}

TEST(StoredData, TitlePictureFillsItsBoxWithATransparentBorder) {
  ASSERT_EQ(vesk_core_title_picture_bin_size, 14250u);
  std::vector<int> pixels;
  for (unsigned i = 0; i < 14250; ++i) {
    pixels.push_back(vesk_core_title_picture_bin[i] >> 4);
    pixels.push_back(vesk_core_title_picture_bin[i] & 15);
  }
  int drawn = 0, top = 150, bottom = -1, left = 190, right = -1;
  std::map<int, int> used;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 190; ++x) {
      const int v = pixels[y * 190 + x];
      if (v == 0) continue;
      ++drawn;
      ++used[v];
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  EXPECT_GT(drawn, 190 * 150 / 3);
  EXPECT_GT(top, 0);
  EXPECT_LT(bottom, 149);
  EXPECT_GT(left, 0);
  EXPECT_LT(right, 189);
  EXPECT_GE(used.size(), 12u);  // the bevels and chrome use most of the 15 colours
  EXPECT_GT(used[1], drawn / 10);  // the dark outline that separates it from the burst
}

// The mesh as read back from its stored bytes.
struct StoredMesh {
  std::vector<logo_mesh::Vertex> vertices;
  std::vector<logo_mesh::Face> faces;
};

StoredMesh ReadStoredMesh() {
  const unsigned char* d = vesk_core_logo_mesh_bin;
  auto u16 = [d](unsigned at) { return static_cast<uint16_t>(d[at] | (d[at + 1] << 8)); };
  StoredMesh m;
  const unsigned nv = u16(0), nf = u16(2);
  EXPECT_EQ(vesk_core_logo_mesh_bin_size, 4 + 6 * nv + 6 * nf);
  for (unsigned k = 0; k < nv; ++k) {
    m.vertices.push_back({static_cast<int16_t>(u16(4 + 6 * k)), static_cast<int16_t>(u16(6 + 6 * k)),
                          static_cast<int16_t>(u16(8 + 6 * k))});
  }
  for (unsigned f = 0; f < nf; ++f) {
    const unsigned at = 4 + 6 * nv + 6 * f;
    m.faces.push_back({u16(at), u16(at + 2), u16(at + 4)});
  }
  return m;
}

TEST(StoredData, LogoIsAnExtrudedOutlineOfTheStatedSize) {
  const StoredMesh m = ReadStoredMesh();
  ASSERT_EQ(m.vertices.size() % 2, 0u);
  const size_t half = m.vertices.size() / 2;
  EXPECT_GE(m.vertices.size(), 140u);
  EXPECT_LE(m.vertices.size(), 170u);
  int minX = 1000, maxX = -1000, minZ = 1000, maxZ = -1000;
  for (size_t k = 0; k < m.vertices.size(); ++k) {
    const auto& v = m.vertices[k];
    EXPECT_EQ(v.y, k < half ? 0 : 50) << k;
    if (k >= half) {
      EXPECT_EQ(v.x, m.vertices[k - half].x);
      EXPECT_EQ(v.z, m.vertices[k - half].z);
    }
    minX = std::min<int>(minX, v.x);
    maxX = std::max<int>(maxX, v.x);
    minZ = std::min<int>(minZ, v.z);
    maxZ = std::max<int>(maxZ, v.z);
  }
  EXPECT_EQ(minX, -123);
  EXPECT_EQ(maxX, 125);
  EXPECT_EQ(minZ, -40);
  EXPECT_EQ(maxZ, 15);
  // Caps of n - 2 triangles per outline and two side triangles per outline edge.
  EXPECT_EQ(m.faces.size(), 2 * (half - 2 * 3) + 2 * half);
}

TEST(StoredData, LogoIsClosedWithEveryFaceTurnedOutwards) {
  const StoredMesh m = ReadStoredMesh();
  std::map<std::pair<int, int>, int> edges;
  int64_t sixVolume = 0;
  for (const auto& f : m.faces) {
    for (int i = 0; i < 3; ++i) {
      ASSERT_LT(f[i], m.vertices.size());
      ++edges[{f[i], f[(i + 1) % 3]}];
    }
    const auto& a = m.vertices[f[0]];
    const auto& b = m.vertices[f[1]];
    const auto& c = m.vertices[f[2]];
    // a . (b x c): the signed volume of the tetrahedron with the origin, six times over.
    sixVolume += int64_t{a.x} * (int64_t{b.y} * c.z - int64_t{b.z} * c.y) -
                 int64_t{a.y} * (int64_t{b.x} * c.z - int64_t{b.z} * c.x) +
                 int64_t{a.z} * (int64_t{b.x} * c.y - int64_t{b.y} * c.x);
  }
  // Every directed edge appears once and its reverse once: closed and consistently wound.
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1) << edge.first << "-" << edge.second;
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << edge.first << "-" << edge.second;
  }
  // Wound with (v1 - v0) x (v2 - v0) outwards, the volume is positive: the caps' area times 50.
  int64_t twiceCapArea = 0;
  for (const auto& outline : logo_mesh::LogoOutlines()) twiceCapArea += logo_mesh::TwiceArea(outline);
  EXPECT_EQ(sixVolume, 3 * twiceCapArea * 50);
}

// Sum of the triangles' doubled areas, and whether each is counter-clockwise.
int64_t CoveredTwiceArea(const std::vector<Point2>& poly, const std::vector<std::array<int, 3>>& tris) {
  int64_t sum = 0;
  for (const auto& t : tris) {
    const int64_t a = logo_mesh::Cross(poly[t[0]], poly[t[1]], poly[t[2]]);
    EXPECT_GT(a, 0);
    sum += a;
  }
  return sum;
}

TEST(EarClip, SquareAndConcaveOutlinesFillTheirArea) {
  const std::vector<Point2> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  auto tris = logo_mesh::EarClip(square);
  ASSERT_EQ(tris.size(), 2u);
  EXPECT_EQ(CoveredTwiceArea(square, tris), 200);

  // An L: the reflex corner (5, 5) must not be cut across.
  const std::vector<Point2> ell = {{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}};
  tris = logo_mesh::EarClip(ell);
  ASSERT_EQ(tris.size(), 4u);
  EXPECT_EQ(CoveredTwiceArea(ell, tris), logo_mesh::TwiceArea(ell));
  for (const auto& t : tris) {
    for (int k = 0; k < 6; ++k) {
      if (k == t[0] || k == t[1] || k == t[2]) continue;
      // No other corner lies inside a triangle, so no triangle leaves the outline.
      const Point2 p = ell[k];
      const bool strictlyInside = logo_mesh::Cross(ell[t[0]], ell[t[1]], p) > 0 &&
                                  logo_mesh::Cross(ell[t[1]], ell[t[2]], p) > 0 &&
                                  logo_mesh::Cross(ell[t[2]], ell[t[0]], p) > 0;
      EXPECT_FALSE(strictlyInside) << k;
    }
  }
}

TEST(EarClip, RingOpenedByANarrowCutIsOneSimpleOutline) {
  // A 10 x 10 square with a 4 x 4 hole reached by a cut one unit wide through the left side.
  const std::vector<Point2> ring = {{0, 4},  {0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5},
                                    {3, 5},  {3, 7}, {7, 7},  {7, 3},   {3, 3},  {3, 4}};
  ASSERT_TRUE(logo_mesh::IsSimple(ring));
  const auto tris = logo_mesh::Triangulate(ring);
  ASSERT_EQ(tris.size(), ring.size() - 2);
  EXPECT_EQ(CoveredTwiceArea(ring, tris), 2 * (100 - 16 - 3));
}

TEST(EarClip, RefusesClockwiseAndDegenerateInput) {
  EXPECT_TRUE(logo_mesh::EarClip({{0, 0}, {0, 10}, {10, 10}, {10, 0}}).empty());
  EXPECT_TRUE(logo_mesh::EarClip({{0, 0}, {10, 0}}).empty());
  EXPECT_TRUE(logo_mesh::EarClip({{0, 0}, {5, 0}, {10, 0}}).empty());
  EXPECT_FALSE(logo_mesh::IsSimple({{0, 0}, {10, 10}, {10, 0}, {0, 10}}));  // a bow tie
  EXPECT_FALSE(logo_mesh::IsSimple({{0, 0}, {10, 0}, {5, 0}, {5, 5}}));     // folds back on itself
}

TEST(EarClip, FlipsLeaveNoSliversInTheLogo) {
  for (const auto& outline : logo_mesh::LogoOutlines()) {
    ASSERT_TRUE(logo_mesh::IsSimple(outline));
    const auto tris = logo_mesh::Triangulate(outline);
    ASSERT_EQ(tris.size(), outline.size() - 2);
    EXPECT_EQ(CoveredTwiceArea(outline, tris), logo_mesh::TwiceArea(outline));
    for (const auto& t : tris) {
      // Twice the area over the longest side is the triangle's height: at least one unit.
      const Point2 a = outline[t[0]], b = outline[t[1]], c = outline[t[2]];
      auto len2 = [](Point2 p, Point2 q) { return int64_t{p.x - q.x} * (p.x - q.x) + int64_t{p.z - q.z} * (p.z - q.z); };
      const int64_t longest2 = std::max({len2(a, b), len2(b, c), len2(c, a)});
      const int64_t area2 = logo_mesh::Cross(a, b, c);
      EXPECT_GE(area2 * area2, longest2) << a.x << "," << a.z;
    }
  }
}

}  // namespace
