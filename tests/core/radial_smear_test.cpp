// RadialSmear against a plain column-by-column reference: every byte of the glow block, over
// random, bright and sparse planes, centres across the whole range, and the orbit scene's frames.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/image_effects.h"
#include "core/orbit.h"
#include "core/scenes.h"
#include "core/show_state.h"

namespace {

constexpr int kW = kScreenWidth;
constexpr int kMinX = 1;
constexpr int kMaxX = 318;
constexpr int kMinY = 2;
constexpr int kMaxY = 198;
constexpr size_t kBlockBytes = sizeof GlowBlock;
constexpr size_t kScratchOffset = 20 * kW;  // GlowScratch's place in the block

uint8_t ReferenceAddSaturated(uint8_t a, uint8_t b) {
  const unsigned s = 0u + a + b;
  return s > 255 ? uint8_t{255} : static_cast<uint8_t>(s);
}

// The smear in its defining visit order: columns from the edges inwards, each from its top and
// bottom ends towards the centre row, in place.
void ReferenceRadialSmear(uint8_t* planeA, int cx, int cy) {
  uint8_t* a = planeA;
  uint8_t* b = planeA + kSmearPlaneDistance;
  auto visit = [a, b](int x, int y, int sx, int rowCentre) {
    const int src = ((y + rowCentre) >> 1) * kW + sx;
    const int dst = y * kW + x;
    const uint8_t va = a[src];
    const uint8_t vb = b[src];
    a[dst] = ReferenceAddSaturated(a[dst], va);
    b[dst] = ReferenceAddSaturated(b[dst], vb);
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

enum class Fill { kRandom, kBright, kSparseGlows };
const char* Name(Fill f) {
  switch (f) {
    case Fill::kRandom: return "random";
    case Fill::kBright: return "bright";
    case Fill::kSparseGlows: return "sparse glows";
  }
  return "?";
}

class RadialSmearExact : public ::testing::Test {
 protected:
  void SetUp() override { ResetShowState(); }

  uint32_t Next() {
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 17;
    seed_ ^= seed_ << 5;
    return seed_;
  }

  // Fills the whole block, margins and gap included, so that a stray read or write shows.
  void FillBlock(Fill fill) {
    if (fill == Fill::kSparseGlows) {
      std::memset(GlowBlock, 0, kBlockBytes);
      for (uint8_t* plane : {GlowScratch, GlowBuffer}) {
        const int spots = 3 + static_cast<int>(Next() % 12);
        for (int i = 0; i < spots; ++i) {
          DrawGlowBall(plane, static_cast<int16_t>(Next() % kW),
                       static_cast<int16_t>(Next() % kScreenHeight),
                       static_cast<int16_t>(2 + Next() % 30), static_cast<int16_t>(Next() % 300),
                       static_cast<int16_t>(Next() % 4));
        }
      }
      return;
    }
    for (size_t i = 0; i < kBlockBytes; i += 4) {
      uint32_t v = Next();
      // Bright bytes (128..255) saturate most sums, the doubled late reads included.
      if (fill == Fill::kBright) v |= 0x80808080u;
      for (size_t k = 0; k < 4 && i + k < kBlockBytes; ++k) GlowBlock[i + k] = static_cast<uint8_t>(v >> 8 * k);
    }
  }

  // Smears the block as it stands both ways and compares every byte of it.
  void ExpectSameAsReference(int cx, int cy, const char* what) {
    expected_.assign(GlowBlock, GlowBlock + kBlockBytes);
    ReferenceRadialSmear(expected_.data() + kScratchOffset, cx, cy);
    RadialSmear(GlowScratch);
    if (std::memcmp(expected_.data(), GlowBlock, kBlockBytes) == 0) return;
    size_t i = 0;
    while (expected_[i] == GlowBlock[i]) ++i;
    const long offset = static_cast<long>(i) - static_cast<long>(kScratchOffset);
    const long inB = offset - kSmearPlaneDistance;
    const bool b = inB >= 0;
    ADD_FAILURE() << "centre (" << cx << ", " << cy << "), " << what << ": first difference in "
                  << (b ? "plane B" : "plane A") << " at x " << (b ? inB : offset) % kW << ", y "
                  << (b ? inB : offset) / kW << " (block byte " << i << "): expected "
                  << int{expected_[i]} << ", got " << int{GlowBlock[i]};
  }

  void CheckCentre(int cx, int cy, Fill fill) {
    SmearCentre = {static_cast<int16_t>(cx), static_cast<int16_t>(cy)};
    FillBlock(fill);
    ExpectSameAsReference(cx, cy, Name(fill));
  }

  uint32_t seed_ = 0x2545f491u;
  std::vector<uint8_t> expected_;
};

TEST_F(RadialSmearExact, CornersOfTheRangeWithEveryKindOfPlane) {
  for (int cx : {kMinX, kMinX + 1, kMaxX - 1, kMaxX}) {
    for (int cy : {kMinY, kMinY + 1, kMaxY - 1, kMaxY}) {
      for (Fill fill : {Fill::kRandom, Fill::kBright, Fill::kSparseGlows}) {
        CheckCentre(cx, cy, fill);
        if (HasFailure()) return;
      }
    }
  }
}

TEST_F(RadialSmearExact, EveryCentreOfTheOrbitScenesRange) {
  int n = 0;
  for (int cy = 88; cy <= 112; ++cy) {
    for (int cx = 148; cx <= 172; ++cx) {
      CheckCentre(cx, cy, static_cast<Fill>(n++ % 3));
      if (HasFailure()) return;
    }
  }
}

// Every column at rows next to the ends and the middle, and every row at the edge and middle
// columns, both parities of each.
TEST_F(RadialSmearExact, EveryColumnAndEveryRowOfTheRange) {
  int n = 0;
  for (int cy : {kMinY, kMinY + 1, 99, 100, kMaxY - 1, kMaxY}) {
    for (int cx = kMinX; cx <= kMaxX; ++cx) {
      CheckCentre(cx, cy, static_cast<Fill>(n++ % 3));
      if (HasFailure()) return;
    }
  }
  for (int cx : {kMinX, kMinX + 1, 159, 160, kMaxX - 1, kMaxX}) {
    for (int cy = kMinY; cy <= kMaxY; ++cy) {
      CheckCentre(cx, cy, static_cast<Fill>(n++ % 3));
      if (HasFailure()) return;
    }
  }
}

TEST_F(RadialSmearExact, AGridAndRandomCentresAcrossTheRange) {
  int n = 0;
  for (int cy = kMinY; cy <= kMaxY; cy += 11) {
    for (int cx = kMinX; cx <= kMaxX; cx += 13) {
      CheckCentre(cx, cy, static_cast<Fill>(n++ % 3));
      if (HasFailure()) return;
    }
  }
  for (int i = 0; i < 300; ++i) {
    const int cx = kMinX + static_cast<int>(Next() % (kMaxX - kMinX + 1));
    const int cy = kMinY + static_cast<int>(Next() % (kMaxY - kMinY + 1));
    CheckCentre(cx, cy, static_cast<Fill>(i % 3));
    if (HasFailure()) return;
  }
}

TEST_F(RadialSmearExact, RepeatedSmearsOfTheSamePlanes) {
  // Each call smears what the previous ones left, as the orbit scene does frame after frame.
  FillBlock(Fill::kSparseGlows);
  for (int i = 0; i < 60; ++i) {
    const int cx = 140 + static_cast<int>(Next() % 40);
    const int cy = 80 + static_cast<int>(Next() % 40);
    SmearCentre = {static_cast<int16_t>(cx), static_cast<int16_t>(cy)};
    ExpectSameAsReference(cx, cy, "repeated");
    if (HasFailure()) return;
  }
}

TEST_F(RadialSmearExact, OrbitSceneFramesSmearAsTheReference) {
  SetUpOrbitScene();
  std::memset(GlowScratch, 0, kPlaneBytes);
  std::memset(GlowBuffer, 0, kPlaneBytes);
  int32_t t = 0;
  for (int frame = 0; frame < 150; ++frame) {
    t += 2;
    DrawOrbitFrame(t);
    ExpectSameAsReference(SmearCentre.x, SmearCentre.y, "orbit frame");
    if (HasFailure()) return;
  }
}

TEST_F(RadialSmearExact, ACentreOutsideTheRangeActsAsTheNearestInside) {
  struct Case {
    int16_t x, y;
    int cx, cy;
  };
  const Case cases[] = {{0, 100, kMinX, 100},       {-300, -300, kMinX, kMinY},
                        {319, 1, kMaxX, kMinY},     {32767, 199, kMaxX, kMaxY},
                        {160, -32768, 160, kMinY}};
  for (const Case& c : cases) {
    FillBlock(Fill::kRandom);
    SmearCentre = {c.x, c.y};
    ExpectSameAsReference(c.cx, c.cy, "clamped");
    if (HasFailure()) return;
  }
}

}  // namespace
