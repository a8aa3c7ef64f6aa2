// The intro core's shared planes, tables and state: every global of the core lives here.
//
// Sections belong to routine groups; each group's own header declares its routines only.
// All storage is static and of fixed size; ResetShowState() returns it to its start values.
#pragma once

#include <cstdint>

#include "core/interface_block.h"

inline constexpr int kPlaneBytes = kFrameBytes;

// ---- Palette, random numbers and byte tables -------------------------------------------
extern uint32_t RandomSeed;
extern uint8_t BrightenAmount;
extern uint8_t DivideTable[256];
extern uint8_t BrightenScratch[kPaletteBytes];  // BrightenPalette's private copy

// ---- Timeline -----------------------------------------------------------------------------
extern int32_t PrevStageClock;  // the previous frame's stage clock, carried across stages
extern int32_t FadeCarry;       // show ticks of the opening fade not yet turned into levels
extern int32_t PaletteFlashDone;
extern int32_t OrbitFadeClock;  // the orbit scene's own previous clock, for its fade
extern uint8_t NameImage1[kPlaneBytes];
extern uint8_t NameImage2[kPlaneBytes];
extern uint8_t NameImage3[kPlaneBytes];

// ---- Projection and triangles ------------------------------------------------------------
// (routines group: projection)

// ---- Text mesh and glow ------------------------------------------------------------------
// The glow block: rows 0..19 margin, 20..219 GlowScratch, 220..259 gap, 260..459 GlowBuffer,
// 460..479 margin. The two planes are 240 rows apart, which RadialSmear relies on.
inline constexpr int kGlowBlockRows = 480;
extern uint8_t GlowBlock[kGlowBlockRows * kScreenWidth];
inline constexpr uint8_t* GlowScratch = GlowBlock + 20 * kScreenWidth;
inline constexpr uint8_t* GlowBuffer = GlowBlock + 260 * kScreenWidth;

// ---- Image effects -------------------------------------------------------------------------

// ---- Opening scene -----------------------------------------------------------------------

// ---- Orbit scene -----------------------------------------------------------------------------
extern uint8_t BluePalette[kPaletteBytes];
extern uint8_t RedPalette[kPaletteBytes];
extern uint8_t CompositePlane[kPlaneBytes];

// ---- Caption scene ---------------------------------------------------------------------------

// ---- Final scene -----------------------------------------------------------------------------
extern uint8_t FinalPalette[kPaletteBytes];
// DepthPlane directly follows FinalPlane.
extern uint8_t FinalPlanes[2 * kPlaneBytes];
inline constexpr uint8_t* FinalPlane = FinalPlanes;
inline constexpr uint8_t* DepthPlane = FinalPlanes + kPlaneBytes;

// Every global above back to its value at program start.
void ResetShowState();
