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
int16_t RotationAngles[3] = {90, 180, 90};
int16_t ProjectionDistance = 1200;
int16_t ProjectionScale = -200;
ScreenPoint ScreenCentre = {0, 0};
int16_t DepthOffset = 0;
float SineCosineStore[6] = {};
ModelVertex VertexInput = {};
VertexFetchOperation VertexFetch = nullptr;
PixelOperation PixelCallback = nullptr;
uint16_t CullMode = 0;
ProjectedVertex ProjectedVertices[kMaxProjectedVertices] = {};

// ---- Text mesh and glow
uint8_t GlowBlock[kGlowBlockRows * kScreenWidth + kGlowBlockTailBytes] = {};
uint8_t GlyphPlaneStore[kGlyphPlaneRows * kScreenWidth] = {};
uint16_t VertexIndexMap[(kVertexGridRows + 1) * kScreenWidth] = {};
ModelVertex TextVertices[kMaxTextVertices] = {};
uint16_t TextVertexCount = 0;
FaceRecord TextFaces[kMaxTextFaces] = {};
uint16_t TextFaceCount = 0;

// ---- Image effects
ScreenPoint SmearCentre = {0, 0};
uint8_t OrbitSprite[kOrbitSpriteSize * kOrbitSpriteSize] = {};
int16_t OrbitRadius = 0;
int16_t OrbitPhase = 0;
uint8_t DotSprite[kDotSpriteSize * kDotSpriteSize] = {};
uint16_t RandomPixelList[kRandomPixelCapacity] = {};
uint16_t RandomPixelCount = kRandomPixelCapacity;
uint8_t RingTexture[kRingTextureBytes] = {};
uint8_t DisplacementStore[kDisplacementMargin + kPlaneBytes + kDisplacementMargin] = {};

// ---- Opening scene
uint8_t PolarTable[2 * kPlaneBytes] = {};
uint8_t PolarTexture[kPolarTextureBytes] = {};
uint8_t ReciprocalTable[256 * 256] = {};
uint8_t BurstProfile[kBurstProfileEntries] = {};
int16_t BurstPhase = 0;
int16_t BurstLevel = 0;
int16_t BurstAmplitude = 0;
int16_t BurstJitter = 0;
uint8_t TitlePixels[kTitleWidth * kTitleHeight] = {};

// ---- Orbit scene
uint8_t BluePalette[kPaletteBytes] = {};
uint8_t RedPalette[kPaletteBytes] = {};
uint8_t CompositePlane[kPlaneBytes] = {};
uint16_t SpiralAngleA = 0;
uint16_t SpiralAngleB = 0;
uint16_t SpiralStep = 0;
uint16_t SmearAngle = 0;

// ---- Caption scene
uint16_t RevealLimit = 0;
uint16_t CaptionParticleCount = 0;

// ---- Final scene
uint8_t FinalPalette[kPaletteBytes] = {};
uint8_t FinalPlanes[2 * kPlaneBytes] = {};
uint8_t SpotTable[256 * 256] = {};
int16_t SpotX = 0;
int16_t SweepAngle = 0;
int16_t SweepDirection = 1;
ModelVertex LogoVertices[kMaxLogoVertices] = {};
FaceRecord LogoFaces[kMaxLogoFaces] = {};
uint16_t LogoVertexCount = 0;
uint16_t LogoFaceCount = 0;

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
  RotationAngles[0] = 90;
  RotationAngles[1] = 180;
  RotationAngles[2] = 90;
  ProjectionDistance = 1200;
  ProjectionScale = -200;
  ScreenCentre = {0, 0};
  DepthOffset = 0;
  std::memset(SineCosineStore, 0, sizeof SineCosineStore);
  VertexInput = {};
  VertexFetch = nullptr;
  PixelCallback = nullptr;
  CullMode = 0;
  std::memset(ProjectedVertices, 0, sizeof ProjectedVertices);

  // ---- Text mesh and glow
  std::memset(GlowBlock, 0, sizeof GlowBlock);
  std::memset(GlyphPlaneStore, 0, sizeof GlyphPlaneStore);
  std::memset(VertexIndexMap, 0, sizeof VertexIndexMap);
  std::memset(TextVertices, 0, sizeof TextVertices);
  TextVertexCount = 0;
  std::memset(TextFaces, 0, sizeof TextFaces);
  TextFaceCount = 0;

  // ---- Image effects
  SmearCentre = {0, 0};
  std::memset(OrbitSprite, 0, sizeof OrbitSprite);
  OrbitRadius = 0;
  OrbitPhase = 0;
  std::memset(DotSprite, 0, sizeof DotSprite);
  std::memset(RandomPixelList, 0, sizeof RandomPixelList);
  RandomPixelCount = kRandomPixelCapacity;
  std::memset(RingTexture, 0, sizeof RingTexture);
  std::memset(DisplacementStore, 0, sizeof DisplacementStore);

  // ---- Opening scene
  std::memset(PolarTable, 0, sizeof PolarTable);
  std::memset(PolarTexture, 0, sizeof PolarTexture);
  std::memset(ReciprocalTable, 0, sizeof ReciprocalTable);
  std::memset(BurstProfile, 0, sizeof BurstProfile);
  BurstPhase = 0;
  BurstLevel = 0;
  BurstAmplitude = 0;
  BurstJitter = 0;
  std::memset(TitlePixels, 0, sizeof TitlePixels);

  // ---- Orbit scene
  std::memset(BluePalette, 0, sizeof BluePalette);
  std::memset(RedPalette, 0, sizeof RedPalette);
  std::memset(CompositePlane, 0, sizeof CompositePlane);
  SpiralAngleA = 0;
  SpiralAngleB = 0;
  SpiralStep = 0;
  SmearAngle = 0;

  // ---- Caption scene
  RevealLimit = 0;
  CaptionParticleCount = 0;

  // ---- Final scene
  std::memset(FinalPalette, 0, sizeof FinalPalette);
  std::memset(FinalPlanes, 0, sizeof FinalPlanes);
  std::memset(SpotTable, 0, sizeof SpotTable);
  SpotX = 0;
  SweepAngle = 0;
  SweepDirection = 1;
  std::memset(LogoVertices, 0, sizeof LogoVertices);
  std::memset(LogoFaces, 0, sizeof LogoFaces);
  LogoVertexCount = 0;
  LogoFaceCount = 0;
}
