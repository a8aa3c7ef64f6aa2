// The final scene: the extruded logo swaying under a swinging, flickering spotlight.
#include "core/final.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/blur_chain.h"
#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/timeline.h"

extern "C" const unsigned char vesk_core_logo_mesh_bin[];
extern "C" const unsigned int vesk_core_logo_mesh_bin_size;

namespace {

constexpr int kW = kScreenWidth;
constexpr int kFinalPaletteEntries = 255;
constexpr int16_t kStartSweep = 90;
constexpr int kSweepReach = 20;  // how far ahead the turn test looks
constexpr int kSweepLow = 20;
constexpr int kSweepHigh = 160;
constexpr int kSpotRow = 110;
constexpr int kSpotHalf = 128;
constexpr int kLitRowsEnd = 199;  // row 199 is never lit

void BuildFinalPalette() {
  FinalPalette[0] = FinalPalette[1] = FinalPalette[2] = 0;
  const float greenDivisor = 4.2f;
  const float blueDivisor = 4.8f;
  for (int c = 1; c < kFinalPaletteEntries; ++c) {
    uint8_t* entry = FinalPalette + 3 * c;
    if (c <= 188) {
      const long double g = std::nearbyint(static_cast<long double>(c) / greenDivisor);
      const long double b = std::nearbyint(static_cast<long double>(c) / blueDivisor);
      entry[0] = static_cast<uint8_t>(c / 3);
      entry[1] = static_cast<uint8_t>(static_cast<int>(g) + 3);
      entry[2] = static_cast<uint8_t>(static_cast<int>(b) + 10);
    } else {
      entry[0] = 63;
      entry[1] = 50;
      entry[2] = 50;
    }
  }
}

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Random's step taken n times at once: s -> s * multiplier[n] + increment[n]. With these the light
// forms a chunk's draws before it knows which of its pixels are covered, and no draw waits on the
// one before it.
constexpr uint16_t kLightDraw = 300;
constexpr int kLightChunk = 16;  // pixels the light decides at once
struct RandomJumps {
  uint32_t multiplier[kLightChunk + 1];
  uint32_t increment[kLightChunk + 1];
};
constexpr RandomJumps MakeRandomJumps() {
  RandomJumps j{};
  j.multiplier[0] = 1;
  j.increment[0] = 0;
  for (int n = 1; n <= kLightChunk; ++n) {
    j.multiplier[n] = j.multiplier[n - 1] * 129u;
    j.increment[n] = j.increment[n - 1] * 129u + 907633385u;
  }
  return j;
}
constexpr RandomJumps kJumps = MakeRandomJumps();

// Sixteen pixels of the light, left to right: the k-th covered one takes Random(300) from the
// k-th step after seed, and seed moves on by the number covered.
inline void LightChunk(const uint8_t* depth, const uint8_t* spot, uint8_t* out, uint32_t& seed) {
  uint64_t halves[2];
  std::memcpy(halves, depth, sizeof halves);
  if ((halves[0] | halves[1]) == 0) return;
  alignas(16) uint16_t draws[kLightChunk];
  for (int j = 0; j < kLightChunk; ++j) {
    const uint32_t s = seed * kJumps.multiplier[j + 1] + kJumps.increment[j + 1];
    draws[j] = static_cast<uint16_t>(static_cast<uint16_t>(s >> 16) % kLightDraw);
  }
  // Inside the logo every pixel of a chunk is covered and takes the draws as they come.
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  const bool anyUncovered = (((halves[0] - kOnes) & ~halves[0]) | ((halves[1] - kOnes) & ~halves[1])) & kHighBits;
  alignas(16) uint16_t handedOut[kLightChunk];
  const uint16_t* mine = draws;
  int k = kLightChunk;
  if (anyUncovered) {
    k = 0;
    for (int i = 0; i < kLightChunk; ++i) {
      handedOut[i] = draws[k];
      k += depth[i] != 0;
    }
    mine = handedOut;
  }
  seed = seed * kJumps.multiplier[k] + kJumps.increment[k];
  // Light values run from -500 to 1839, so 16 bits hold them.
  for (int i = 0; i < kLightChunk; ++i) {
    const auto v = static_cast<int16_t>(4 * (spot[i] + depth[i]) + mine[i] - 500);
    const uint8_t lit = v <= 1014 ? static_cast<uint8_t>(v - 768) : uint8_t{254};
    out[i] = ((depth[i] != 0) & (v >= 775)) ? lit : out[i];
  }
}

bool RowIsZero(const uint8_t* row) {
  uint64_t any = 0;
  for (int x = 0; x < kW; x += 8) {
    uint64_t eight;
    std::memcpy(&eight, row + x, sizeof eight);
    any |= eight;
  }
  return any == 0;
}

// Four Blur4 passes over rows 1..198 of the plane as one wavefront. Pass k + 1 may blur a row as
// soon as pass k has finished the row below it and no row of pass k still needs the old values,
// so with pass k + 1 two rows behind pass k every row's three upper/right/lower neighbour sums
// can be formed first and the four passes' independent left-neighbour chains then follow.
//
// Only rows that can hold anything are visited; the others are zero and stay zero. Above the
// non-zero band a pass reads zeros only, so the band grows by one row upwards per pass. Below it
// a pass reads zeros except from the row above and the left neighbour, both already blurred, so
// each row is at most half the row above: 8 rows below the band everything is zero again.
void BlurBand(uint8_t* plane, int firstNonZeroRow, int lastNonZeroRow) {
  constexpr int kPasses = 4;
  constexpr int kLag = 2;
  constexpr int kFirstRow = 1;
  constexpr int kLastRow = 198;
  constexpr int kDownwardReach = 8;
  if (firstNonZeroRow > lastNonZeroRow) return;  // an all-zero plane blurs to zeros
  int from[kPasses];
  int to[kPasses];
  for (int k = 0; k < kPasses; ++k) {
    from[k] = std::max(kFirstRow, firstNonZeroRow - 1 - k);
    to[k] = std::min(kLastRow, lastNonZeroRow + kDownwardReach * (k + 1));
  }
  // A pass whose row comes out all zero where the pass before is zero from the next row on has
  // only zeros left to make: its later rows read zeros only. zeroFrom[k] is that next row.
  int zeroFrom[kPasses];
  for (int& z : zeroFrom) z = kLastRow + 2;
  unsigned left[kPasses] = {};
  for (int step = from[0]; step <= to[kPasses - 1] + kLag * (kPasses - 1); ++step) {
    // The passes with a row at this step, in order; their rows are two apart, so none is
    // another's neighbour.
    uint8_t* rows[kPasses];
    unsigned lefts[kPasses];
    int active[kPasses];
    int n = 0;
    for (int k = 0; k < kPasses; ++k) {
      const int row = step - kLag * k;
      if (row < from[k] || row > to[k]) continue;
      rows[n] = plane + row * kW;
      if (row == from[k]) left[k] = rows[n][-1];  // the last byte of the (unchanged) row above
      lefts[n] = left[k];
      active[n++] = k;
    }
    switch (n) {
      case 1: BlurRows<1>(rows, lefts); break;
      case 2: BlurRows<2>(rows, lefts); break;
      case 3: BlurRows<3>(rows, lefts); break;
      case 4: BlurRows<4>(rows, lefts); break;
      default: break;
    }
    for (int i = 0; i < n; ++i) {
      const int k = active[i];
      left[k] = lefts[i];
      const int row = step - kLag * k;
      const int settled = k == 0 ? lastNonZeroRow : zeroFrom[k - 1] - 1;
      if (row >= settled && RowIsZero(rows[i])) {
        zeroFrom[k] = row + 1;
        to[k] = row;
      }
    }
  }
}

// The first and last rows of the plane with a non-zero byte (first > last when there is none).
void NonZeroRows(const uint8_t* plane, int& first, int& last) {
  first = kScreenHeight;
  last = -1;
  for (int row = 0; row < kScreenHeight; ++row) {
    if (RowIsZero(plane + row * kW)) continue;
    first = std::min(first, row);
    last = row;
  }
}

}  // namespace

