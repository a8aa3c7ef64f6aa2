// The pixel conversion of every present: colour table, expansion, and packing at 32, 24 and 16 bits.
#include "display/pixel_conversion.h"

#include <cstring>

void RefreshPalette(const uint8_t* levels, uint8_t* colourTable) {
  for (int i = 0; i < kPaletteEntries; ++i) {
    colourTable[3 * i + 0] = static_cast<uint8_t>(levels[3 * i + 2] * 4);
    colourTable[3 * i + 1] = static_cast<uint8_t>(levels[3 * i + 1] * 4);
    colourTable[3 * i + 2] = static_cast<uint8_t>(levels[3 * i + 0] * 4);
  }
}

void ExpandFrame(const uint8_t* frame, const uint8_t* colourTable, uint8_t* expanded) {
  // Each colour as the three low bytes of a word, in memory order, so that a pixel takes one load and one store;
  // the fourth byte of each pixel is carried over from what is there.
  uint32_t colours[kPaletteEntries];
  for (int i = 0; i < kPaletteEntries; ++i) {
    const uint8_t* colour = colourTable + 3 * i;
    const uint8_t bytes[4] = {colour[0], colour[1], colour[2], 0};
    std::memcpy(&colours[i], bytes, sizeof bytes);
  }
  uint32_t keptByte;
  const uint8_t keptMask[4] = {0, 0, 0, 0xFF};
  std::memcpy(&keptByte, keptMask, sizeof keptMask);
  uint8_t* out = expanded;
  for (int i = 0; i < kFrameBytes; ++i, out += kExpandedPixelBytes) {
    uint32_t pixel;
    std::memcpy(&pixel, out, sizeof pixel);
    pixel = (pixel & keptByte) | colours[frame[i]];
    std::memcpy(out, &pixel, sizeof pixel);
  }
}

namespace {

inline void Store16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

void PackFrame(const uint8_t* expanded, uint8_t* surface, int32_t pitch, int32_t depth, int32_t greenWidth) {
  int bytesPerPixel;
  switch (depth) {
    case 32: bytesPerPixel = 4; break;
    case 24: bytesPerPixel = 3; break;
    case 16: bytesPerPixel = 2; break;
    default: return;
  }
  const uint8_t* in = expanded;
  for (int y = 0; y < kScreenHeight; ++y) {
    uint8_t* out = surface + static_cast<intptr_t>(y) * pitch;
    if (bytesPerPixel == 4) {
      std::memcpy(out, in, kScreenWidth * 4);
      in += kScreenWidth * kExpandedPixelBytes;
      continue;
    }
    for (int x = 0; x < kScreenWidth; ++x, in += kExpandedPixelBytes, out += bytesPerPixel) {
      const uint32_t b = in[0], g = in[1], r = in[2];
      if (bytesPerPixel == 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
      } else if (greenWidth != 0) {
        Store16(out, (r >> 3) * 2048 + (g >> 2) * 32 + (b >> 3));
      } else {
        Store16(out, (r >> 3) * 1024 + (g >> 3) * 32 + (b >> 3));
      }
    }
  }
}
