// Builds the group's extruded "ORR" logo: outlines, ear-clipped caps, side walls, stored bytes.
//
// The letters lie in the x-z plane (z up) and are extruded along y from the front cap (y = 0) to
// the back cap (y = 50). Each letter is one simple outline: a hole is joined to the outside by a
// narrow horizontal cut, so the caps can be ear-clipped without bridges. Every face is wound so
// that (v1 - v0) x (v2 - v0) points out of the solid.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace logo_mesh {

struct Point2 {
  int x, z;
};

struct Vertex {
  int16_t x, y, z;
};

using Face = std::array<uint16_t, 3>;

struct Mesh {
  std::vector<Vertex> vertices;
  std::vector<Face> faces;
};

inline constexpr int16_t kFrontY = 0;
inline constexpr int16_t kBackY = 50;

// Twice the signed area of the triangle (a, b, c); positive when it turns counter-clockwise.
inline int64_t Cross(Point2 a, Point2 b, Point2 c) {
  return static_cast<int64_t>(b.x - a.x) * (c.z - a.z) - static_cast<int64_t>(b.z - a.z) * (c.x - a.x);
}

inline int64_t TwiceArea(const std::vector<Point2>& poly) {
  int64_t sum = 0;
  for (size_t i = 0; i < poly.size(); ++i) {
    const Point2 a = poly[i];
    const Point2 b = poly[(i + 1) % poly.size()];
    sum += static_cast<int64_t>(a.x) * b.z - static_cast<int64_t>(b.x) * a.z;
  }
  return sum;
}

