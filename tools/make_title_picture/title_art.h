// Draws the show's title picture (bevelled gold and steel letters) and its palette, deterministically.
//
// Letters are unions and differences of convex polygons sampled 8 x 8 per pixel; distance fields
// give the outline, the drop shadow and the bevel, and every pixel's mean colour is matched to
// the nearest of 15 fixed colours. Only integer and plain float arithmetic in a fixed order is
// used, so the bytes are the same on every run.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace title_art {

inline constexpr int kWidth = 190;
inline constexpr int kHeight = 150;
inline constexpr int kPackedBytes = kWidth * kHeight / 2;  // 14,250
inline constexpr int kPaletteBytes = 768;
inline constexpr int kSub = 8;  // samples per pixel along each axis
inline constexpr int kSampleWidth = kWidth * kSub;
inline constexpr int kSampleHeight = kHeight * kSub;

struct Rgb {
  float r, g, b;
};

// Entries 1..15 of the palette, 6-bit levels: 1 the outline, 2..10 the gold ramp up to white,
// 11..15 the steel ramp.
inline constexpr std::array<std::array<uint8_t, 3>, 16> kPictureColours = {{
    {0, 0, 0},
    {2, 1, 6},
    {16, 6, 4},
    {30, 12, 4},
    {42, 20, 4},
    {52, 30, 6},
    {59, 40, 10},
    {63, 50, 20},
    {63, 57, 34},
    {63, 62, 50},
    {63, 63, 63},
    {10, 12, 24},
    {20, 24, 38},
    {32, 37, 50},
    {44, 49, 59},
    {54, 58, 63},
}};

struct Point {
  float x, y;
};

// A convex polygon that either adds to or cuts out of the letter; later ones win.
struct Shape {
  std::vector<Point> corners;  // any winding
  bool cut = false;
};

inline bool InsideConvex(const std::vector<Point>& poly, float x, float y) {
  bool anyPositive = false;
  bool anyNegative = false;
  const size_t n = poly.size();
  for (size_t i = 0; i < n; ++i) {
    const Point a = poly[i];
    const Point b = poly[(i + 1) % n];
    const float cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    if (cross > 0) anyPositive = true;
    if (cross < 0) anyNegative = true;
  }
  return !(anyPositive && anyNegative);
}

// Rectangle with its corners cut by c; mask bits: 1 top-left, 2 top-right, 4 bottom-right,
// 8 bottom-left.
inline Shape ChamferRect(float x0, float y0, float x1, float y1, float c, int mask, bool cut = false) {
  Shape s;
  s.cut = cut;
  auto corner = [&](int bit, Point p, Point a, Point b) {
    if (mask & bit) {
      s.corners.push_back(a);
      s.corners.push_back(b);
    } else {
      s.corners.push_back(p);
    }
  };
  corner(1, {x0, y0}, {x0, y0 + c}, {x0 + c, y0});
  corner(2, {x1, y0}, {x1 - c, y0}, {x1, y0 + c});
  corner(4, {x1, y1}, {x1, y1 - c}, {x1 - c, y1});
  corner(8, {x0, y1}, {x0 + c, y1}, {x0, y1 - c});
  return s;
}

// A slanted bar with horizontal ends: [xt, xt + width] on row yt, [xb, xb + width] on row yb.
inline Shape SlantBar(float xt, float yt, float xb, float yb, float width) {
  return Shape{{{xt, yt}, {xt + width, yt}, {xb + width, yb}, {xb, yb}}, false};
}

struct Letter {
  std::vector<Shape> shapes;
  float width;
};

