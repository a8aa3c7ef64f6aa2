// Rotation and perspective projection of model vertices, and triangle scan conversion into a
// per-pixel callback.
#pragma once

#include <cstdint>

#include "core/show_state.h"

// The single-precision value of pi / 180 that every degree angle of the core is converted with.
inline constexpr float kDegreesToRadians = 0.0174532924f;

// A 16-bit degree angle in radians: read as signed, times the single-precision factor, in double.
double DegreesToRadians(int16_t degrees);

// SineCosineStore := sine and cosine of the three RotationAngles, as floats.
void BuildRotation();

// Rotates (x, y, z) by the stored sines and cosines and divides by the distance from the viewer.
// A coordinate whose rounded value does not fit in 16 bits, and both screen coordinates of a point
// in the viewer's plane (ProjectionDistance equal to its depth), come out as -32768, which every
// caller's triangle setup treats as far off screen. A point behind the viewer is projected
// through the same formula and lands mirrored.
ProjectedVertex ProjectVertex(int16_t x, int16_t y, int16_t z);

// For k = 0..count-1: VertexFetch(k), then out[k] := ProjectVertex(VertexInput).
void ProjectVertexList(uint16_t count, ProjectedVertex* out);

// Draws faceCount faces in list order through RasterTriangle, skipping one orientation when
// CullMode is 1 or 2; the corners' screen x and y come from projected[corner].
void DrawFaceList(const FaceRecord* faces, const ProjectedVertex* projected, uint16_t faceCount);

// Calls PixelCallback for every pixel the triangle covers, with the 16.16 edge walk of the show.
void RasterTriangle(ScreenPoint c0, ScreenPoint c1, ScreenPoint c2);

// The three pixel operations: 255 into GlowBuffer, 255 into GlowScratch, max(pixel, 125) into
// DepthPlane.
void PlotTextPixel(int x, int y);
void PlotWorkPixel(int x, int y);
void PlotMaxPixel(int x, int y);
