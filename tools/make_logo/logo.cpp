// Chrome-and-outline rendering of the dialog logo, drawn four times oversize and averaged down.
#include "tools/make_logo/logo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/bitmap_kit/font_raster.h"
#include "tools/bitmap_kit/plane_ops.h"

namespace vesk::logo {
namespace {

using kit::Font;
using kit::Plane;

constexpr int kSuper = 4;
constexpr int kW = kLogoWidth * kSuper;
constexpr int kH = kLogoHeight * kSuper;

struct Rgb {
  float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Scale(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb Add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

// Piecewise-linear gradient through (position, colour) stops sorted by position.
struct Stop {
  float at;
  Rgb colour;
};
template <std::size_t N>
Rgb Gradient(const Stop (&stops)[N], float t) {
  if (t <= stops[0].at) return stops[0].colour;
  for (std::size_t i = 1; i < N; ++i) {
    if (t <= stops[i].at) return Mix(stops[i - 1].colour, stops[i].colour, (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
  }
  return stops[N - 1].colour;
}

// The classic chrome reflection: pale sky fading to deep blue, a hard dark horizon, warm ground below.
Rgb ChromeSky(float t) {
  static const Stop stops[] = {{0.00f, {1.00f, 1.00f, 1.00f}}, {0.22f, {0.78f, 0.88f, 1.00f}},
                               {0.50f, {0.16f, 0.30f, 0.72f}}, {0.53f, {0.05f, 0.06f, 0.16f}},
                               {0.56f, {0.30f, 0.16f, 0.08f}}, {0.76f, {0.86f, 0.56f, 0.30f}},
                               {1.00f, {1.00f, 0.94f, 0.80f}}};
  return Gradient(stops, t);
}

// Brushed gold for the group name.
Rgb Gold(float t) {
  static const Stop stops[] = {{0.00f, {1.00f, 0.97f, 0.78f}}, {0.40f, {0.98f, 0.74f, 0.22f}},
                               {0.55f, {0.48f, 0.24f, 0.04f}}, {0.70f, {0.86f, 0.50f, 0.10f}},
                               {1.00f, {1.00f, 0.86f, 0.46f}}};
  return Gradient(stops, t);
}

struct Canvas {
  Plane r{kW, kH}, g{kW, kH}, b{kW, kH};

  void Over(int x, int y, Rgb c, float alpha) {
    if (alpha <= 0.0f || !r.Inside(x, y)) return;
    r.At(x, y) += (c.r - r.At(x, y)) * alpha;
    g.At(x, y) += (c.g - g.At(x, y)) * alpha;
    b.At(x, y) += (c.b - b.At(x, y)) * alpha;
  }
  void AddLight(int x, int y, Rgb c) {
    if (!r.Inside(x, y)) return;
    r.At(x, y) += c.r;
    g.At(x, y) += c.g;
    b.At(x, y) += c.b;
  }
};

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

Box Bounds(const Plane& p) {
  Box box{p.width, p.height, 0, 0};
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (p.At(x, y) <= 0.0f) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

// p moved by (dx, dy) into a plane of the given size.
Plane Shifted(const Plane& p, int dx, int dy, int width, int height) {
  Plane out(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.At(x, y) = p.Get(x - dx, y - dy);
  }
  return out;
}

Plane Shifted(const Plane& p, int dx, int dy) { return Shifted(p, dx, dy, p.width, p.height); }

// A word scaled to the given ink width, with its ink box's top-left moved to (left, top).
Plane Word(const std::string& fontPath, const char* text, double inkWidth, double trackingEm, int centreX, int top) {
  const double probeSize = 100.0;
  Font probe(fontPath, probeSize, kit::Hinting::kNone);
  // Words are set on a wide scratch plane first so that nothing is clipped before centring.
  const int scratchW = 3 * kW;
  const int scratchH = 2 * kH;
  Plane scratch(scratchW, scratchH);
  probe.Draw(scratch, text, kW / 2.0, kH, trackingEm * probeSize);
  const Box probeBox = Bounds(scratch);
  const double size = probeSize * inkWidth / (probeBox.right - probeBox.left);

  Font font(fontPath, size, kit::Hinting::kNone);
  Plane word(scratchW, scratchH);
  font.Draw(word, text, kW / 2.0, kH, trackingEm * size);
  const Box box = Bounds(word);
  return Shifted(word, centreX - (box.left + box.right) / 2, top - box.top, kW, kH);
}

// Lights a bevelled word: the distance to the edge, cut off at the bevel width, is the height
// field; its slope tilts the reflection lookup and the light so the rims catch the environment.
void PaintBevelled(Canvas& canvas, const Plane& mask, float bevel, Rgb (*environment)(float)) {
  const Plane inside = kit::DistanceInside(mask);
  const Box box = Bounds(mask);
  const float span = static_cast<float>(box.bottom - box.top);
  const float lx = -0.45f, ly = -0.65f, lz = 0.61f;
  auto height = [&](int x, int y) { return std::min(inside.Get(x, y), bevel) / bevel; };
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const float a = mask.At(x, y);
      if (a <= 0.0f) continue;
      const float steep = bevel * 0.55f;
      float nx = -(height(x + 1, y) - height(x - 1, y)) * steep;
      float ny = -(height(x, y + 1) - height(x, y - 1)) * steep;
      float nz = 1.0f;
      const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
      nx /= len;
      ny /= len;
      nz /= len;
      const float t = (static_cast<float>(y - box.top) / span) + 0.55f * ny + 0.1f * nx;
      const float lambert = std::max(0.0f, nx * lx + ny * ly + nz * lz);
      // Half-vector towards a viewer straight in front of the page.
      const float hx = lx, hy = ly, hz = lz + 1.0f;
      const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
      const float specular = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), 60.0f);
      Rgb c = Scale(environment(std::clamp(t, 0.0f, 1.0f)), 0.55f + 0.5f * lambert);
      c = Add(c, Scale({1.0f, 1.0f, 1.0f}, 0.9f * specular));
      canvas.Over(x, y, c, a);
    }
  }
}

void PaintOutlined(Canvas& canvas, const Plane& mask, float outline, float shadowOffset) {
  const Plane grown = kit::Grow(mask, outline);
  const Plane shadow = kit::Blur(Shifted(grown, static_cast<int>(shadowOffset), static_cast<int>(shadowOffset)), kSuper);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      canvas.Over(x, y, {0.0f, 0.0f, 0.0f}, 0.75f * shadow.At(x, y));
      canvas.Over(x, y, {0.02f, 0.02f, 0.07f}, grown.At(x, y));
    }
  }
}

void PaintBackground(Canvas& canvas, const Plane& glowShape) {
  const Plane glow = kit::Blur(glowShape, 6 * kSuper);
  for (int y = 0; y < kH; ++y) {
    const float t = static_cast<float>(y) / kH;
    const Rgb base = Mix({0.01f, 0.01f, 0.06f}, {0.07f, 0.02f, 0.13f}, t);
    for (int x = 0; x < kW; ++x) {
      canvas.Over(x, y, base, 1.0f);
      canvas.AddLight(x, y, Scale({0.25f, 0.30f, 0.85f}, 0.55f * glow.At(x, y)));
    }
  }
  // A fixed field of faint stars from a small linear congruential sequence.
  std::uint32_t seed = 0x5EED1996u;
  auto next = [&seed]() {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
  };
  for (int i = 0; i < 70; ++i) {
    const int sx = static_cast<int>(next() * kLogoWidth) * kSuper;
    const int sy = static_cast<int>(next() * kLogoHeight) * kSuper;
    const float bright = 0.25f + 0.6f * next() * next();
    for (int dy = 0; dy < kSuper; ++dy) {
      for (int dx = 0; dx < kSuper; ++dx) canvas.AddLight(sx + dx, sy + dy, Scale({0.85f, 0.9f, 1.0f}, bright));
    }
  }
}

// A four-pointed lens glint, the era's favourite finishing touch on chrome.
void PaintGlint(Canvas& canvas, int cx, int cy, float reach) {
  const int r = static_cast<int>(reach);
  for (int dy = -r; dy <= r; ++dy) {
    for (int dx = -r; dx <= r; ++dx) {
      const float fx = std::abs(static_cast<float>(dx)) / reach;
      const float fy = std::abs(static_cast<float>(dy)) / reach;
      const float ray = std::max(0.0f, 1.0f - fx) * std::exp(-fy * 40.0f) + std::max(0.0f, 1.0f - fy) * std::exp(-fx * 40.0f);
      const float core = std::exp(-(fx * fx + fy * fy) * 60.0f);
      canvas.AddLight(cx + dx, cy + dy, Scale({1.0f, 0.97f, 0.9f}, 0.9f * ray * ray + core));
    }
  }
}

}  // namespace

