// The random source, the palette routines and the division table.
#include "core/palette_random.h"

#include <cmath>
#include <cstring>

#include "core/show_state.h"

void SetPalette(const uint8_t* source, int count) {
  std::memcpy(palette, source, static_cast<size_t>(count) * 3);
}

void GetPalette(uint8_t* destination, int count) {
  std::memcpy(destination, palette, static_cast<size_t>(count) * 3);
}

void BrightenPalette() {
  std::memcpy(BrightenScratch, palette, kPaletteBytes);
  for (uint8_t& c : BrightenScratch) {
    if (c > 63) continue;
    const uint8_t s = static_cast<uint8_t>(c + BrightenAmount);
    c = s >= 63 ? 63 : s;
  }
  std::memcpy(palette, BrightenScratch, kPaletteBytes);
}

void BuildDivideTable(float divisor) {
  const long double d = divisor;
  for (int i = 0; i < 256; ++i) {
    const long double q = std::nearbyint(static_cast<long double>(i) / d);
    DivideTable[i] = static_cast<uint8_t>(static_cast<int>(q));
  }
}

void RemapBuffer(uint8_t* plane) {
  for (int i = 0; i < kPlaneBytes; ++i) plane[i] = DivideTable[plane[i]];
}
