// The caption scene's routines, exposed for tests.
#pragma once

#include <cstdint>

// The name image's brightness at an unwrapped offset: GlowBuffer inside the plane, 0 outside.
uint8_t NameBrightness(int32_t offset);

// One step of every particle: climb to the brightest neighbour, jitter, and move if released.
// Calls Random twice per particle, released or not.
void StepParticles();

// Adds DotSprite (rows 0..9) at every released particle into GlowScratch, saturating; bytes at
// offsets of 64,000 and more are not drawn.
void DrawParticles();
