// Storage and start values of the intro core's shared state.
#include "core/show_state.h"

#include <cstring>

// ---- Palette, random numbers and byte tables
uint32_t RandomSeed = 0;
uint8_t BrightenAmount = 0;
uint8_t DivideTable[256] = {};
uint8_t BrightenScratch[kPaletteBytes] = {};

// ---- Timeline
int32_t PrevStageClock = 0;
int32_t FadeCarry = 0;
int32_t PaletteFlashDone = 0;
int32_t OrbitFadeClock = 0;
uint8_t NameImage1[kPlaneBytes] = {};
uint8_t NameImage2[kPlaneBytes] = {};
uint8_t NameImage3[kPlaneBytes] = {};

// ---- Projection and triangles

// ---- Text mesh and glow
uint8_t GlowBlock[kGlowBlockRows * kScreenWidth] = {};

// ---- Image effects

// ---- Opening scene

// ---- Orbit scene
uint8_t BluePalette[kPaletteBytes] = {};
uint8_t RedPalette[kPaletteBytes] = {};
uint8_t CompositePlane[kPlaneBytes] = {};

// ---- Caption scene

// ---- Final scene
uint8_t FinalPalette[kPaletteBytes] = {};
uint8_t FinalPlanes[2 * kPlaneBytes] = {};

void ResetShowState() {
  // ---- Palette, random numbers and byte tables
  RandomSeed = 0;
  BrightenAmount = 0;
  std::memset(DivideTable, 0, sizeof DivideTable);
  std::memset(BrightenScratch, 0, sizeof BrightenScratch);

  // ---- Timeline
  PrevStageClock = 0;
  FadeCarry = 0;
  PaletteFlashDone = 0;
  OrbitFadeClock = 0;
  std::memset(NameImage1, 0, sizeof NameImage1);
  std::memset(NameImage2, 0, sizeof NameImage2);
  std::memset(NameImage3, 0, sizeof NameImage3);

  // ---- Projection and triangles

  // ---- Text mesh and glow
  std::memset(GlowBlock, 0, sizeof GlowBlock);

  // ---- Image effects

  // ---- Opening scene

  // ---- Orbit scene
  std::memset(BluePalette, 0, sizeof BluePalette);
  std::memset(RedPalette, 0, sizeof RedPalette);
  std::memset(CompositePlane, 0, sizeof CompositePlane);

  // ---- Caption scene

  // ---- Final scene
  std::memset(FinalPalette, 0, sizeof FinalPalette);
  std::memset(FinalPlanes, 0, sizeof FinalPlanes);
}
