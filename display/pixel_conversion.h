// Turning the indexed frame into screen pixels: palette to colours, indices to true colour, true colour packed.
// Pure data processing; nothing here touches the platform.
#pragma once

#include <cstdint>

#include "core/interface_block.h"

inline constexpr int kColourTableBytes = kPaletteBytes;
inline constexpr int kExpandedPixelBytes = 4;
inline constexpr int kExpandedFrameBytes = kFrameBytes * kExpandedPixelBytes;

// 256 entries of blue, green, red: 8-bit levels.
extern uint8_t colourTable[kColourTableBytes];
// 320 x 200 pixels of blue, green, red and a fourth byte that nothing writes; allocated by start-up.
extern uint8_t* expandedFrame;

// colourTable from palette: each 6-bit level times 4, kept to 8 bits.
void RefreshPalette();
// expandedFrame from frameBuffer through colourTable; the fourth byte of each pixel is left alone.
void ExpandFrame();
// Writes the 320 x 200 picture of expanded into the top-left corner of a surface whose rows are pitch bytes
// apart, in the layout of depth (32, 24, or 16 with greenWidth 1 for 5-6-5 and 0 for 5-5-5). Other depths write
// nothing; bytes right of the picture and rows below it are never touched.
void PackFrame(const uint8_t* expanded, uint8_t* surface, int32_t pitch, int32_t depth, int32_t greenWidth);
