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
// A model vertex, the projection's input.
struct ModelVertex {
  int16_t x;
  int16_t y;
  int16_t z;
};
// A projected vertex: screen x, screen y and depth, in that order.
struct ProjectedVertex {
  int16_t x;
  int16_t y;
  int16_t depth;
};
// A triangle as three vertex numbers (corners 0, 1, 2).
struct FaceRecord {
  uint16_t corner[3];
};
struct ScreenPoint {
  int16_t x;
  int16_t y;
};
static_assert(sizeof(ProjectedVertex) == 6 && sizeof(FaceRecord) == 6);

// Loads model vertex k into VertexInput.
using VertexFetchOperation = void (*)(uint16_t k);
// Marks one covered pixel, x in 0..319, y in 0..199.
using PixelOperation = void (*)(int x, int y);

// Enough for a text mesh's grid points (9 rows of 320) and for any model the scenes draw.
inline constexpr int kMaxProjectedVertices = 9 * kScreenWidth;

extern int16_t RotationAngles[3];      // degrees: the X-Z, X-Y and Y-Z rotations, in that order
extern int16_t ProjectionDistance;     // viewer distance
extern int16_t ProjectionScale;        // screen scale; negative mirrors both axes
extern ScreenPoint ScreenCentre;       // added after the perspective division
extern int16_t DepthOffset;            // added to the output depth
extern float SineCosineStore[6];       // s1, c1, s2, c2, s3, c3 from BuildRotation
extern ModelVertex VertexInput;        // what VertexFetch loads
extern VertexFetchOperation VertexFetch;
extern PixelOperation PixelCallback;
extern uint16_t CullMode;              // 0 draws all faces, 1 and 2 skip one orientation
extern ProjectedVertex ProjectedVertices[kMaxProjectedVertices];

// ---- Text mesh and glow ------------------------------------------------------------------
// The glow block: rows 0..19 margin, 20..219 GlowScratch, 220..259 gap, 260..459 GlowBuffer,
// 460..479 margin. The two planes are 240 rows apart, which RadialSmear relies on.
inline constexpr int kGlowBlockRows = 480;
// The block carries one row of slack past its 480 rows: a sprite drawn with its corner at column
// 320 of GlowBuffer's slack row 19 runs 20 bytes beyond the last margin row.
inline constexpr int kGlowBlockTailBytes = kScreenWidth;
extern uint8_t GlowBlock[kGlowBlockRows * kScreenWidth + kGlowBlockTailBytes];
inline constexpr uint8_t* GlowScratch = GlowBlock + 20 * kScreenWidth;
inline constexpr uint8_t* GlowBuffer = GlowBlock + 260 * kScreenWidth;

// The glyph plane: 8 glyph rows with 5 zero rows above and 12 below for the mesh builder's
// neighbour reads. GlyphPlane points at glyph row 0.
inline constexpr int kGlyphRowsAbove = 5;
inline constexpr int kGlyphPlaneRows = 25;
extern uint8_t GlyphPlaneStore[kGlyphPlaneRows * kScreenWidth];
inline constexpr uint8_t* GlyphPlane = GlyphPlaneStore + kGlyphRowsAbove * kScreenWidth;

// Grid points are the top-left corners of the glyph pixels: 9 rows of 320. One row of slack lets
// the face builder name the corner right of and below the last cell without leaving the array.
inline constexpr int kVertexGridRows = 9;
extern uint16_t VertexIndexMap[(kVertexGridRows + 1) * kScreenWidth];
inline constexpr int kMaxTextVertices = kVertexGridRows * kScreenWidth;
inline constexpr int kMaxTextFaces = 2 * 8 * kScreenWidth;
extern ModelVertex TextVertices[kMaxTextVertices];
extern uint16_t TextVertexCount;
extern FaceRecord TextFaces[kMaxTextFaces];
extern uint16_t TextFaceCount;

