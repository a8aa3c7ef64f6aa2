// The final scene: the extruded logo swaying under a swinging, flickering spotlight.
#include "core/final.h"

#include <cmath>
#include <cstring>

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

// Random's step, kept in a register through the light's inner loop: the same generator and the
// same calls in the same order, without a call per covered pixel.
constexpr uint32_t kRandomMultiplier = 129;
constexpr uint32_t kRandomIncrement = 907633385;

// Four Blur4 passes over rows 1..198 of the plane as one wavefront. Pass k + 1 may blur a row as
// soon as pass k has finished the row below it and no row of pass k still needs the old values,
// so with pass k + 1 two rows behind pass k every row's three upper/right/lower neighbour sums
// can be formed first and the four passes' left-neighbour chains then run side by side.
void BlurFourTimes(uint8_t* plane) {
  constexpr int kPasses = 4;
  constexpr int kLag = 2;
  constexpr int kFirstRow = 1;
  constexpr int kLastRow = 198;
  uint16_t partial[kPasses][kW];
  unsigned left[kPasses];
  for (unsigned& l : left) l = plane[kW - 1];
  for (int step = kFirstRow; step <= kLastRow + kLag * (kPasses - 1); ++step) {
    uint8_t* rows[kPasses];
    int active = 0;
    for (int k = 0; k < kPasses; ++k) {
      const int row = step - kLag * k;
      rows[k] = row >= kFirstRow && row <= kLastRow ? plane + row * kW : nullptr;
      if (!rows[k]) continue;
      ++active;
      const uint8_t* p = rows[k];
      for (int x = 0; x < kW; ++x) {
        partial[k][x] = static_cast<uint16_t>(p[x + 1] + p[x + kW] + p[x - kW]);
      }
    }
    if (active == kPasses) {
      uint8_t* p0 = rows[0];
      uint8_t* p1 = rows[1];
      uint8_t* p2 = rows[2];
      uint8_t* p3 = rows[3];
      unsigned l0 = left[0], l1 = left[1], l2 = left[2], l3 = left[3];
      for (int x = 0; x < kW; ++x) {
        l0 = (partial[0][x] + l0) >> 2;
        l1 = (partial[1][x] + l1) >> 2;
        l2 = (partial[2][x] + l2) >> 2;
        l3 = (partial[3][x] + l3) >> 2;
        p0[x] = static_cast<uint8_t>(l0);
        p1[x] = static_cast<uint8_t>(l1);
        p2[x] = static_cast<uint8_t>(l2);
        p3[x] = static_cast<uint8_t>(l3);
      }
      left[0] = l0;
      left[1] = l1;
      left[2] = l2;
      left[3] = l3;
      continue;
    }
    for (int k = 0; k < kPasses; ++k) {
      if (!rows[k]) continue;
      unsigned l = left[k];
      for (int x = 0; x < kW; ++x) {
        l = (partial[k][x] + l) >> 2;
        rows[k][x] = static_cast<uint8_t>(l);
      }
      left[k] = l;
    }
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

void LightLogo() {
  if (SpotX < -127 || SpotX > 447) return;
  const int x0 = SpotX - kSpotHalf < 0 ? 0 : SpotX - kSpotHalf;
  const int x1 = SpotX + kSpotHalf > kW ? kW : SpotX + kSpotHalf;
  const int y0 = kSpotRow - kSpotHalf < 0 ? 0 : kSpotRow - kSpotHalf;
  const int y1 = kSpotRow + kSpotHalf > kLitRowsEnd ? kLitRowsEnd : kSpotRow + kSpotHalf;
  uint32_t seed = RandomSeed;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* depth = DepthPlane + y * kW;
    uint8_t* out = FinalPlane + y * kW;
    const uint8_t* spot = SpotTable + (y - kSpotRow + kSpotHalf) * 256 + kSpotHalf - SpotX;
    int x = x0;
    while (x < x1) {
      // Most of the spot's square is uncovered: step over 8 empty depth bytes at a time.
      if (x + 8 <= x1) {
        uint64_t eight;
        std::memcpy(&eight, depth + x, sizeof eight);
        if (eight == 0) {
          x += 8;
          continue;
        }
      }
      if (depth[x] != 0) {
        seed = seed * kRandomMultiplier + kRandomIncrement;
        const int draw = static_cast<int>((seed >> 16) % 300u);
        const int v = 4 * (spot[x] + depth[x]) + draw - 500;
        if (v >= 775) out[x] = v <= 1014 ? static_cast<uint8_t>(v - 768) : uint8_t{254};
      }
      ++x;
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
