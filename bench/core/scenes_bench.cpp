// One frame of each scene, as the timeline draws it, after the show's start-up work.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/interface_block.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_records.h"

namespace {

std::vector<uint8_t> frame(kFrameBytes);

void PrepareOnce() {
  static bool done = false;
  if (done) return;
  ResetShowState();
  frameBuffer = frame.data();
  PrepareShowTables();
  done = true;
}

// t = 1600: the small disc under the full picture; 1285: a large burst on a frame that also
// decays the displacement map; 2000: a large burst without the decay.
void BM_OpeningFrame(benchmark::State& state) {
  PrepareOnce();
  SetUpOpeningScene();
  const auto t = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    std::memset(GlowScratch, 0, kPlaneBytes);
    DrawOpeningFrame(t);
    benchmark::DoNotOptimize(GlowScratch[100 * kScreenWidth + 160]);
  }
}
BENCHMARK(BM_OpeningFrame)->Arg(1600)->Arg(1285)->Arg(2000)->Unit(benchmark::kMicrosecond);

// The frame, then the smear that follows its presentation.
void BM_OrbitFrame(benchmark::State& state) {
  PrepareOnce();
  SetUpOrbitScene();
  std::memset(GlowScratch, 0, kPlaneBytes);
  std::memset(GlowBuffer, 0, kPlaneBytes);
  int32_t t = 0;
  for (int i = 0; i < 100; ++i) {  // let the trails build up first
    t += 2;
    DrawOrbitFrame(t);
    SmearOrbitTrails();
  }
  for (auto _ : state) {
    t = t < 2000 ? t + 2 : 200;
    DrawOrbitFrame(t);
    SmearOrbitTrails();
    benchmark::DoNotOptimize(CompositePlane[100 * kScreenWidth + 160]);
  }
}
BENCHMARK(BM_OrbitFrame)->Unit(benchmark::kMicrosecond);

// 1500 particles, all released, two steps in the frame.
void BM_CaptionFrame(benchmark::State& state) {
  PrepareOnce();
  SetUpCaptionScene(NameImage2, CaptionRecord2, 1500, 120, 190);
  const int32_t t = 600;
  for (auto _ : state) {
    PrevStageClock = t - 4;
    DrawCaptionFrame(t);
    benchmark::DoNotOptimize(GlowScratch[100 * kScreenWidth + 160]);
  }
  FinishCaptionScene();
}
BENCHMARK(BM_CaptionFrame)->Unit(benchmark::kMicrosecond);

void BM_FinalFrame(benchmark::State& state) {
  PrepareOnce();
  SetUpFinalScene();
  int32_t t = 0;
  for (auto _ : state) {
    t = t < 3000 ? t + 2 : 0;
    DrawFinalFrame(t);
    benchmark::DoNotOptimize(FinalPlane[100 * kScreenWidth + 160]);
  }
}
BENCHMARK(BM_FinalFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
