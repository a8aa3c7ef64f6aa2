// Text lines as triangle meshes from the 8x8 font, their 3-D rendering and the glow around them.
#include "core/text_glow.h"

#include <cstring>
#include <iterator>

#include "core/projection.h"
#include "core/show_state.h"
#include "core/text_records.h"

extern "C" const unsigned char vesk_core_font8x8_bin[];

namespace {

constexpr int kW = kScreenWidth;
constexpr int kGlyphRows = 8;
constexpr int kFontGlyphs = 128;
constexpr uint8_t kEmptyGlyph[kGlyphRows] = {};

// A diagonal face for an unlit cell whose lit neighbours match a code exactly. Neighbour bits:
// 7 below-right, 6 below-left, 5 below, 4 above-right, 3 above-left, 2 above, 1 right, 0 left.
enum Corner : uint8_t { kTL, kTR, kBL, kBR };
struct DiagonalFace {
  uint8_t code;
  Corner corners[3];
};
constexpr DiagonalFace kDiagonalFaces[] = {
    {5, {kTL, kTR, kBL}},   {13, {kTL, kTR, kBL}}, {6, {kTL, kTR, kBR}},
    {22, {kTL, kTR, kBR}},  {33, {kTL, kBL, kBR}}, {97, {kTL, kBL, kBR}},
    {29, {kTL, kTR, kBL}},  {30, {kTL, kTR, kBR}}, {34, {kTR, kBL, kBR}},
};

// Per code, 1 + index into kDiagonalFaces, or 0 for codes that add nothing.
struct DiagonalLookup {
  uint8_t entry[256] = {};
  constexpr DiagonalLookup() {
    for (int i = 0; i < static_cast<int>(std::size(kDiagonalFaces)); ++i) {
      entry[kDiagonalFaces[i].code] = static_cast<uint8_t>(i + 1);
    }
  }
};
constexpr DiagonalLookup kDiagonalLookup;

int16_t ReadI16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

// column * 2^shift - offset in 16 bits; the shift acts like a machine shift of a 16-bit word
// (count taken modulo 32, 16 and more clears it), so stored data cannot make it undefined.
int16_t GridCoordinate(int index, uint8_t shift, int16_t offset) {
  const uint32_t scaled = static_cast<uint32_t>(index) << (shift & 31u);
  return static_cast<int16_t>(static_cast<uint16_t>(scaled - static_cast<uint32_t>(offset)));
}

// Writes a glyph row's 8 bits as bytes and drops the first pixel of each run, keeping a lone
// pixel that follows the previous run after a one-pixel gap.
void PlaceGlyphRow(uint8_t* p, uint8_t bits) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>((bits >> (7 - i)) & 1);
  int f = 0;
  for (int i = 0; i < 8; ++i) {
    if (p[i] == 0 && p[i + 2] == 1) f = 0;
    if (f == 0 && p[i] == 1) {
      f = 1;
      p[i] = 0;
    }
  }
}

void AddFace(uint16_t a, uint16_t b, uint16_t c) {
  TextFaces[TextFaceCount++] = FaceRecord{{a, b, c}};
}

// Sum of the 8 neighbours at distance n, for pixels whose neighbours all lie inside the plane.
void GlowInterior(const uint8_t* __restrict s, uint8_t* __restrict d, int from, int to, int n) {
  const uint8_t* base = s + from;
  const uint8_t* a = base - n;
  const uint8_t* b = base + n;
  const uint8_t* c = base - kW * n;
  const uint8_t* e = base + kW * n;
  const uint8_t* f = base - (kW + 1) * n;
  const uint8_t* g = base + (kW + 1) * n;
  const uint8_t* h = base - (kW - 1) * n;
  const uint8_t* k = base + (kW - 1) * n;
  uint8_t* out = d + from;
  const int count = to - from;
  for (int i = 0; i < count; ++i) {
    const unsigned sum = 0u + a[i] + b[i] + c[i] + e[i] + f[i] + g[i] + h[i] + k[i];
    out[i] = base[i] == 255 ? uint8_t{255} : static_cast<uint8_t>(sum >> 3);
  }
}

// The same near the top and bottom, where neighbours beyond rows 0..199 read 0: each neighbour's
// sum is taken over the part of the band where it lies inside the plane.
void GlowBorder(const uint8_t* s, uint8_t* d, int from, int to, int n) {
  const int offsets[8] = {-n, n, -kW * n, kW * n, -(kW + 1) * n, (kW + 1) * n,
                          -(kW - 1) * n, (kW - 1) * n};
  constexpr int kChunk = 2 * kW;
  uint16_t sum[kChunk];
  for (int start = from; start < to; start += kChunk) {
    const int end = start + kChunk < to ? start + kChunk : to;
    const int length = end - start;
    for (int i = 0; i < length; ++i) sum[i] = 0;
    for (int o : offsets) {
      const int first = start > -o ? start : -o;
      const int last = end < kPlaneBytes - o ? end : kPlaneBytes - o;
      if (first >= last) continue;
      const uint8_t* neighbour = s + first + o;
      uint16_t* acc = sum + (first - start);
      for (int i = 0; i < last - first; ++i) acc[i] = static_cast<uint16_t>(acc[i] + neighbour[i]);
    }
    const uint8_t* own = s + start;
    uint8_t* out = d + start;
    for (int i = 0; i < length; ++i) {
      out[i] = own[i] == 255 ? uint8_t{255} : static_cast<uint8_t>(sum[i] >> 3);
    }
  }
}

}  // namespace