// Letter shapes for a cell of height h and stroke s, origin at the cell's top-left.
inline Letter MakeLetter(char ch, float h, float s) {
  const float c = s * 0.55f;  // outer chamfer
  const float d = s * 1.3f;   // horizontal width of a diagonal stroke
  Letter l;
  switch (ch) {
    case 'V': {
      const float w = h * 0.64f;
      const float foot = s * 1.1f;
      l.shapes.push_back(SlantBar(0, 0, w / 2 - foot / 2, h, foot));
      l.shapes.push_back(SlantBar(w - d, 0, w / 2 - foot / 2, h, foot));
      // Widen the arms at the top so their strokes keep their weight.
      l.shapes.push_back(Shape{{{0, 0}, {d, 0}, {w / 2 + foot / 2, h}, {w / 2 - foot / 2, h}}, false});
      l.shapes.push_back(Shape{{{w - d, 0}, {w, 0}, {w / 2 + foot / 2, h}, {w / 2 - foot / 2, h}}, false});
      l.width = w;
      break;
    }
    case 'E': {
      const float w = h * 0.52f;
      l.shapes.push_back(ChamferRect(0, 0, s, h, c, 1 | 8));
      l.shapes.push_back(ChamferRect(0, 0, w, s, c, 1 | 2));
      l.shapes.push_back(ChamferRect(0, h / 2 - s / 2, w * 0.84f, h / 2 + s / 2, c * 0.6f, 2 | 4));
      l.shapes.push_back(ChamferRect(0, h - s, w, h, c, 4 | 8));
      l.width = w;
      break;
    }
    case 'S': {
      const float w = h * 0.56f;
      const float m0 = h / 2 - s / 2;
      const float m1 = h / 2 + s / 2;
      l.shapes.push_back(ChamferRect(0, 0, w, s, c, 1 | 2));
      l.shapes.push_back(ChamferRect(0, 0, s, m1, c, 1 | 8));
      l.shapes.push_back(ChamferRect(0, m0, w, m1, c, 2 | 8));
      l.shapes.push_back(ChamferRect(w - s, m0, w, h, c, 2 | 4));
      l.shapes.push_back(ChamferRect(0, h - s, w, h, c, 4 | 8));
      // The terminals: a short drop at the top right, a short rise at the bottom left.
      l.shapes.push_back(ChamferRect(w - s, 0, w, s * 1.7f, c, 2 | 4));
      l.shapes.push_back(ChamferRect(0, h - s * 1.7f, s, h, c, 1 | 8));
      l.width = w;
      break;
    }
    case 'K': {
      const float w = h * 0.6f;
      l.shapes.push_back(ChamferRect(0, 0, s, h, c, 1 | 8));
      l.shapes.push_back(SlantBar(w - d, 0, s * 0.4f, h * 0.62f, d));
      l.shapes.push_back(SlantBar(s * 0.9f, h * 0.42f, w - d, h, d));
      l.width = w;
      break;
    }
    case 'O': {
      const float w = h * 0.86f;
      const float big = h * 0.28f;
      l.shapes.push_back(ChamferRect(0, 0, w, h, big, 15));
      l.shapes.push_back(ChamferRect(s, s * 0.9f, w - s, h - s * 0.9f, big * 0.55f, 15, true));
      l.width = w;
      break;
    }
    case 'R': {
      const float w = h * 0.8f;
      const float bowl = h * 0.58f;
      const float big = h * 0.22f;
      l.shapes.push_back(ChamferRect(0, 0, w, bowl, big, 1 | 2 | 4));
      l.shapes.push_back(ChamferRect(s, s * 0.9f, w - s, bowl - s * 0.9f, big * 0.5f, 2 | 4, true));
      l.shapes.push_back(ChamferRect(0, 0, s, h, c, 1 | 8));
      l.shapes.push_back(SlantBar(w * 0.38f, bowl - s * 0.9f, w - d, h, d));
      l.width = w;
      break;
    }
    case 'N': {
      const float w = h * 0.84f;
      l.shapes.push_back(ChamferRect(0, 0, s, h, c, 1 | 8));
      l.shapes.push_back(ChamferRect(w - s, 0, w, h, c, 2 | 4));
      l.shapes.push_back(SlantBar(0, 0, w - d, h, d));
      l.width = w;
      break;
    }
    case 'T': {
      const float w = h * 0.8f;
      l.shapes.push_back(ChamferRect(0, 0, w, s, c, 1 | 2));
      l.shapes.push_back(ChamferRect(w / 2 - s / 2, 0, w / 2 + s / 2, h, c * 0.6f, 4 | 8));
      l.width = w;
      break;
    }
    default:
      l.width = h * 0.5f;
      break;
  }
  return l;
}