void LoadLogoMesh() {
  const unsigned char* data = vesk_core_logo_mesh_bin;
  const unsigned size = vesk_core_logo_mesh_bin_size;
  LogoVertexCount = 0;
  LogoFaceCount = 0;
  if (size < 4) return;
  const unsigned vertices = ReadU16(data);
  const unsigned faces = ReadU16(data + 2);
  // Only what the stored bytes hold and the arrays have room for is taken; a face that names a
  // vertex beyond them is dropped.
  const unsigned storedVertices = (size - 4) / 6 < vertices ? (size - 4) / 6 : vertices;
  const unsigned vertexCount = storedVertices < kMaxLogoVertices ? storedVertices : kMaxLogoVertices;
  for (unsigned k = 0; k < vertexCount; ++k) {
    const unsigned char* v = data + 4 + 6 * k;
    LogoVertices[k] = {static_cast<int16_t>(ReadU16(v)), static_cast<int16_t>(ReadU16(v + 2)),
                       static_cast<int16_t>(ReadU16(v + 4))};
  }
  LogoVertexCount = static_cast<uint16_t>(vertexCount);
  if (storedVertices < vertices) return;
  const unsigned faceBase = 4 + 6 * vertices;
  const unsigned storedFaces = (size - faceBase) / 6 < faces ? (size - faceBase) / 6 : faces;
  unsigned kept = 0;
  for (unsigned f = 0; f < storedFaces && kept < kMaxLogoFaces; ++f) {
    const unsigned char* p = data + faceBase + 6 * f;
    const FaceRecord face{{ReadU16(p), ReadU16(p + 2), ReadU16(p + 4)}};
    if (face.corner[0] >= vertexCount || face.corner[1] >= vertexCount || face.corner[2] >= vertexCount) continue;
    LogoFaces[kept++] = face;
  }
  LogoFaceCount = static_cast<uint16_t>(kept);
}

