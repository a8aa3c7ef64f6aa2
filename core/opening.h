// The opening scene's routines: the polar burst, its outline and the title picture's dissolve.
#pragma once

#include <cstdint>

// The stored title picture's palette (768 bytes) and its packed 4-bit pixels (14,250 bytes).
const uint8_t* TitlePalette();
const uint8_t* TitlePicture();

// BurstLevel, BurstAmplitude and BurstJitter from BurstPhase.
void UpdateBurstParams();

// BurstProfile from the burst parameters: 512 entries, one Random(BurstJitter) each.
void BuildBurstProfile();

// Draws the burst into GlowScratch with the texture and outline turned by offset (0..255).
void DrawPolarBurst(int offset);

// The picture's threshold for stage clock t: only pixels whose dissolve mask is at most this show.
int TitleThreshold(int32_t t);

// Draws the picture's pixels whose mask is at most threshold into GlowScratch.
void DrawTitlePicture(int threshold);