// One line of text, centred across the picture, slanted by `slant` pixels per pixel of height.
struct Line {
  const char* text;
  float top, height, stroke, gap, slant;
  int family;  // 0 gold, 1 steel
};

inline constexpr std::array<Line, 2> kLines = {{
    {"VESK", 18.0f, 64.0f, 11.0f, 6.0f, 0.16f, 0},
    {"ORRENT", 100.0f, 30.0f, 6.5f, 4.0f, 0.16f, 1},
}};

inline constexpr float kShadowShift = 3.0f;  // drop shadow, pixels down and right

// Left edge that centres the line, its slant and its drop shadow.
inline float LineLeft(const Line& line) {
  float width = line.height * line.slant + kShadowShift;
  for (const char* p = line.text; *p; ++p) {
    width += MakeLetter(*p, line.height, line.stroke).width + (p[1] ? line.gap : 0.0f);
  }
  return std::round((static_cast<float>(kWidth) - width) / 2);
}

// Per sample: which line covers it (-1 none), and its letter's top and height.
struct Cover {
  std::vector<int8_t> line;
};

inline Cover RasteriseLetters() {
  Cover cover;
  cover.line.assign(static_cast<size_t>(kSampleWidth) * kSampleHeight, -1);
  for (size_t li = 0; li < kLines.size(); ++li) {
    const Line& line = kLines[li];
    float x = LineLeft(line);
    for (const char* p = line.text; *p; ++p) {
      const Letter letter = MakeLetter(*p, line.height, line.stroke);
      const int y0 = static_cast<int>(std::floor(line.top)) * kSub;
      const int y1 = static_cast<int>(std::ceil(line.top + line.height)) * kSub;
      const float reach = letter.width + line.height * line.slant;
      const int x0 = std::max(0, static_cast<int>(std::floor(x)) * kSub);
      const int x1 = std::min(kSampleWidth, static_cast<int>(std::ceil(x + reach + 1)) * kSub);
      for (int sy = y0; sy < y1; ++sy) {
        const float py = (static_cast<float>(sy) + 0.5f) / kSub;
        const float v = py - line.top;
        if (v < 0 || v > line.height) continue;
        const float shift = (line.height - v) * line.slant;
        for (int sx = x0; sx < x1; ++sx) {
          const float u = (static_cast<float>(sx) + 0.5f) / kSub - x - shift;
          bool inside = false;
          for (const Shape& shape : letter.shapes) {
            if (InsideConvex(shape.corners, u, v)) inside = !shape.cut;
          }
          if (inside) cover.line[static_cast<size_t>(sy) * kSampleWidth + sx] = static_cast<int8_t>(li);
        }
      }
      x += letter.width + line.gap;
    }
  }
  return cover;
}

// Exact squared Euclidean distance transform (lower envelope of parabolas), in samples squared.
inline void DistanceTransform1D(const float* f, float* out, int n, std::vector<int>& v, std::vector<float>& z) {
  constexpr float kInf = 1e20f;
  int k = 0;
  v[0] = 0;
  z[0] = -kInf;
  z[1] = kInf;
  for (int q = 1; q < n; ++q) {
    float s;
    for (;;) {
      const int p = v[k];
      const float fq = static_cast<float>(q);
      const float fp = static_cast<float>(p);
      s = ((f[q] + fq * fq) - (f[p] + fp * fp)) / (2.0f * (fq - fp));
      if (s <= z[k] && k > 0) {
        --k;
      } else {
        break;
      }
    }
    if (s <= z[k]) {
      v[0] = q;
      z[0] = -kInf;
      z[1] = kInf;
      k = 0;
      continue;
    }
    ++k;
    v[k] = q;
    z[k] = s;
    z[k + 1] = kInf;
  }
  k = 0;
  for (int q = 0; q < n; ++q) {
    while (z[k + 1] < static_cast<float>(q)) ++k;
    const float dq = static_cast<float>(q - v[k]);
    out[q] = dq * dq + f[v[k]];
  }
}

