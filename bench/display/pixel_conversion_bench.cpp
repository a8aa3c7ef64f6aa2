// Timings of what every presented frame costs the host before the video device sees it.
#include <benchmark/benchmark.h>

#include <vector>

#include "display/pixel_conversion.h"

namespace {

struct Frame {
  Frame() : indices(kFrameBytes), expanded(kExpandedFrameBytes), surface(kScreenWidth * 4 * kScreenHeight) {
    uint32_t seed = 1;
    for (uint8_t& index : indices) {
      seed = seed * 1664525u + 1013904223u;
      index = static_cast<uint8_t>(seed >> 24);
    }
    for (int i = 0; i < kPaletteBytes; ++i) levels[i] = static_cast<uint8_t>(i % 64);
    RefreshPalette(levels, colourTable);
  }
  std::vector<uint8_t> indices, expanded, surface;
  uint8_t levels[kPaletteBytes] = {};
  uint8_t colourTable[kColourTableBytes] = {};
};

void BM_ExpandFrame(benchmark::State& state) {
  Frame f;
  for (auto _ : state) {
    ExpandFrame(f.indices.data(), f.colourTable, f.expanded.data());
    benchmark::DoNotOptimize(f.expanded.data());
  }
}
BENCHMARK(BM_ExpandFrame)->Unit(benchmark::kMicrosecond);

void BM_PackFrame(benchmark::State& state) {
  Frame f;
  const auto depth = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    PackFrame(f.expanded.data(), f.surface.data(), kScreenWidth * 4, depth, 1);
    benchmark::DoNotOptimize(f.surface.data());
  }
}
BENCHMARK(BM_PackFrame)->Arg(32)->Arg(24)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace
