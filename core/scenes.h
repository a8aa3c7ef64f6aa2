// What the timeline asks of the start-up work and of each scene; the scenes' files implement it.
#pragma once

#include <cstdint>

// Start-up work before the music starts: name images, ring texture, polar tables,
// displacement map, random seed.
void PrepareShowTables();

// The opening's polar tables, built from RingTexture during the start-up work.
void BuildPolarTables();

// Opening: palette and title picture, then one frame for stage clock t into GlowScratch.
void SetUpOpeningScene();
void DrawOpeningFrame(int32_t t);

// Orbit: palettes, divide table, sprite and spiral state; one frame into CompositePlane;
// the smear that follows each presentation.
void SetUpOrbitScene();
void DrawOrbitFrame(int32_t t);
void SmearOrbitTrails();

// Caption: set-up for one caption (name image into GlowBuffer, caption mesh, dots, particles),
// one frame into GlowScratch for stage clock t, and the restoring of the screen centre.
void SetUpCaptionScene(const uint8_t* nameImage, int captionRecord, uint16_t particleCount,
                       int16_t centreX, int16_t centreY);
void DrawCaptionFrame(int32_t t);
void FinishCaptionScene();

// Final: palette, projection and spot table; one frame into FinalPlane.
void SetUpFinalScene();
void DrawFinalFrame(int32_t t);

// One caption scene with its own frame loop and fade (called three times by the interlude).
void RunCaptionScene(const uint8_t* nameImage, int captionRecord, uint16_t particleCount,
                     int32_t duration, int16_t centreX, int16_t centreY);