// Distance in pixels from each sample to the nearest sample where `seed` holds.
inline std::vector<float> DistanceToSeeds(const std::vector<uint8_t>& seed) {
  constexpr float kInf = 1e20f;
  const int w = kSampleWidth;
  const int h = kSampleHeight;
  std::vector<float> grid(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < grid.size(); ++i) grid[i] = seed[i] ? 0.0f : kInf;
  const int longest = std::max(w, h);
  std::vector<float> f(longest), out(longest), z(longest + 1);
  std::vector<int> v(longest);
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y) f[y] = grid[static_cast<size_t>(y) * w + x];
    DistanceTransform1D(f.data(), out.data(), h, v, z);
    for (int y = 0; y < h; ++y) grid[static_cast<size_t>(y) * w + x] = out[y];
  }
  for (int y = 0; y < h; ++y) {
    float* row = grid.data() + static_cast<size_t>(y) * w;
    std::copy(row, row + w, f.begin());
    DistanceTransform1D(f.data(), out.data(), w, v, z);
    for (int x = 0; x < w; ++x) row[x] = std::sqrt(out[x]) / kSub;
  }
  return grid;
}

inline Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A gradient through (position, colour) stops, position 0 at the letter's top, 1 at its foot.
template <size_t N>
inline Rgb Gradient(const std::array<std::pair<float, Rgb>, N>& stops, float t) {
  if (t <= stops[0].first) return stops[0].second;
  for (size_t i = 1; i < N; ++i) {
    if (t <= stops[i].first) {
      const float span = stops[i].first - stops[i - 1].first;
      return Mix(stops[i - 1].second, stops[i].second, (t - stops[i - 1].first) / span);
    }
  }
  return stops[N - 1].second;
}

// The chrome of the letter faces: a bright sky above a dark horizon, a reflected ground below.
inline Rgb FaceColour(int family, float t) {
  static const std::array<std::pair<float, Rgb>, 6> gold = {{
      {0.00f, {63, 62, 50}},
      {0.42f, {58, 38, 9}},
      {0.50f, {24, 9, 3}},
      {0.54f, {63, 54, 26}},
      {0.80f, {54, 32, 7}},
      {1.00f, {36, 16, 4}},
  }};
  static const std::array<std::pair<float, Rgb>, 6> steel = {{
      {0.00f, {58, 61, 63}},
      {0.42f, {30, 35, 50}},
      {0.50f, {10, 12, 24}},
      {0.56f, {50, 54, 62}},
      {0.80f, {34, 39, 52}},
      {1.00f, {20, 24, 38}},
  }};
  return Gradient(family == 0 ? gold : steel, t);
}

struct TitlePicture {
  std::array<uint8_t, kWidth * kHeight> pixels{};  // one index 0..15 per pixel
  std::array<uint8_t, kPackedBytes> packed{};
  std::array<uint8_t, kPaletteBytes> palette{};
};

