// Effects on 320-wide byte planes: ray smear, glowing spots and sprites, blurs, the decaying noise
// field, displacement, and the generators of the ring texture, dot sprite and random pixels.
#include "core/image_effects.h"

#include <cmath>
#include <cstdint>

#include "core/palette_random.h"
#include "core/projection.h"
#include "core/show_state.h"

namespace {

constexpr int kW = kScreenWidth;
constexpr int kBlurBytes = 198 * kW;
// FireDecay's upper-right neighbour (offset -319) must already hold this pass's value, so a row
// is split into runs of at most 319 bytes whose other neighbours are all still the old ones.
constexpr int kFireRun = kW - 1;

inline uint8_t AddSaturated(uint8_t a, uint8_t b) {
  const unsigned s = 0u + a + b;
  return s > 255 ? uint8_t{255} : static_cast<uint8_t>(s);
}

int RoundedDistance(int dx, int dy) {
  return static_cast<int>(std::nearbyint(std::sqrt(static_cast<double>(dx * dx + dy * dy))));
}

}  // namespace

void RadialSmear(uint8_t* planeA) {
  uint8_t* a = planeA;
  uint8_t* b = planeA + kSmearPlaneDistance;
  const int cx = SmearCentre.x;
  const int cy = SmearCentre.y;

  // The source lies halfway to the centre, rounded towards the pixel in x and down in y; both
  // bytes are read before either is written.
  auto visit = [a, b](int x, int y, int sx, int rowCentre) {
    const int src = ((y + rowCentre) >> 1) * kW + sx;
    const int dst = y * kW + x;
    const uint8_t va = a[src];
    const uint8_t vb = b[src];
    a[dst] = AddSaturated(a[dst], va);
    b[dst] = AddSaturated(b[dst], vb);
  };

  for (int x = 1; x <= cx; ++x) {
    const int sx = (x + cx) >> 1;
    for (int y = 1; y <= cy - 1; ++y) visit(x, y, sx, cy);
    for (int y = kScreenHeight - 1; y >= cy; --y) visit(x, y, sx, cy - 1);
  }
  for (int x = kW - 1; x >= cx + 1; --x) {
    const int sx = (x + cx + 1) >> 1;
    for (int y = 1; y <= cy; ++y) visit(x, y, sx, cy);
    for (int y = kScreenHeight - 1; y >= cy + 1; --y) visit(x, y, sx, cy);
  }
}

void DrawGlowBall(uint8_t* plane, int16_t x, int16_t y, int16_t radius, int16_t peak,
                  int16_t falloffShift) {
  // The falloff is taken without wrapping: a spot never brightens again far from its centre.
  const int shift = falloffShift < 0 ? 0 : (falloffShift > 31 ? 31 : falloffShift);
  for (int dy = -radius; dy < radius; ++dy) {
    const int row = y + dy;
    if (row < 1 || row > 198) continue;
    for (int dx = -radius; dx < radius; ++dx) {
      const int col = x + dx;
      if (col < 2 || col > 318) continue;
      const int64_t falloff = int64_t{RoundedDistance(dx, dy)} << shift;
      int64_t v = peak - falloff;
      if (v < 0) v = 0;
      if (v > 255) v = 255;
      uint8_t& p = plane[row * kW + col];
      p = AddSaturated(p, static_cast<uint8_t>(v));
    }
  }
}

void Blur4(uint8_t* first) {
  // Per row: the right, lower and (already blurred) upper neighbours are summed ahead in one
  // vectorisable loop; only the left neighbour chains the row serially.
  uint16_t partial[kW];
  unsigned left = first[-1];
  for (int row = 0; row < kBlurBytes; row += kW) {
    uint8_t* p = first + row;
    for (int i = 0; i < kW; ++i) {
      partial[i] = static_cast<uint16_t>(p[i + 1] + p[i + kW] + p[i - kW]);
    }
    for (int i = 0; i < kW; ++i) {
      left = (partial[i] + left) >> 2;
      p[i] = static_cast<uint8_t>(left);
    }
  }
}

void FireDecay(uint8_t* first, int count) {
  // The partial sums carry the -1 as -8, so that the serial step is an add, an arithmetic shift
  // (floor division, which turns an average of 0 into -1) and the byte wrap.
  int16_t partial[kFireRun];
  int left = first[-1];
  for (int start = 0; start < count; start += kFireRun) {
    const int n = count - start < kFireRun ? count - start : kFireRun;
    uint8_t* p = first + start;
    for (int i = 0; i < n; ++i) {
      partial[i] = static_cast<int16_t>(p[i - kW - 1] + p[i - kW] + p[i - kW + 1] + p[i + 1] +
                                        p[i + kW - 1] + p[i + kW] + p[i + kW + 1] - 8);
    }
    for (int i = 0; i < n; ++i) {
      left = ((partial[i] + left) >> 3) & 255;
      p[i] = static_cast<uint8_t>(left);
    }
  }
}

void DisplaceRow(const uint8_t* map, uint8_t* plane, int count) {
  for (int i = 0; i < count; ++i) plane[i] = plane[i + static_cast<int8_t>(map[i])];
}

void BuildRingTexture() {
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      int v = 97 - RoundedDistance(x - 134, y - 130) + Random(10);
      if (v >= 63) v = 63;
      if (v <= 0) v = 0;
      RingTexture[y * 256 + x] = static_cast<uint8_t>(192 + v);
    }
  }
}

void DrawOrbitSprite(uint8_t* plane) {
  const auto angle = static_cast<int16_t>(static_cast<uint16_t>(OrbitRadius + OrbitPhase));
  const double radians = DegreesToRadians(angle);
  const double r = OrbitRadius;
  const int x = static_cast<int>(std::nearbyint(std::sin(radians) * r / 8)) + 150;
  const int y = static_cast<int>(std::nearbyint(std::cos(radians) * r / 8)) + 90;
  if (x < 0 || x > kW || y < 0 || y > kScreenHeight) return;
  uint8_t* corner = plane + y * kW + x;
  for (int row = 0; row < kOrbitSpriteSize; ++row) {
    for (int col = 0; col < kOrbitSpriteSize; ++col) {
      uint8_t& p = corner[row * kW + col];
      p = AddSaturated(p, OrbitSprite[row * kOrbitSpriteSize + col]);
    }
  }
}

void BuildDotSprite() {
  constexpr int kHalf = kDotSpriteSize / 2;
  for (int dy = -kHalf; dy <= kHalf; ++dy) {
    for (int dx = -kHalf; dx <= kHalf; ++dx) {
      const int d = RoundedDistance(dx, dy);
      DotSprite[(dy + kHalf) * kDotSpriteSize + dx + kHalf] =
          d <= kHalf ? static_cast<uint8_t>(55 - 11 * d) : uint8_t{0};
    }
  }
}

void BuildRandomPixelList() {
  // The list has room for kRandomPixelCapacity entries; a larger count fills only those.
  const int count = RandomPixelCount < kRandomPixelCapacity ? RandomPixelCount : kRandomPixelCapacity;
  for (int i = 0; i < count; ++i) {
    const uint16_t row = Random(200);
    const uint16_t col = Random(kW);
    RandomPixelList[i] = static_cast<uint16_t>(row * kW + col);
  }
}
