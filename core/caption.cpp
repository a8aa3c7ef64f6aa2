// The caption scene: dots climb onto a glowing name while a caption word spins.
#include "core/caption.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_glow.h"

namespace {

constexpr int kW = kScreenWidth;
constexpr int16_t kCaptionTilt = 270;
constexpr int kDotRowsDrawn = 10;  // the sprite's last row is all zero
// Neighbours in the order they are tried; the last one at least as bright as the best so far wins.
constexpr int32_t kNeighbours[8] = {kW + 1, kW - 1, -kW + 1, -kW - 1, 1, -1, -kW, kW};

inline uint8_t AddSaturated(uint8_t a, uint8_t b) {
  const auto sum = static_cast<uint8_t>(a + b);
  return sum < a ? uint8_t{255} : sum;
}

}  // namespace

uint8_t NameBrightness(int32_t offset) {
  return offset >= 0 && offset < kPlaneBytes ? GlowBuffer[offset] : uint8_t{0};
}

void StepParticles() {
  const int count = CaptionParticleCount;
  for (int i = 0; i < count; ++i) {
    const int countdown = count - i;
    const int32_t p = RandomPixelList[i];
    unsigned best = NameBrightness(p);
    int32_t move = 0;
    if (best <= 254) {
      for (const int32_t offset : kNeighbours) {
        const unsigned b = NameBrightness(p + offset);
        if (b >= best) {
          move = offset;
          best = b;
        }
      }
    }
    const int rows = Random(3) - 1;
    const int cols = Random(3) - 1;
    if (countdown <= RevealLimit) {
      RandomPixelList[i] = static_cast<uint16_t>(p + move + kW * rows + cols);
    }
  }
}

void DrawParticles() {
  // Each sprite row padded to 16 bytes: a row is one 16-byte saturating add (the padding adds 0),
  // except where the 16 bytes would run past the plane's end.
  constexpr int kPadded = 16;
  alignas(16) uint8_t padded[kDotRowsDrawn][kPadded] = {};
  for (int r = 0; r < kDotRowsDrawn; ++r) std::memcpy(padded[r], DotSprite + r * kDotSpriteSize, kDotSpriteSize);
  const int count = CaptionParticleCount;
  const int firstReleased = count - RevealLimit < 0 ? 0 : count - RevealLimit;
  for (int i = firstReleased; i < count; ++i) {
    const int32_t p = RandomPixelList[i];
    for (int r = 0; r < kDotRowsDrawn; ++r) {
      const int32_t start = p + r * kW;
      uint8_t* out = GlowScratch + start;
      const uint8_t* dot = padded[r];
      if (start + kPadded <= kPlaneBytes) {
#if defined(__SSE2__)
        const __m128i sum = _mm_adds_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(out)),
                                          _mm_load_si128(reinterpret_cast<const __m128i*>(dot)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sum);
#else
        for (int c = 0; c < kPadded; ++c) out[c] = AddSaturated(out[c], dot[c]);
#endif
      } else {
        if (start >= kPlaneBytes) break;
        const int n = kPlaneBytes - start < kDotSpriteSize ? kPlaneBytes - start : kDotSpriteSize;
        for (int c = 0; c < n; ++c) out[c] = AddSaturated(out[c], dot[c]);
      }
    }
  }
}

void SetUpCaptionScene(const uint8_t* nameImage, int captionRecord, uint16_t particleCount,
                       int16_t centreX, int16_t centreY) {
  std::memcpy(GlowBuffer, nameImage, kPlaneBytes);
  const TextRecord record = LoadTextRecord(captionRecord);
  ProjectionDistance = record.distance;
  BuildTextMesh(record);
  BuildDotSprite();
  CaptionParticleCount = particleCount < kRandomPixelCapacity ? particleCount : kRandomPixelCapacity;
  RandomPixelCount = CaptionParticleCount;
  BuildRandomPixelList();
  ScreenCentre = {centreX, centreY};
  RotationAngles[0] = 0;
  RotationAngles[1] = 0;
  RotationAngles[2] = kCaptionTilt;
}

void DrawCaptionFrame(int32_t t) {
  RevealLimit = static_cast<uint16_t>(4 * t);
  RotationAngles[0] = static_cast<int16_t>(static_cast<uint16_t>(t));
  BuildRotation();
  VertexFetch = FetchTextVertex;
  ProjectVertexList(TextVertexCount, ProjectedVertices);

  std::memset(GlowScratch, 0, kPlaneBytes);

  // One step per two ticks of frame time; the first frame, measured against the previous stage's
  // larger clock, moves nothing.
  const auto elapsed = static_cast<int16_t>(static_cast<uint16_t>(t - PrevStageClock));
  const int steps = elapsed / 2;
  for (int s = 0; s < steps; ++s) StepParticles();

  DrawParticles();

  if (TextFaceCount > 0) {
    PixelCallback = PlotWorkPixel;
    CullMode = 0;
    DrawFaceList(TextFaces, ProjectedVertices, TextFaceCount);
  }
}

void FinishCaptionScene() { ScreenCentre = {160, 100}; }