inline uint8_t NearestColour(Rgb c) {
  int best = 1;
  float bestError = 1e30f;
  for (int i = 1; i < 16; ++i) {
    const float dr = c.r - static_cast<float>(kPictureColours[i][0]);
    const float dg = c.g - static_cast<float>(kPictureColours[i][1]);
    const float db = c.b - static_cast<float>(kPictureColours[i][2]);
    // Green weighs most in brightness, blue least.
    const float e = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (e < bestError) {
      bestError = e;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

inline std::array<uint8_t, kPaletteBytes> MakeTitlePalette() {
  std::array<uint8_t, kPaletteBytes> pal{};
  for (int i = 1; i < 16; ++i) {
    for (int k = 0; k < 3; ++k) pal[3 * i + k] = kPictureColours[i][k];
  }
  // The burst's ramp: black to blue, blue to pale blue, then to white.
  for (int k = 0; k < 32; ++k) pal[3 * (192 + k) + 2] = static_cast<uint8_t>(2 * k);
  for (int k = 0; k < 15; ++k) {
    uint8_t* e = &pal[3 * (224 + k)];
    e[0] = e[1] = static_cast<uint8_t>(2 * k + 2);
    e[2] = 62;
  }
  pal[3 * 239 + 0] = 32;
  pal[3 * 239 + 1] = 32;
  pal[3 * 239 + 2] = 63;
  for (int e = 240; e < 256; ++e) {
    pal[3 * e + 0] = pal[3 * e + 1] = static_cast<uint8_t>(2 * e - 447);
    pal[3 * e + 2] = 63;
  }
  return pal;
}

inline TitlePicture MakeTitlePicture() {
  constexpr float kOutline = 2.0f;     // dark rim around the letters, pixels
  const float bevel[2] = {3.2f, 2.0f};  // bevel width per family
  const Rgb outlineColour{2, 1, 6};
  const Rgb light[2] = {{63, 63, 60}, {63, 63, 63}};
  const Rgb dark[2] = {{22, 8, 3}, {8, 10, 22}};

  const Cover cover = RasteriseLetters();
  const size_t n = cover.line.size();
  std::vector<uint8_t> inside(n), outside(n);
  for (size_t i = 0; i < n; ++i) {
    inside[i] = cover.line[i] >= 0;
    outside[i] = !inside[i];
  }
  const std::vector<float> fromLetter = DistanceToSeeds(inside);
  const std::vector<float> fromEdge = DistanceToSeeds(outside);

  auto at = [](int sx, int sy) { return static_cast<size_t>(sy) * kSampleWidth + sx; };
  // The light falls from the upper left; a bevel facing it shines.
  const float lx = -0.6f, ly = -0.8f;

  TitlePicture pic;
  for (int py = 0; py < kHeight; ++py) {
    for (int px = 0; px < kWidth; ++px) {
      Rgb sum{0, 0, 0};
      int covered = 0;
      for (int oy = 0; oy < kSub; ++oy) {
        for (int ox = 0; ox < kSub; ++ox) {
          const int sx = px * kSub + ox;
          const int sy = py * kSub + oy;
          const size_t i = at(sx, sy);
          Rgb c;
          const int li = cover.line[i];
          if (li >= 0) {
            const Line& line = kLines[li];
            const float t = ((static_cast<float>(sy) + 0.5f) / kSub - line.top) / line.height;
            c = FaceColour(line.family, t);
            const float depth = fromEdge[i];
            if (depth < bevel[line.family]) {
              const int x0 = std::max(sx - 2, 0), x1 = std::min(sx + 2, kSampleWidth - 1);
              const int y0 = std::max(sy - 2, 0), y1 = std::min(sy + 2, kSampleHeight - 1);
              // The bevel slopes down towards the edge: its outward normal is -grad(depth).
              const float gx = fromEdge[at(x1, sy)] - fromEdge[at(x0, sy)];
              const float gy = fromEdge[at(sx, y1)] - fromEdge[at(sx, y0)];
              const float len = std::sqrt(gx * gx + gy * gy);
              if (len > 0) {
                const float facing = -(gx * lx + gy * ly) / len;
                c = facing > 0 ? Mix(c, light[line.family], std::min(1.0f, facing * 1.2f))
                               : Mix(c, dark[line.family], std::min(1.0f, -facing * 1.1f));
              }
            }
          } else if (fromLetter[i] <= kOutline) {
            c = outlineColour;
          } else {
            const int qx = sx - static_cast<int>(kShadowShift) * kSub;
            const int qy = sy - static_cast<int>(kShadowShift) * kSub;
            if (qx < 0 || qy < 0 || fromLetter[at(qx, qy)] > kOutline) continue;
            c = outlineColour;
          }
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
          ++covered;
        }
      }
      uint8_t index = 0;
      if (covered * 2 > kSub * kSub) {
        const float inv = 1.0f / static_cast<float>(covered);
        index = NearestColour({sum.r * inv, sum.g * inv, sum.b * inv});
      }
      pic.pixels[static_cast<size_t>(py) * kWidth + px] = index;
    }
  }
  for (int i = 0; i < kPackedBytes; ++i) {
    pic.packed[i] = static_cast<uint8_t>((pic.pixels[2 * i] << 4) | pic.pixels[2 * i + 1]);
  }
  pic.palette = MakeTitlePalette();
  return pic;
}

}  // namespace title_art