// True when p lies inside or on the counter-clockwise triangle (a, b, c).
inline bool InTriangle(Point2 p, Point2 a, Point2 b, Point2 c) {
  return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

// Squared cosine-free measure of an ear's worst corner: the smallest of the three sines of its
// angles, scaled; larger means a better-shaped triangle.
inline double WorstCorner(Point2 a, Point2 b, Point2 c) {
  const double twiceArea = static_cast<double>(Cross(a, b, c));
  auto len2 = [](Point2 p, Point2 q) {
    const double dx = q.x - p.x, dz = q.z - p.z;
    return dx * dx + dz * dz;
  };
  const double ab = len2(a, b), bc = len2(b, c), ca = len2(c, a);
  // sin(angle at a) = 2A / (|ab| |ca|), and likewise at b and c; compare the squares.
  const double sa = twiceArea * twiceArea / (ab * ca);
  const double sb = twiceArea * twiceArea / (ab * bc);
  const double sc = twiceArea * twiceArea / (bc * ca);
  return sa < sb ? (sa < sc ? sa : sc) : (sb < sc ? sb : sc);
}

// Triangulates a simple counter-clockwise polygon by clipping ears, the best-shaped ear first
// (ties to the lowest position). Returns triangles as indices into `poly`, each counter-clockwise,
// poly.size() - 2 of them; returns nothing when the polygon has fewer than 3 corners, is not
// counter-clockwise, or no ear can be found (it is not simple).
inline std::vector<std::array<int, 3>> EarClip(const std::vector<Point2>& poly) {
  std::vector<std::array<int, 3>> triangles;
  if (poly.size() < 3 || TwiceArea(poly) <= 0) return triangles;
  std::vector<int> ring(poly.size());
  for (size_t i = 0; i < poly.size(); ++i) ring[i] = static_cast<int>(i);
  while (ring.size() > 3) {
    const size_t n = ring.size();
    int bestAt = -1;
    double bestScore = -1;
    for (size_t i = 0; i < n; ++i) {
      const int ia = ring[(i + n - 1) % n], ib = ring[i], ic = ring[(i + 1) % n];
      const Point2 a = poly[ia], b = poly[ib], c = poly[ic];
      if (Cross(a, b, c) <= 0) continue;  // reflex or straight corner
      bool blocked = false;
      for (size_t j = 0; j < n && !blocked; ++j) {
        const int k = ring[j];
        if (k == ia || k == ib || k == ic) continue;
        const Point2 p = poly[k];
        // A corner at the same place as one of the ear's (a cut's two sides) blocks only when it
        // lies inside; one on the ear's boundary always blocks.
        if ((p.x == a.x && p.z == a.z) || (p.x == b.x && p.z == b.z) || (p.x == c.x && p.z == c.z)) continue;
        blocked = InTriangle(p, a, b, c);
      }
      if (blocked) continue;
      const double score = WorstCorner(a, b, c);
      if (score > bestScore) {
        bestScore = score;
        bestAt = static_cast<int>(i);
      }
    }
    if (bestAt < 0) return {};
    const size_t i = static_cast<size_t>(bestAt);
    triangles.push_back({ring[(i + n - 1) % n], ring[i], ring[(i + 1) % n]});
    ring.erase(ring.begin() + bestAt);
  }
  if (Cross(poly[ring[0]], poly[ring[1]], poly[ring[2]]) <= 0) return {};
  triangles.push_back({ring[0], ring[1], ring[2]});
  return triangles;
}

// Positive when d lies inside the circle through the counter-clockwise triangle (a, b, c).
inline int64_t InCircle(Point2 a, Point2 b, Point2 c, Point2 d) {
  const int64_t adx = a.x - d.x, adz = a.z - d.z;
  const int64_t bdx = b.x - d.x, bdz = b.z - d.z;
  const int64_t cdx = c.x - d.x, cdz = c.z - d.z;
  const int64_t ad = adx * adx + adz * adz, bd = bdx * bdx + bdz * bdz, cd = cdx * cdx + cdz * cdz;
  return adx * (bdz * cd - bd * cdz) - adz * (bdx * cd - bd * cdx) + ad * (bdx * cdz - bdz * cdx);
}

// Flips interior edges of a triangulation until every one is locally Delaunay; the polygon's own
// edges belong to one triangle only and are never flipped. Removes the slivers that clipping
// ears in a fixed order can leave, whose orientation rounding on screen could turn over.
inline void FlipToDelaunay(const std::vector<Point2>& poly, std::vector<std::array<int, 3>>& tris) {
  const size_t limit = 64 * tris.size() * tris.size() + 64;  // flips always terminate; a guard
  size_t flips = 0;
  for (bool changed = true; changed && flips < limit;) {
    changed = false;
    for (size_t i = 0; i < tris.size() && !changed; ++i) {
      for (int e = 0; e < 3 && !changed; ++e) {
        const int a = tris[i][e], b = tris[i][(e + 1) % 3], c = tris[i][(e + 2) % 3];
        for (size_t j = 0; j < tris.size() && !changed; ++j) {
          if (j == i) continue;
          for (int f = 0; f < 3; ++f) {
            if (tris[j][f] != b || tris[j][(f + 1) % 3] != a) continue;
            const int d = tris[j][(f + 2) % 3];
            // The new diagonal c-d must leave two proper counter-clockwise triangles.
            if (Cross(poly[a], poly[d], poly[c]) > 0 && Cross(poly[b], poly[c], poly[d]) > 0 &&
                InCircle(poly[a], poly[b], poly[c], poly[d]) > 0) {
              tris[i] = {a, d, c};
              tris[j] = {b, c, d};
              changed = true;
              ++flips;
            }
            break;
          }
        }
      }
    }
  }
}

// Ear clipping, then Delaunay flips: counter-clockwise triangles as indices into `poly`.
inline std::vector<std::array<int, 3>> Triangulate(const std::vector<Point2>& poly) {
  std::vector<std::array<int, 3>> tris = EarClip(poly);
  FlipToDelaunay(poly, tris);
  return tris;
}

// Whether two closed segments [a, b] and [c, d] share a point.
inline bool SegmentsTouch(Point2 a, Point2 b, Point2 c, Point2 d) {
  auto sign = [](int64_t v) { return (v > 0) - (v < 0); };
  auto onSegment = [](Point2 p, Point2 q, Point2 r) {  // r collinear with p, q
    return std::min(p.x, q.x) <= r.x && r.x <= std::max(p.x, q.x) && std::min(p.z, q.z) <= r.z &&
           r.z <= std::max(p.z, q.z);
  };
  const int d1 = sign(Cross(c, d, a)), d2 = sign(Cross(c, d, b));
  const int d3 = sign(Cross(a, b, c)), d4 = sign(Cross(a, b, d));
  if (d1 != d2 && d3 != d4) return true;
  return (d1 == 0 && onSegment(c, d, a)) || (d2 == 0 && onSegment(c, d, b)) ||
         (d3 == 0 && onSegment(a, b, c)) || (d4 == 0 && onSegment(a, b, d));
}

// A polygon is simple when no two non-adjacent edges meet and adjacent ones meet only at their
// shared corner.
inline bool IsSimple(const std::vector<Point2>& poly) {
  const size_t n = poly.size();
  if (n < 3) return false;
  for (size_t i = 0; i < n; ++i) {
    const Point2 a = poly[i], b = poly[(i + 1) % n];
    if (a.x == b.x && a.z == b.z) return false;
    for (size_t j = i + 1; j < n; ++j) {
      const Point2 c = poly[j], d = poly[(j + 1) % n];
      const bool adjacent = j == i + 1 || (i == 0 && j == n - 1);
      if (adjacent) {
        // Adjacent edges may only overlap at the shared corner: not fold back onto each other.
        const Point2 shared = j == i + 1 ? b : a;
        const Point2 p = j == i + 1 ? a : b;
        const Point2 q = j == i + 1 ? d : c;
        if (Cross(p, shared, q) == 0) {
          const int64_t dot = static_cast<int64_t>(p.x - shared.x) * (q.x - shared.x) +
                              static_cast<int64_t>(p.z - shared.z) * (q.z - shared.z);
          if (dot > 0) return false;
        }
        continue;
      }
      if (SegmentsTouch(a, b, c, d)) return false;
    }
  }
  return true;
}

inline std::vector<Point2> Shifted(std::vector<Point2> poly, int dx) {
  for (Point2& p : poly) p.x += dx;
  return poly;
}

// The cut that opens every counter to the outside runs through the left stroke at z = -5..-2,
// one line across the whole logo.
inline constexpr int kCutBottom = -5;
inline constexpr int kCutTop = -2;

// The "O": a double-chamfered ring. Counter-clockwise, x 0..76, z -40..15.
inline std::vector<Point2> LetterO() {
  return {
      {0, kCutBottom}, {0, -22}, {4, -32}, {14, -40}, {62, -40}, {72, -32}, {76, -22}, {76, 3},
      {72, 9},  {64, 15}, {12, 15}, {4, 9},    {0, 3},    {0, kCutTop},
      // the counter, clockwise
      {15, kCutTop}, {15, 0}, {19, 4}, {57, 4}, {61, 0}, {61, -23}, {57, -27}, {19, -27},
      {15, -23}, {15, kCutBottom},
  };
}

// The "R": stem, bowl and leg. Counter-clockwise, x 0..76, z -40..15.
inline std::vector<Point2> LetterR() {
  return {
      {0, kCutBottom}, {0, -36}, {4, -40}, {14, -40}, {14, -17}, {30, -17}, {54, -40}, {76, -40},
      {51, -18}, {62, -16}, {72, -10}, {76, -3}, {76, 5}, {70, 12}, {60, 15}, {5, 15},
      {0, 10}, {0, kCutTop},
      // the counter, clockwise
      {15, kCutTop}, {15, 4}, {54, 4}, {61, -1}, {55, -7}, {15, -7}, {15, kCutBottom},
  };
}

inline std::vector<std::vector<Point2>> LogoOutlines() {
  return {Shifted(LetterO(), -123), Shifted(LetterR(), -37), Shifted(LetterR(), 49)};
}

// Front cap, back cap, then the side walls; the front cap's vertices come first, the back cap's
// in the same order after them.
inline Mesh BuildLogoMesh(const std::vector<std::vector<Point2>>& outlines) {
  Mesh mesh;
  std::vector<int> firsts;
  for (const auto& outline : outlines) {
    firsts.push_back(static_cast<int>(mesh.vertices.size()));
    for (Point2 p : outline) {
      mesh.vertices.push_back({static_cast<int16_t>(p.x), kFrontY, static_cast<int16_t>(p.z)});
    }
  }
  const int total = static_cast<int>(mesh.vertices.size());
  for (int i = 0; i < total; ++i) {
    Vertex v = mesh.vertices[i];
    v.y = kBackY;
    mesh.vertices.push_back(v);
  }
  auto id = [](int k) { return static_cast<uint16_t>(k); };
  std::vector<std::vector<std::array<int, 3>>> caps;
  for (const auto& outline : outlines) caps.push_back(Triangulate(outline));
  // Seen from the front (the -y side, z up, x right) the counter-clockwise triangles face out.
  for (size_t o = 0; o < outlines.size(); ++o) {
    for (const auto& t : caps[o]) mesh.faces.push_back({id(firsts[o] + t[0]), id(firsts[o] + t[1]), id(firsts[o] + t[2])});
  }
  for (size_t o = 0; o < outlines.size(); ++o) {
    for (const auto& t : caps[o]) {
      mesh.faces.push_back({id(total + firsts[o] + t[0]), id(total + firsts[o] + t[2]), id(total + firsts[o] + t[1])});
    }
  }
  for (size_t o = 0; o < outlines.size(); ++o) {
    const int n = static_cast<int>(outlines[o].size());
    for (int i = 0; i < n; ++i) {
      const int f0 = firsts[o] + i;
      const int f1 = firsts[o] + (i + 1) % n;
      const int b0 = total + f0;
      const int b1 = total + f1;
      mesh.faces.push_back({id(f0), id(b0), id(f1)});
      mesh.faces.push_back({id(f1), id(b0), id(b1)});
    }
  }
  return mesh;
}

// u16 vertex count, u16 face count, the vertices (x, y, z as i16), the faces (3 x u16),
// all little-endian.
inline std::vector<uint8_t> Serialise(const Mesh& mesh) {
  std::vector<uint8_t> out;
  auto put16 = [&out](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  put16(static_cast<uint16_t>(mesh.vertices.size()));
  put16(static_cast<uint16_t>(mesh.faces.size()));
  for (const Vertex& v : mesh.vertices) {
    put16(static_cast<uint16_t>(v.x));
    put16(static_cast<uint16_t>(v.y));
    put16(static_cast<uint16_t>(v.z));
  }
  for (const Face& f : mesh.faces) {
    for (uint16_t k : f) put16(k);
  }
  return out;
}

}  // namespace logo_mesh
