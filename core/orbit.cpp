// The orbit scene: two spirals of glowing sprites whose trails stream out as light rays.
#include <algorithm>

#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"

namespace {

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

}  // namespace

void SetUpOrbitScene() { BuildOrbitPalettes(); }

void DrawOrbitFrame(int32_t t) { (void)t; }

void SmearOrbitTrails() {}
