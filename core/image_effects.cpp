// Effects on 320-wide byte planes: ray smear, glowing spots and sprites, blurs, the decaying noise
// field, displacement, and the generators of the ring texture, dot sprite and random pixels.
#include "core/image_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/palette_random.h"
#include "core/projection.h"
#include "core/show_state.h"

namespace {

constexpr int kW = kScreenWidth;
constexpr int kBlurBytes = 198 * kW;
constexpr int kSmearMinX = 1;
constexpr int kSmearMaxX = kW - 2;
constexpr int kSmearMinY = 2;
constexpr int kSmearMaxY = kScreenHeight - 2;
// FireDecay's upper-right neighbour (offset -319) must already hold this pass's value, so a row
// is split into runs of at most 319 bytes whose other neighbours are all still the old ones.
constexpr int kFireRun = kW - 1;

// min(255, a + b), written as a + min(b, 255 - a): a form the compiler turns into vector code.
inline uint8_t AddSaturated(uint8_t a, uint8_t b) {
  const auto room = static_cast<uint8_t>(255 - a);
  return static_cast<uint8_t>(a + (b < room ? b : room));
}

int RoundedDistance(int dx, int dy) {
  return static_cast<int>(std::nearbyint(std::sqrt(static_cast<double>(dx * dx + dy * dy))));
}

// RadialSmear visits columns from the edges inwards, each column from its top and bottom ends
// towards the centre row. Worked through, that order lets every pixel read its source as it was
// before the call, except at three pixels beside the centre: (cx - 1, cy) and (cx, cy) read
// (cx - 1, cy - 1) and (cx, cy - 1), and (cx + 1, cy + 1) reads (cx + 1, cy), all after those
// sources have doubled (each is its own source). SmearPlane gets the same result row by row:
// rows 199, 198, .., cy, then 1, 2, .., cy - 1, so that no row is written before every row that
// reads it has read it; a row's sources are gathered before the row is written; the three late
// reads double their source explicitly.

// A row's sources are gathered in blocks of this many source bytes, leaving no scalar tail. A
// block may read up to kStretchBlock - 1 bytes beyond the row's sources on either side, which
// stays inside the plane because rows 0 and 199 are never sources.
constexpr int kStretchBlock = 16;
// The left part's first block may write this far before column 0.
constexpr int kLeftSpill = 2 * kStretchBlock;
// The right part's last block may write up to 2 * kStretchBlock - 2 bytes past column 320.
constexpr int kSourcesBytes = kW + 2 * kStretchBlock;

// to[2i] = to[2i + 1] = from[i] for i in 0..pairs-1, whole blocks from the start onwards.
inline void StretchPairsUp(const uint8_t* from, int pairs, uint8_t* to) {
  for (int start = 0; start < pairs; start += kStretchBlock) {
    for (int i = start; i < start + kStretchBlock; ++i) {
      to[2 * i] = from[i];
      to[2 * i + 1] = from[i];
    }
  }
}

// The same, in whole blocks from the end backwards.
inline void StretchPairsDown(const uint8_t* from, int pairs, uint8_t* to) {
  for (int end = pairs; end > 0; end -= kStretchBlock) {
    for (int i = end - kStretchBlock; i < end; ++i) {
      to[2 * i] = from[i];
      to[2 * i + 1] = from[i];
    }
  }
}

// Smears one plane. One source byte feeds the two neighbouring columns on its far side from the
// centre, so a row's sources are its source rows stretched twice over, left of and at the centre
// from the left source row, right of it from the right one; column cx alone takes source cx.
// Neighbouring rows share a source row on one side or both, so each side's stretch is kept
// until its source row changes.
void SmearPlane(uint8_t* plane, int cx, int cy) {
  alignas(16) uint8_t store[kLeftSpill + kSourcesBytes];
  uint8_t* const sources = store + kLeftSpill;
  // Columns x and x + 1 share (x + cx) / 2 when x has cx's parity; right of the centre the pairs
  // start at cx + 1 and the source rounds up.
  const int leftStart = cx & 1;
  const int leftPairs = (cx - leftStart) / 2;
  const int rightPairs = (kW - cx) / 2;
  int leftRow = -1;
  int rightRow = -1;

  // The late reads beside the centre see their source doubled; the kept stretch stays as it was.
  auto addRow = [plane, sources](int y, int lateColumn, int secondLateColumn) {
    const uint8_t late = sources[lateColumn];
    const uint8_t secondLate = sources[secondLateColumn];
    sources[lateColumn] = AddSaturated(late, late);
    sources[secondLateColumn] = AddSaturated(secondLate, secondLate);
    uint8_t* row = plane + y * kW;
    for (int x = 0; x < kW; ++x) row[x] = AddSaturated(row[x], sources[x]);
    sources[lateColumn] = late;
    sources[secondLateColumn] = secondLate;
  };
  auto smearRow = [&](int y, int leftRowCentre) {
    const int left = (y + leftRowCentre) >> 1;
    const int right = (y + cy) >> 1;
    if (left != leftRow) {
      const uint8_t* from = plane + left * kW;
      StretchPairsDown(from + (cx + leftStart) / 2, leftPairs, sources + leftStart);
      sources[cx] = from[cx];
      sources[0] = 0;  // column 0 stays unchanged
      leftRow = left;
    }
    if (right != rightRow) {
      StretchPairsUp(plane + right * kW + cx + 1, rightPairs, sources + cx + 1);
      rightRow = right;
    }
    // Column 0 adds 0, so it serves as the place of no late read.
    if (y == cy) {
      addRow(y, cx - 1, cx);
    } else if (y == cy + 1) {
      addRow(y, cx + 1, 0);
    } else {
      addRow(y, 0, 0);
    }
  };
  // Left of and at the centre, the rows from cy down take the row centre cy - 1.
  for (int y = kScreenHeight - 1; y >= cy; --y) smearRow(y, cy - 1);
  for (int y = 1; y < cy; ++y) smearRow(y, cy);
}

}  // namespace