// ---- Image effects -------------------------------------------------------------------------
extern ScreenPoint SmearCentre;  // x in 1..318, y in 2..198
inline constexpr int kOrbitSpriteSize = 20;
extern uint8_t OrbitSprite[kOrbitSpriteSize * kOrbitSpriteSize];
extern int16_t OrbitRadius;
extern int16_t OrbitPhase;
inline constexpr int kDotSpriteSize = 11;
extern uint8_t DotSprite[kDotSpriteSize * kDotSpriteSize];
inline constexpr int kRandomPixelCapacity = 2000;
extern uint16_t RandomPixelList[kRandomPixelCapacity];
extern uint16_t RandomPixelCount;
inline constexpr int kRingTextureBytes = 256 * 256;
extern uint8_t RingTexture[kRingTextureBytes];
// DisplacementMap: 320 x 200 offsets read as signed bytes, with a zero row above row 0 and below
// row 199 that is never written, and one more zero byte beyond each for FireDecay's corner
// neighbours when it runs over all 64,000 bytes.
inline constexpr int kDisplacementMargin = kScreenWidth + 1;
extern uint8_t DisplacementStore[kDisplacementMargin + kPlaneBytes + kDisplacementMargin];
inline constexpr uint8_t* DisplacementMap = DisplacementStore + kDisplacementMargin;

// ---- Opening scene -----------------------------------------------------------------------
// Per screen pixel: angle step (0..255, 0 to the right of the centre, 64 below it) and rounded
// distance from (160, 100), in that order.
extern uint8_t PolarTable[2 * kPlaneBytes];
// Row r is a radius, column a an angle step; the burst reads rows 0..130 and runs up to 254 bytes
// into the next row.
inline constexpr int kPolarTextureBytes = 256 * 256;
extern uint8_t PolarTexture[kPolarTextureBytes];
// Entry i * 256 + j: (j + 1) * 100 / i rounded, as a byte; row 0 is zero.
extern uint8_t ReciprocalTable[256 * 256];
// The burst's outline: the radius per angle step, read at a + offset (up to 510).
inline constexpr int kBurstProfileEntries = 512;
extern uint8_t BurstProfile[kBurstProfileEntries];
extern int16_t BurstPhase;      // degrees
extern int16_t BurstLevel;      // mean radius L
extern int16_t BurstAmplitude;  // lobe depth A
extern int16_t BurstJitter;     // range J of the outline's flicker
// The title picture unpacked, one 4-bit index per byte (0 transparent).
inline constexpr int kTitleWidth = 190;
inline constexpr int kTitleHeight = 150;
extern uint8_t TitlePixels[kTitleWidth * kTitleHeight];

// ---- Orbit scene -----------------------------------------------------------------------------
extern uint8_t BluePalette[kPaletteBytes];
extern uint8_t RedPalette[kPaletteBytes];
extern uint8_t CompositePlane[kPlaneBytes];
extern uint16_t SpiralAngleA;  // degrees, wrapping; carried over from the start of the show
extern uint16_t SpiralAngleB;
extern uint16_t SpiralStep;    // radius step of the dense spiral, 0 at the scene's start
extern uint16_t SmearAngle;    // degrees, direction of the light rays' centre from (160, 100)

// ---- Caption scene ---------------------------------------------------------------------------
// Particles whose countdown number (particle count - index) is at most this take part.
extern uint16_t RevealLimit;
extern uint16_t CaptionParticleCount;

// ---- Final scene -----------------------------------------------------------------------------
extern uint8_t FinalPalette[kPaletteBytes];
// DepthPlane directly follows FinalPlane.
extern uint8_t FinalPlanes[2 * kPlaneBytes];
inline constexpr uint8_t* FinalPlane = FinalPlanes;
inline constexpr uint8_t* DepthPlane = FinalPlanes + kPlaneBytes;
// The spotlight: 256 x 256 levels, falling off from the centre, with noise.
extern uint8_t SpotTable[256 * 256];
extern int16_t SpotX;           // the spot's centre column; its centre row is fixed
extern int16_t SweepAngle;      // degrees, the logo's second rotation angle
extern int16_t SweepDirection;  // +1 or -1, carried over from the start of the show
// The logo mesh as loaded from its stored bytes.
inline constexpr int kMaxLogoVertices = 512;
inline constexpr int kMaxLogoFaces = 1024;
extern ModelVertex LogoVertices[kMaxLogoVertices];
extern FaceRecord LogoFaces[kMaxLogoFaces];
extern uint16_t LogoVertexCount;
extern uint16_t LogoFaceCount;

// Every global above back to its value at program start.
void ResetShowState();