void FetchMeshVertex(uint16_t k) { VertexInput = LogoVertices[k]; }

void BuildSpotTable() {
  for (int v = 0; v < 256; ++v) {
    for (int u = 0; u < 256; ++u) {
      const int du = u - kSpotHalf;
      const int dv = v - kSpotHalf;
      const auto d = static_cast<int>(std::nearbyint(std::sqrt(static_cast<double>(du * du + dv * dv))));
      SpotTable[v * 256 + u] = static_cast<uint8_t>(230 - d + Random(10));
    }
  }
}

int16_t SpotCentreX(int32_t t) {
  const auto s = static_cast<int16_t>(static_cast<uint16_t>(t) >> 1);
  return static_cast<int16_t>(std::nearbyint(100 * std::sin(DegreesToRadians(s))) + 160);
}

void UpdateSway() {
  const int ahead = SweepAngle + kSweepReach * SweepDirection;
  if (ahead > kSweepHigh || ahead < kSweepLow) SweepDirection = static_cast<int16_t>(-SweepDirection);
  RotationAngles[0] = static_cast<int16_t>(Random(10) - 5);
  SweepAngle = static_cast<int16_t>(SweepAngle + Random(10) * SweepDirection - 2);
  RotationAngles[1] = SweepAngle;
  RotationAngles[2] = static_cast<int16_t>(Random(10) - 5);
}

void BlurFourTimes(uint8_t* plane) {
  int first = 0;
  int last = 0;
  NonZeroRows(plane, first, last);
  BlurBand(plane, first, last);
}

void LightLogo() {
  if (SpotX < -127 || SpotX > 447) return;
  const int x0 = SpotX - kSpotHalf < 0 ? 0 : SpotX - kSpotHalf;
  const int x1 = SpotX + kSpotHalf > kW ? kW : SpotX + kSpotHalf;
  const int y0 = kSpotRow - kSpotHalf < 0 ? 0 : kSpotRow - kSpotHalf;
  const int y1 = kSpotRow + kSpotHalf > kLitRowsEnd ? kLitRowsEnd : kSpotRow + kSpotHalf;
  const int w = x1 - x0;
  uint32_t seed = RandomSeed;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* depth = DepthPlane + y * kW + x0;
    uint8_t* out = FinalPlane + y * kW + x0;
    // The spot's table row runs on into the next, so a last chunk's reads stay inside it.
    const uint8_t* spot = SpotTable + (y - kSpotRow + kSpotHalf) * 256 + kSpotHalf - SpotX + x0;
    int c = 0;
    for (; c + kLightChunk <= w; c += kLightChunk) LightChunk(depth + c, spot + c, out + c, seed);
    if (c < w) {
      // The last few pixels in padded copies, uncovered past the square's edge.
      const auto rest = static_cast<size_t>(w - c);
      alignas(16) uint8_t restDepth[kLightChunk] = {};
      alignas(16) uint8_t restOut[kLightChunk] = {};
      std::memcpy(restDepth, depth + c, rest);
      std::memcpy(restOut, out + c, rest);
      LightChunk(restDepth, spot + c, restOut, seed);
      std::memcpy(out + c, restOut, rest);
    }
  }
  RandomSeed = seed;
}

void SetUpFinalScene() {
  SweepAngle = kStartSweep;
  ProjectionDistance = 150;
  ProjectionScale = -200;
  BuildFinalPalette();
  SetPalette(FinalPalette, kFinalPaletteEntries);
  BuildSpotTable();
  LoadLogoMesh();
}

void DrawFinalFrame(int32_t t) {
  std::memset(FinalPlanes, 0, sizeof FinalPlanes);
  SpotX = SpotCentreX(t);
  UpdateSway();
  BuildRotation();
  VertexFetch = FetchMeshVertex;
  ProjectVertexList(LogoVertexCount, ProjectedVertices);
  if (LogoFaceCount > 0) {
    PixelCallback = PlotMaxPixel;
    CullMode = 1;
    DrawFaceList(LogoFaces, ProjectedVertices, LogoFaceCount);
  }
  LightLogo();
  BlurFourTimes(FinalPlane);
  ClearEdgeColumns(FinalPlane, 2);
  ClearEdgeColumns(FinalPlane, -2);
}
