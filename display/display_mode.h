// A display mode as the launch dialog offers it and the presentation packs for.
#pragma once

#include <cstdint>

struct DisplayMode {
  int32_t width;
  int32_t height;
  int32_t depth;  // bits per pixel: 16, 24 or 32
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  int32_t greenWidth;  // 0: green has five bits (5-5-5); 1: six bits for 16-bit modes, and always for 24 and 32
};

// Record 0 of a mode table is the desktop's mode when the list was built; records 1 to count - 1 are the offered
// modes, deepest first, then by width, then by height.
inline constexpr int kModeTableSize = 256;