kit::RgbImage RenderLogo(const std::string& fontDir) {
  const std::string titleFont = fontDir + "/DejaVuSans-BoldOblique.ttf";
  const std::string groupFont = fontDir + "/DejaVuSans-Bold.ttf";
  const float titleShadow = 3.0f * kSuper;
  Plane title = Word(titleFont, "VESK", 186.0 * kSuper, 0.02, kW / 2, 0);
  Plane group = Word(groupFont, "ORRENT", 120.0 * kSuper, 0.25, kW / 2, Bounds(title).bottom + 13 * kSuper);
  // Centre the pair with its drop shadow, which hangs below and to the right.
  const int blockHeight = Bounds(group).bottom + static_cast<int>(titleShadow);
  const int drop = (kH - blockHeight) / 2;
  title = Shifted(title, 0, drop);
  group = Shifted(group, 0, drop);
  const Box titleBox = Bounds(title);

  Plane both = title;
  for (std::size_t i = 0; i < both.v.size(); ++i) both.v[i] = std::max(both.v[i], group.v[i]);

  Canvas canvas;
  PaintBackground(canvas, both);
  PaintOutlined(canvas, title, 2.5f * kSuper, titleShadow);
  PaintBevelled(canvas, title, 3.2f * kSuper, ChromeSky);
  PaintOutlined(canvas, group, 1.6f * kSuper, 2.0f * kSuper);
  PaintBevelled(canvas, group, 1.4f * kSuper, Gold);
  PaintGlint(canvas, titleBox.right - 14 * kSuper, titleBox.top + 3 * kSuper, 24.0f * kSuper);

  const Plane r = kit::Downsample(canvas.r, kSuper);
  const Plane g = kit::Downsample(canvas.g, kSuper);
  const Plane b = kit::Downsample(canvas.b, kSuper);
  kit::RgbImage image(kLogoWidth, kLogoHeight);
  auto level = [](float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (int y = 0; y < kLogoHeight; ++y) {
    for (int x = 0; x < kLogoWidth; ++x) {
      std::uint8_t* p = image.Pixel(x, y);
      p[0] = level(r.At(x, y));
      p[1] = level(g.At(x, y));
      p[2] = level(b.At(x, y));
    }
  }
  return image;
}

}  // namespace vesk::logo
