// Effects on 320-wide byte planes: ray smear, glowing spots and sprites, blurs, the decaying noise
// field, displacement, and the generators of the ring texture, dot sprite and random pixels.
#pragma once

#include <cstdint>

#include "core/show_state.h"

// RadialSmear's second plane lies this many bytes after its first, as GlowBuffer after
// GlowScratch.
inline constexpr int kSmearPlaneDistance = 240 * kScreenWidth;

// Smears planeA and the plane kSmearPlaneDistance after it toward SmearCentre, in place. A centre
// outside x 1..318, y 2..198 is moved to the nearest one inside.
void RadialSmear(uint8_t* planeA);

// Adds a radial spot of peak value peak, falling off by distance << falloffShift, over the square
// -radius..radius-1 around (x, y); rows outside 1..198 and columns outside 2..318 are skipped.
void DrawGlowBall(uint8_t* plane, int16_t x, int16_t y, int16_t radius, int16_t peak,
                  int16_t falloffShift);

// Averages 198 rows (63,360 bytes) from first in place with the 4 neighbours; the rows just
// above and below are read.
void Blur4(uint8_t* first);

// 8-neighbour average minus one, stored modulo 256, in place over count bytes from first; the
// row and byte just outside the range on either side are read.
void FireDecay(uint8_t* first, int count);

// plane[i] := plane[i + map[i]] for i = 0..count-1 in order, map read as signed bytes.
void DisplaceRow(const uint8_t* map, uint8_t* plane, int count);

// Fills RingTexture from the random source (65,536 calls of Random(10)).
void BuildRingTexture();

// Adds OrbitSprite at a point of the circle of radius OrbitRadius / 8 about (150, 90), at the
// angle OrbitRadius + OrbitPhase degrees. The plane needs 20 rows and 20 bytes of slack.
void DrawOrbitSprite(uint8_t* plane);

// Fills DotSprite: 55 - 11 d at rounded distance d <= 5 from its centre, 0 beyond.
void BuildDotSprite();

// Fills RandomPixelCount entries (at most kRandomPixelCapacity) of RandomPixelList with
// Random(200) * 320 + Random(320).
void BuildRandomPixelList();
