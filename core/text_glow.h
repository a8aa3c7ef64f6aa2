// Text lines as triangle meshes from the 8x8 font, their 3-D rendering and the glow around them.
#pragma once

#include <cstdint>

#include "core/show_state.h"

inline constexpr int kMaxTextChars = 45;  // 45 glyphs of 7 columns (and one more) fit 320 columns
inline constexpr int kGlyphAdvance = 7;

struct TextLayout {
  uint8_t xShift;   // vertex X = column * 2^xShift - xOffset
  uint8_t yShift;   // vertex Y = row * 2^yShift - yOffset
  int16_t xOffset;
  int16_t yOffset;
};

struct TextRecord {
  int16_t distance;                // becomes ProjectionDistance
  char text[kMaxTextChars + 1];    // zero-terminated
  TextLayout layout;
};

// Unpacks a stored record (little-endian i16 distance, zero-terminated text, u8 x shift, u8 y
// shift, i16 x offset, i16 y offset). A text longer than 45 characters is cut at 45.
TextRecord ReadTextRecord(const uint8_t* packed);
// One of the six stored records (TextRecordId).
TextRecord LoadTextRecord(int id);

// The 8 bytes of a glyph of the embedded font; codes of 128 and above give an empty glyph.
const uint8_t* FontGlyph(uint8_t code);

// Sets ProjectionDistance and fills GlyphPlane, VertexIndexMap, TextVertices, TextFaces and the
// two counts from the record.
void BuildTextMesh(const TextRecord& record);

// The VertexFetch of text meshes: VertexInput := TextVertices[k].
void FetchTextVertex(uint16_t k);

// Renders the record with the current RotationAngles, ScreenCentre, ProjectionScale and
// DepthOffset, fills it with 255, adds passes glow passes (distance passes down to 1) and copies
// the 64,000-byte result to destination. Leaves PixelCallback = PlotTextPixel,
// VertexFetch = FetchTextVertex and CullMode = 0.
void RenderTextLine(const TextRecord& record, int passes, uint8_t* destination);

// One averaging pass over GlowBuffer at the given distance (1 or more); 255 stays 255.
void GlowPass(int distance);
