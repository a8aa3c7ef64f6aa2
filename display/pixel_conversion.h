// Turning the indexed frame into screen pixels: palette to colours, indices to true colour, true colour packed.
// Pure data processing; nothing here touches the platform.
#pragma once

#include <cstdint>

#include "core/interface_block.h"

inline constexpr int kColourTableBytes = kPaletteBytes;
inline constexpr int kExpandedPixelBytes = 4;
inline constexpr int kExpandedFrameBytes = kFrameBytes * kExpandedPixelBytes;

// colourTable (256 entries of blue, green, red: 8-bit levels) from palette: each 6-bit level times 4, kept to
// 8 bits.
void RefreshPalette(const uint8_t* levels, uint8_t* colourTable);
// expanded (320 x 200 pixels of blue, green, red and a fourth byte that nothing writes) from frame through
// colourTable; the fourth byte of each pixel is left alone.
void ExpandFrame(const uint8_t* frame, const uint8_t* colourTable, uint8_t* expanded);
// Writes the 320 x 200 picture of expanded into the top-left corner of a surface whose rows are pitch bytes
// apart, in the layout of depth (32, 24, or 16 with greenWidth 1 for 5-6-5 and 0 for 5-5-5). Other depths write
// nothing; bytes right of the picture and rows below it are never touched.
void PackFrame(const uint8_t* expanded, uint8_t* surface, int32_t pitch, int32_t depth, int32_t greenWidth);
