// The still pictures of the interlude and the grey palette they are shown with.
#pragma once

#include <cstdint>

inline constexpr uint32_t kPictureBytes = 192054;
inline constexpr uint32_t kPicturePixelOffset = 54;
inline constexpr int32_t kOrdersPerPicture = 4;

// The pixels of picture n (1 to 4): 3 bytes each, first stored row on top; null when the resource is missing or
// short.
const uint8_t* PicturePixels(int n);
// frameBuffer from the blue byte of each stored pixel, as a grey level; black without pixels.
void DrawPicture(const uint8_t* pixels);
// Entry i of palette becomes (i div 4, i div 4, i div 4).
void SetGreyPalette();
// Whether the clock has advanced (in counter units) by what four orders take at the module's nominal speed and
// tempo: the end of a picture whose music does not move.
bool FourOrdersElapsed(uint32_t counterUnits);
