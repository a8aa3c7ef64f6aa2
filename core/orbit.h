// The orbit scene's routines, exposed for tests.
#pragma once

#include <cstdint>

// Draws the dense spiral into GlowScratch (OrbitRadius 150, 150 + SpiralStep, ... below 360) and
// returns how many sprites it drew.
int DrawDenseSpiral();

// Draws the sparse spiral into GlowBuffer (radii 150, 200, ..., 350); returns the sprite count.
int DrawSparseSpiral();

// CompositePlane := 16 * min(GlowBuffer >> 1, 14) + min(GlowScratch >> 2, 15), pixel by pixel.
void ComposeOrbitPlanes();
