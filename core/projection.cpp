// Rotation and perspective projection of model vertices, and triangle scan conversion.
#include "core/projection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/show_state.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int16_t kOffScreen = -32768;  // what a value that fits no 16-bit coordinate becomes
constexpr double kSlopeScale = 65535.0;
constexpr int kEdgeShift = 16;
constexpr uint8_t kMaxPixelFloor = 125;  // what the logo's faces raise the depth plane to

// Round to nearest with ties to even into 16 bits; out of range gives -32768.
int16_t Round16(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -32768.0 && r <= 32767.0)) return kOffScreen;
  return static_cast<int16_t>(r);
}

// Round to nearest with ties to even into 32 bits; out of range gives INT32_MIN.
int32_t Round32(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;
  return static_cast<int32_t>(r);
}

// Edge positions are 32-bit 16.16 values that wrap like the machine words they model.
int32_t Advance(int32_t position, int32_t slope, int32_t steps) {
  return static_cast<int32_t>(static_cast<uint32_t>(position) +
                              static_cast<uint32_t>(steps) * static_cast<uint32_t>(slope));
}

int32_t EdgeStart(int16_t x) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(x)) << kEdgeShift);
}

int32_t Slope(int16_t fromX, int16_t fromY, int16_t toX, int16_t toY) {
  const int dy = toY - fromY;
  if (dy == 0) return 0;  // never walked
  return Round32(kSlopeScale * (toX - fromX) / dy);
}

// p[0..n) := max(p[x], kMaxPixelFloor). Raising twice is raising once, so a span is covered by
// whole vectors that may overlap at its end rather than by a loop with a tail.
inline void RaiseSpan(uint8_t* p, int n) {
#if defined(__SSE2__)
  const __m128i floor = _mm_set1_epi8(static_cast<char>(kMaxPixelFloor));
  auto raise16 = [floor](uint8_t* q) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_max_epu8(v, floor));
  };
  auto raise8 = [floor](uint8_t* q) {
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(q), _mm_max_epu8(v, floor));
  };
  if (n >= 16) {
    for (int i = 0; i + 16 < n; i += 16) raise16(p + i);
    raise16(p + n - 16);
    return;
  }
  if (n >= 8) {
    raise8(p);
    raise8(p + n - 8);
    return;
  }
#endif
  for (int x = 0; x < n; ++x) p[x] = std::max(p[x], kMaxPixelFloor);
}

void DrawSpan(int y, int32_t left, int32_t right) {
  const int xl = left >> kEdgeShift;
  int xr = right >> kEdgeShift;
  if (xl > kScreenWidth - 1) return;
  if (xr > kScreenWidth - 1) xr = kScreenWidth - 1;
  if (xl == xr) return;
  if (xl < xr) {
    const int from = xl < 0 ? 0 : xl;
    // The logo's faces cover thousands of pixels a frame: its operation runs over the span in one loop.
    if (PixelCallback == PlotMaxPixel) {
      if (from <= xr) RaiseSpan(DepthPlane + y * kScreenWidth + from, xr - from + 1);
      return;
    }
    for (int x = from; x <= xr; ++x) PixelCallback(x, y);
  } else {
    // The edges crossed by rounding near a tip: a two-pixel stub.
    if (xl >= 0) PixelCallback(xl, y);
    if (xl + 1 >= 0 && xl + 1 <= kScreenWidth - 1) PixelCallback(xl + 1, y);
  }
}

enum OutCode : unsigned { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

unsigned OutCodeOf(ScreenPoint p) {
  unsigned code = 0;
  if (p.x <= 0) code |= kLeft;
  if (p.x >= kScreenWidth) code |= kRight;
  if (p.y <= 0) code |= kAbove;
  if (p.y >= kScreenHeight) code |= kBelow;
  return code;
}

}  // namespace

double DegreesToRadians(int16_t degrees) {
  return static_cast<double>(degrees) * static_cast<double>(kDegreesToRadians);
}

void BuildRotation() {
  for (int i = 0; i < 3; ++i) {
    const double a = DegreesToRadians(RotationAngles[i]);
    SineCosineStore[2 * i] = static_cast<float>(std::sin(a));
    SineCosineStore[2 * i + 1] = static_cast<float>(std::cos(a));
  }
}

