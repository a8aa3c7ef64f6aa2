// Timings of the shared drawing routines and of the whole start-up work.
#include <benchmark/benchmark.h>

#include <cstring>

#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_glow.h"
#include "core/text_records.h"

namespace {

void FillNoise(uint8_t* p, int n, uint32_t seed) {
  for (int i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    p[i] = static_cast<uint8_t>(seed >> 24);
  }
}

void BM_RenderTextLine35(benchmark::State& state) {
  ResetShowState();
  ScreenCentre = {240, 130};
  RotationAngles[0] = 45;
  RotationAngles[1] = 180;
  RotationAngles[2] = 65;
  const TextRecord record = LoadTextRecord(NameRecord2);
  for (auto _ : state) {
    RenderTextLine(record, 35, NameImage2);
    benchmark::DoNotOptimize(NameImage2[0]);
  }
}
BENCHMARK(BM_RenderTextLine35)->Unit(benchmark::kMillisecond);

void BM_GlowPass(benchmark::State& state) {
  ResetShowState();
  FillNoise(GlowBuffer, kPlaneBytes, 1);
  const int distance = static_cast<int>(state.range(0));
  for (auto _ : state) {
    GlowPass(distance);
    benchmark::DoNotOptimize(GlowBuffer[0]);
  }
}
BENCHMARK(BM_GlowPass)->Arg(1)->Arg(18)->Arg(35)->Unit(benchmark::kMicrosecond);

void BM_FireDecay(benchmark::State& state) {
  ResetShowState();
  for (auto _ : state) {
    FireDecay(DisplacementMap, kPlaneBytes);
    benchmark::DoNotOptimize(DisplacementMap[0]);
  }
}
BENCHMARK(BM_FireDecay)->Unit(benchmark::kMicrosecond);

void BM_RadialSmear(benchmark::State& state) {
  ResetShowState();
  FillNoise(GlowScratch, kPlaneBytes, 2);
  FillNoise(GlowBuffer, kPlaneBytes, 3);
  SmearCentre = {166, 104};
  for (auto _ : state) {
    RadialSmear(GlowScratch);
    benchmark::DoNotOptimize(GlowScratch[0]);
  }
}
BENCHMARK(BM_RadialSmear)->Unit(benchmark::kMicrosecond);

void BM_Blur4(benchmark::State& state) {
  ResetShowState();
  FillNoise(GlowScratch, kPlaneBytes, 4);
  for (auto _ : state) {
    Blur4(GlowScratch + kScreenWidth);
    benchmark::DoNotOptimize(GlowScratch[0]);
  }
}
BENCHMARK(BM_Blur4)->Unit(benchmark::kMicrosecond);

void Discard(int x, int y) { benchmark::DoNotOptimize(x + y); }

void BM_RasterTriangle(benchmark::State& state) {
  ResetShowState();
  PixelCallback = state.range(0) == 0 ? Discard : PlotWorkPixel;
  for (auto _ : state) {
    RasterTriangle({-40, -30}, {300, 60}, {90, 230});
  }
}
BENCHMARK(BM_RasterTriangle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_BuildRingTexture(benchmark::State& state) {
  ResetShowState();
  for (auto _ : state) {
    RandomSeed = 0;
    BuildRingTexture();
    benchmark::DoNotOptimize(RingTexture[0]);
  }
}
BENCHMARK(BM_BuildRingTexture)->Unit(benchmark::kMicrosecond);

void BM_BuildPolarTables(benchmark::State& state) {
  ResetShowState();
  RandomSeed = 0;
  BuildRingTexture();
  for (auto _ : state) {
    BuildPolarTables();
    benchmark::DoNotOptimize(RingTexture[0]);
  }
}
BENCHMARK(BM_BuildPolarTables)->Unit(benchmark::kMillisecond);

// The start-up work without the opening's polar tables: the three name renders, the ring
// texture and the 100 passes over the displacement map.
void BM_NamesRingAndDisplacement(benchmark::State& state) {
  struct Name {
    uint8_t* image;
    ScreenPoint centre;
    int16_t angles[3];
    int record;
    int passes;
  };
  const Name names[] = {
      {NameImage1, {200, 60}, {40, 180, 90}, NameRecord1, 30},
      {NameImage2, {240, 130}, {45, 180, 65}, NameRecord2, 35},
      {NameImage3, {160, 100}, {130, 180, 60}, NameRecord3, 30},
  };
  for (auto _ : state) {
    ResetShowState();
    for (const Name& n : names) {
      ScreenCentre = n.centre;
      for (int i = 0; i < 3; ++i) RotationAngles[i] = n.angles[i];
      RenderTextLine(LoadTextRecord(n.record), n.passes, n.image);
    }
    BuildRingTexture();
    std::memset(DisplacementMap, 0, kPlaneBytes);
    for (int pass = 0; pass < 100; ++pass) FireDecay(DisplacementMap, kPlaneBytes);
    benchmark::DoNotOptimize(DisplacementMap[0]);
  }
}
BENCHMARK(BM_NamesRingAndDisplacement)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PrepareShowTables(benchmark::State& state) {
  for (auto _ : state) {
    ResetShowState();
    PrepareShowTables();
    benchmark::DoNotOptimize(RandomSeed);
  }
}
BENCHMARK(BM_PrepareShowTables)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