void RadialSmear(uint8_t* planeA) {
  // The show keeps the centre in this range; a centre outside it has no meaning, and clamping
  // keeps its reads and writes inside the planes.
  const int cx = std::clamp<int>(SmearCentre.x, kSmearMinX, kSmearMaxX);
  const int cy = std::clamp<int>(SmearCentre.y, kSmearMinY, kSmearMaxY);
  SmearPlane(planeA, cx, cy);
  SmearPlane(planeA + kSmearPlaneDistance, cx, cy);
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
    // Four steps at once: floor((a + floor(b / 8)) / 8) = floor((8a + b) / 64), so while no step
    // wraps, pixel k of a block follows from the block's incoming value alone and only one add,
    // shift and mask per block is serial. No step before the last wraps when its partial is not
    // negative, which all but a few blocks meet; those take the steps one by one.
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      const int16_t* q = partial + i;
      if ((q[0] | q[1] | q[2]) >= 0) {
        const int s1 = q[0] + 8 * q[1];
        const int s2 = s1 + 64 * q[2];
        const int s3 = s2 + 512 * q[3];
        p[i] = static_cast<uint8_t>((q[0] + left) >> 3);
        p[i + 1] = static_cast<uint8_t>((s1 + left) >> 6);
        p[i + 2] = static_cast<uint8_t>((s2 + left) >> 9);
        left = ((s3 + left) >> 12) & 255;
        p[i + 3] = static_cast<uint8_t>(left);
        continue;
      }
      for (int k = i; k < i + 4; ++k) {
        left = ((partial[k] + left) >> 3) & 255;
        p[k] = static_cast<uint8_t>(left);
      }
    }
    for (; i < n; ++i) {
      left = ((partial[i] + left) >> 3) & 255;
      p[i] = static_cast<uint8_t>(left);
    }
  }
}

void DisplaceRow(const uint8_t* map, uint8_t* plane, int count) {
  // Two loads and a store a byte and nothing else: unrolled, the loop's own counting no longer
  // competes with them.
#pragma GCC unroll 8
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
