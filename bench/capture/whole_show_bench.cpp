// How much faster than real time the whole show captures at 60 fps, writing only the trace to /dev/null.
#include <benchmark/benchmark.h>

#include <chrono>

#include "host/capture/capture_options.h"
#include "host/capture/capture_session.h"

namespace {

void WholeShowTraceToNull(benchmark::State& state) {
  CaptureOptions options;
  options.progress = false;
  options.fps = 60;
  options.traceFile = "/dev/null";
  double showSeconds = 0;
  double wallSeconds = 0;
  uint64_t frames = 0;
  for (auto _ : state) {
    CaptureSummary summary;
    const auto start = std::chrono::steady_clock::now();
    if (RunCapture(options, nullptr, &summary) != 0) {
      state.SkipWithError("the capture failed");
      return;
    }
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    showSeconds += static_cast<double>(summary.endUnits) / static_cast<double>(summary.unitsPerSecond);
    frames += summary.presents;
  }
  state.counters["show_s"] = showSeconds / static_cast<double>(state.iterations());
  state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
  state.counters["x_real_time"] = showSeconds / wallSeconds;
}
BENCHMARK(WholeShowTraceToNull)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