TextRecord ReadTextRecord(const uint8_t* packed) {
  TextRecord r{};
  if (packed == nullptr) return r;
  r.distance = ReadI16(packed);
  const uint8_t* p = packed + 2;
  int n = 0;
  while (p[n] != 0) {
    if (n < kMaxTextChars) r.text[n] = static_cast<char>(p[n]);
    ++n;
  }
  r.text[n < kMaxTextChars ? n : kMaxTextChars] = '\0';
  p += n + 1;
  r.layout.xShift = p[0];
  r.layout.yShift = p[1];
  r.layout.xOffset = ReadI16(p + 2);
  r.layout.yOffset = ReadI16(p + 4);
  return r;
}

TextRecord LoadTextRecord(int id) { return ReadTextRecord(TextRecordData(id)); }

const uint8_t* FontGlyph(uint8_t code) {
  if (code >= kFontGlyphs) return kEmptyGlyph;
  return vesk_core_font8x8_bin + code * kGlyphRows;
}

void BuildTextMesh(const TextRecord& record) {
  ProjectionDistance = record.distance;
  TextFaceCount = 0;
  std::memset(GlyphPlaneStore, 0, sizeof GlyphPlaneStore);

  for (int j = 0; j < kMaxTextChars && record.text[j] != '\0'; ++j) {
    const uint8_t* glyph = FontGlyph(static_cast<uint8_t>(record.text[j]));
    for (int r = 0; r < kGlyphRows; ++r) PlaceGlyphRow(GlyphPlane + r * kW + kGlyphAdvance * j, glyph[r]);
  }

  const uint8_t* g = GlyphPlane;
  uint16_t count = 0;
  for (int r = 0; r < kVertexGridRows; ++r) {
    const int16_t y = GridCoordinate(r, record.layout.yShift, record.layout.yOffset);
    for (int c = 0; c < kW; ++c) {
      const int i = r * kW + c;
      if ((g[i] | g[i - 1] | g[i - kW] | g[i - kW - 1]) != 0) {
        TextVertices[count] = {GridCoordinate(c, record.layout.xShift, record.layout.xOffset), y, 0};
        VertexIndexMap[i] = count++;
      } else {
        VertexIndexMap[i] = 0;
      }
    }
  }
  TextVertexCount = count;

  for (int cell = kGlyphRows * kW - 1; cell >= 0; --cell) {
    const uint16_t corner[4] = {VertexIndexMap[cell], VertexIndexMap[cell + 1],
                                VertexIndexMap[cell + kW], VertexIndexMap[cell + kW + 1]};
    if (g[cell] != 0) {
      AddFace(corner[kTL], corner[kTR], corner[kBL]);
      AddFace(corner[kTR], corner[kBL], corner[kBR]);
      continue;
    }
    const unsigned code = (g[cell + kW + 1] << 7) | (g[cell + kW - 1] << 6) | (g[cell + kW] << 5) |
                          (g[cell - kW + 1] << 4) | (g[cell - kW - 1] << 3) | (g[cell - kW] << 2) |
                          (g[cell + 1] << 1) | g[cell - 1];
    const uint8_t entry = kDiagonalLookup.entry[code];
    if (entry == 0) continue;
    const Corner* k = kDiagonalFaces[entry - 1].corners;
    AddFace(corner[k[0]], corner[k[1]], corner[k[2]]);
  }
}

void FetchTextVertex(uint16_t k) { VertexInput = TextVertices[k]; }

void RenderTextLine(const TextRecord& record, int passes, uint8_t* destination) {
  std::memset(GlowBlock, 0, sizeof GlowBlock);
  BuildTextMesh(record);
  BuildRotation();
  VertexFetch = FetchTextVertex;
  ProjectVertexList(TextVertexCount, ProjectedVertices);
  CullMode = 0;
  PixelCallback = PlotTextPixel;
  DrawFaceList(TextFaces, ProjectedVertices, TextFaceCount);
  for (int n = passes; n >= 1; --n) GlowPass(n);
  std::memcpy(destination, GlowBuffer, kPlaneBytes);
}

void GlowPass(int distance) {
  std::memcpy(GlowScratch, GlowBuffer, kPlaneBytes);
  const int reach = (kW + 1) * distance;
  const int lo = reach < kPlaneBytes ? reach : kPlaneBytes;
  const int hi = kPlaneBytes - reach > lo ? kPlaneBytes - reach : lo;
  GlowBorder(GlowScratch, GlowBuffer, 0, lo, distance);
  GlowInterior(GlowScratch, GlowBuffer, lo, hi, distance);
  GlowBorder(GlowScratch, GlowBuffer, hi, kPlaneBytes, distance);
}
