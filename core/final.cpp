// The final scene: the extruded logo swaying under a swinging, flickering spotlight.
#include <cmath>

#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"

namespace {

constexpr int kFinalPaletteEntries = 255;

void BuildFinalPalette() {
  FinalPalette[0] = FinalPalette[1] = FinalPalette[2] = 0;
  const float greenDivisor = 4.2f;
  const float blueDivisor = 4.8f;
  for (int c = 1; c < kFinalPaletteEntries; ++c) {
    uint8_t* entry = FinalPalette + 3 * c;
    if (c <= 188) {
      const long double g = std::nearbyint(static_cast<long double>(c) / greenDivisor);
      const long double b = std::nearbyint(static_cast<long double>(c) / blueDivisor);
      entry[0] = static_cast<uint8_t>(c / 3);
      entry[1] = static_cast<uint8_t>(static_cast<int>(g) + 3);
      entry[2] = static_cast<uint8_t>(static_cast<int>(b) + 10);
    } else {
      entry[0] = 63;
      entry[1] = 50;
      entry[2] = 50;
    }
  }
}

}  // namespace

void SetUpFinalScene() {
  BuildFinalPalette();
  SetPalette(FinalPalette, kFinalPaletteEntries);
}

void DrawFinalFrame(int32_t t) { (void)t; }
