// The orbit scene: two spirals of glowing sprites whose trails stream out as light rays.
#include "core/orbit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/blur_chain.h"
#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/timeline.h"

namespace {

constexpr float kTrailDivisor = 1.36f;
constexpr int16_t kInnerRadius = 150;
constexpr uint16_t kOuterRadius = 360;
constexpr int16_t kSparseStep = 50;
constexpr uint16_t kSpiralStepPerFrame = 3;
constexpr int kSmearDistance = 12;
constexpr uint16_t kSmearTurn = 10;

// Index 16 * high + low: the high nibble carries the sparse spiral, the low nibble the dense one.
void BuildOrbitPalettes() {
  for (int n = 0; n < kPaletteEntries; ++n) {
    const int b = n >> 4;
    const int m = std::min(b + (n & 15), 15);
    uint8_t* blue = BluePalette + 3 * n;
    uint8_t* red = RedPalette + 3 * n;
    blue[0] = static_cast<uint8_t>(4 * b);
    blue[1] = static_cast<uint8_t>(4 * b);
    blue[2] = static_cast<uint8_t>(4 * m);
    red[0] = static_cast<uint8_t>(4 * m);
    red[1] = static_cast<uint8_t>(4 * b);
    red[2] = static_cast<uint8_t>(4 * b);
  }
}

// The soft 20 x 20 sprite: a glow ball drawn into the corner of GlowScratch and cut out.
void BuildOrbitSprite() {
  std::memset(GlowScratch, 0, kOrbitSpriteSize * kScreenWidth);
  DrawGlowBall(GlowScratch, 10, 10, 10, 20, 2);
  for (int row = 0; row < kOrbitSpriteSize; ++row) {
    std::memcpy(OrbitSprite + row * kOrbitSpriteSize, GlowScratch + row * kScreenWidth, kOrbitSpriteSize);
  }
}

// DivideTable for 1.36 equals mulhi16(256 i + 163, 12049) >> 6 for every byte i, which
// vectorises where a table lookup cannot; the table itself is checked against it every frame.
constexpr uint32_t kTrailMultiplier = 12049;
constexpr uint32_t kTrailBias = 163;
constexpr int kTrailShift = 6;

// The high half of a 16 x 16-bit product, so that eight bytes share one vector multiply.
inline uint8_t TrailDecay(uint8_t b) {
  const auto scaled = static_cast<uint16_t>(b << 8 | kTrailBias);
  const auto high = static_cast<uint16_t>((static_cast<uint32_t>(scaled) * kTrailMultiplier) >> 16);
  return static_cast<uint8_t>(high >> kTrailShift);
}

bool TrailFormulaMatchesTable() {
  for (int i = 0; i < 256; ++i) {
    if (TrailDecay(static_cast<uint8_t>(i)) != DivideTable[i]) return false;
  }
  return true;
}

void DecayRow(uint8_t* row, bool arithmetic) {
  if (arithmetic) {
    for (int x = 0; x < kScreenWidth; ++x) row[x] = TrailDecay(row[x]);
  } else {
    for (int x = 0; x < kScreenWidth; ++x) row[x] = DivideTable[row[x]];
  }
}

// RemapBuffer then Blur4 from row 1, on both trail planes at once. A blurred pixel needs the
// decayed row below it, so each plane's decay runs one row ahead of its blur.
void DecayAndBlurTrails() {
  constexpr int kW = kScreenWidth;
  uint8_t* a = GlowScratch;
  uint8_t* b = GlowBuffer;
  const bool arithmetic = TrailFormulaMatchesTable();
  DecayRow(a, arithmetic);
  DecayRow(a + kW, arithmetic);
  DecayRow(b, arithmetic);
  DecayRow(b + kW, arithmetic);
  unsigned left[2] = {a[kW - 1], b[kW - 1]};
  for (int row = 1; row <= 198; ++row) {
    uint8_t* const rows[2] = {a + row * kW, b + row * kW};
    DecayRow(rows[0] + kW, arithmetic);
    DecayRow(rows[1] + kW, arithmetic);
    BlurRows<2>(rows, left);
  }
}

void ComposeRange(int begin, int end) {
  for (int i = begin; i < end; ++i) {
    const unsigned lo = std::min<unsigned>(GlowScratch[i] >> 2, 15);
    const unsigned hi = std::min<unsigned>(GlowBuffer[i] >> 1, 14);
    CompositePlane[i] = static_cast<uint8_t>(16 * hi + lo);
  }
}

}  // namespace

int DrawDenseSpiral() {
  OrbitPhase = static_cast<int16_t>(SpiralAngleA);
  OrbitRadius = kInnerRadius;
  int drawn = 0;
  do {
    DrawOrbitSprite(GlowScratch);
    ++drawn;
    OrbitRadius = static_cast<int16_t>(OrbitRadius + SpiralStep);
    // SpiralStep wraps to 0 after 65,536 frames; a step of 0 would never leave the loop, so
    // such a frame draws its first sprite only.
  } while (static_cast<uint16_t>(OrbitRadius) < kOuterRadius && SpiralStep != 0);
  return drawn;
}

int DrawSparseSpiral() {
  OrbitPhase = static_cast<int16_t>(SpiralAngleB);
  OrbitRadius = kInnerRadius;
  int drawn = 0;
  do {
    DrawOrbitSprite(GlowBuffer);
    ++drawn;
    OrbitRadius = static_cast<int16_t>(OrbitRadius + kSparseStep);
  } while (static_cast<uint16_t>(OrbitRadius) < kOuterRadius);
  return drawn;
}

void ComposeOrbitPlanes() { ComposeRange(0, kPlaneBytes); }

void SetUpOrbitScene() {
  BuildOrbitPalettes();
  BuildDivideTable(kTrailDivisor);
  BuildOrbitSprite();
  SpiralStep = 0;
}

void DrawOrbitFrame(int32_t t) {
  // The whole clock is added every frame, so the spirals turn ever faster.
  const auto clock = static_cast<uint16_t>(t);
  SpiralAngleA = static_cast<uint16_t>(SpiralAngleA + clock);
  SpiralAngleB = static_cast<uint16_t>(SpiralAngleB - (static_cast<int16_t>(clock) >> 3));
  SpiralStep = static_cast<uint16_t>(SpiralStep + kSpiralStepPerFrame);

  DrawDenseSpiral();

  const double smear = DegreesToRadians(static_cast<int16_t>(SmearAngle));
  SmearCentre.x = static_cast<int16_t>(std::nearbyint(kSmearDistance * std::sin(smear)) + 160);
  SmearCentre.y = static_cast<int16_t>(std::nearbyint(kSmearDistance * std::cos(smear)) + 100);
  SmearAngle = static_cast<uint16_t>(SmearAngle - kSmearTurn);

  DrawSparseSpiral();

  DecayAndBlurTrails();

  ComposeOrbitPlanes();
  ClearEdgeColumns(CompositePlane, 0);
}

void SmearOrbitTrails() { RadialSmear(GlowScratch); }
