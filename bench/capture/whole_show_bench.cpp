// How fast the whole show captures at 60 fps writing only the trace to /dev/null, and what that saves against the
// same capture with the screen drawn although nothing looks at it (runs paired, so both see the same machine).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "host/capture/capture_options.h"
#include "host/capture/capture_session.h"

namespace {

// One whole-show capture; its wall seconds, or a negative number when it failed.
double TimedCapture(bool drawScreen, double* showSeconds) {
  CaptureOptions options;
  options.progress = false;
  options.fps = 60;
  options.nosound = true;
  options.traceFile = "/dev/null";
  options.drawUnwatchedScreen = drawScreen;
  CaptureSummary summary;
  const auto start = std::chrono::steady_clock::now();
  if (RunCapture(options, nullptr, &summary) != 0) return -1;
  *showSeconds = static_cast<double>(summary.endUnits) / static_cast<double>(summary.unitsPerSecond);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void WholeShowTraceToNull(benchmark::State& state) {
  std::vector<double> plain;
  std::vector<double> drawn;
  std::vector<double> ratios;
  double showSeconds = 0;
  for (auto _ : state) {
    const double a = TimedCapture(false, &showSeconds);
    const double b = TimedCapture(true, &showSeconds);
    if (a < 0 || b < 0) {
      state.SkipWithError("the capture failed");
      return;
    }
    state.SetIterationTime(a);
    plain.push_back(a);
    drawn.push_back(b);
    ratios.push_back(a / b);
  }
  state.counters["wall_s"] = Median(plain);
  state.counters["drawn_wall_s"] = Median(drawn);
  state.counters["ratio_to_drawn"] = Median(ratios);
  state.counters["x_real_time"] = showSeconds / Median(plain);
}
BENCHMARK(WholeShowTraceToNull)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