ProjectedVertex ProjectVertex(int16_t x, int16_t y, int16_t z) {
  const double s1 = SineCosineStore[0], c1 = SineCosineStore[1];
  const double s2 = SineCosineStore[2], c2 = SineCosineStore[3];
  const double s3 = SineCosineStore[4], c3 = SineCosineStore[5];
  const double x1 = x * c1 + z * s1;
  const double z1 = z * c1 - x * s1;
  const double x2 = x1 * c2 - y * s2;
  const double y2 = x1 * s2 + y * c2;
  const int16_t e = Round16(x2);
  const int16_t p = Round16(z1 * s3 - y2 * c3);
  const int16_t q = Round16(z1 * c3 + y2 * s3);
  const int w = ProjectionDistance - e;
  ProjectedVertex out;
  if (w == 0) {
    out.x = kOffScreen;
    out.y = kOffScreen;
  } else {
    const double scale = ProjectionScale;
    out.x = Round16(p * scale / w + ScreenCentre.x);
    out.y = Round16(q * scale / w + ScreenCentre.y);
  }
  out.depth = static_cast<int16_t>(e + DepthOffset);
  return out;
}

void ProjectVertexList(uint16_t count, ProjectedVertex* out) {
  for (uint16_t k = 0; k < count; ++k) {
    VertexFetch(k);
    out[k] = ProjectVertex(VertexInput.x, VertexInput.y, VertexInput.z);
  }
}

void DrawFaceList(const FaceRecord* faces, const ProjectedVertex* projected, uint16_t faceCount) {
  for (uint16_t f = 0; f < faceCount; ++f) {
    ScreenPoint c[3];
    for (int i = 0; i < 3; ++i) {
      const ProjectedVertex& v = projected[faces[f].corner[i]];
      c[i] = {v.x, v.y};
    }
    // Compared exactly: the products of far-off corners would not fit 32 bits.
    const int64_t a = int64_t{c[1].x - c[0].x} * (c[2].y - c[0].y);
    const int64_t b = int64_t{c[2].x - c[0].x} * (c[1].y - c[0].y);
    if (CullMode == 1 && a > b) continue;
    if (CullMode == 2 && a < b) continue;
    RasterTriangle(c[0], c[1], c[2]);
  }
}

void RasterTriangle(ScreenPoint c0, ScreenPoint c1, ScreenPoint c2) {
  ScreenPoint c[3] = {c0, c1, c2};

  const unsigned o0 = OutCodeOf(c[0]), o1 = OutCodeOf(c[1]), o2 = OutCodeOf(c[2]);
  const bool anyInside = o0 == 0 || o1 == 0 || o2 == 0;
  if (!anyInside && (o0 & o1 & o2) != 0) return;

  // Compare-exchange on >=, so corners of equal rows trade places too.
  auto exchange = [&c](int i, int j) {
    if (c[i].y >= c[j].y) {
      const ScreenPoint t = c[i];
      c[i] = c[j];
      c[j] = t;
    }
  };
  exchange(0, 1);
  exchange(1, 2);
  exchange(0, 1);

  const int16_t x0 = c[0].x, y0 = c[0].y, x1 = c[1].x, y1 = c[1].y, x2 = c[2].x, y2 = c[2].y;
  const int32_t s01 = Slope(x0, y0, x1, y1);
  const int32_t s02 = Slope(x0, y0, x2, y2);
  const int32_t s12 = Slope(x1, y1, x2, y2);

  int32_t a = EdgeStart(x0);  // walks 0-1, then 1-2
  int32_t b = EdgeStart(x0);  // walks 0-2

  if (y1 == y0) {
    a = EdgeStart(x1);
  } else if (y1 <= 0) {
    a = EdgeStart(x1);
    b = Advance(b, s02, y1 - y0);
  } else {
    int y = y0;
    if (y0 <= 0) {
      a = Advance(a, s01, -y0);
      b = Advance(b, s02, -y0);
      y = 0;
    }
    const int end = y1 < kScreenHeight ? y1 : kScreenHeight;
    const bool aIsLeft = s01 < s02;
    for (; y < end; ++y) {
      if (aIsLeft) {
        DrawSpan(y, a, b);
      } else {
        DrawSpan(y, b, a);
      }
      a = Advance(a, s01, 1);
      b = Advance(b, s02, 1);
    }
  }

  if (y1 >= kScreenHeight || y2 == y1 || y2 <= 0) return;
  int y = y1;
  if (y1 <= 0) {
    a = Advance(a, s12, -y1);
    b = Advance(b, s02, -y1);
    y = 0;
  }
  const int end = y2 < kScreenHeight ? y2 : kScreenHeight;
  const bool aIsLeft = s02 < s12;
  for (; y < end; ++y) {
    if (aIsLeft) {
      DrawSpan(y, a, b);
    } else {
      DrawSpan(y, b, a);
    }
    a = Advance(a, s12, 1);
    b = Advance(b, s02, 1);
  }
}

void PlotTextPixel(int x, int y) { GlowBuffer[y * kScreenWidth + x] = 255; }

void PlotWorkPixel(int x, int y) { GlowScratch[y * kScreenWidth + x] = 255; }

void PlotMaxPixel(int x, int y) {
  uint8_t& p = DepthPlane[y * kScreenWidth + x];
  if (p <= kMaxPixelFloor) p = kMaxPixelFloor;
}
