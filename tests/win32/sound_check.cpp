// sound_check.exe: the mixer over the waveOut output plays the show's module in real time, through waveOut when
// there is a device and silently when there is none. Exits 0 when order 1 is reached about when the music says it
// is due.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/mixer/mixer.h"
#include "platform/resources.h"
#include "platform/win32/win32_services.h"

namespace {

using Clock = std::chrono::steady_clock;

// Order 0 is 64 rows of 3 ticks at 136 BPM (2.5 / 136 s a tick): 3.53 s. Allowed: a little early for buffering,
// and late by what a loaded machine may add, but neither racing ahead nor stalled.
constexpr double kOrderSeconds = 64 * 3 * 2.5 / 136;
constexpr double kEarliest = kOrderSeconds - 0.5;
constexpr double kLatest = kOrderSeconds + 2.5;

}  // namespace

int main() {
  const platform::Resource module = platform::FindResource("xmfile");
  platform::win32::WaveOutput output;
  platform::Mixer music(output);
  music.OpenDevice();
  if (module.data == nullptr || !music.Load({module.data, module.size}) || !music.Play(0.0f)) {
    std::printf("FAIL: the module does not load or play\n");
    return 1;
  }
  const Clock::time_point start = Clock::now();
  double seconds = 0;
  while (music.Order() < 1 && seconds < kLatest + 1) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  const int32_t order = music.Order();
  const bool stopped = music.Stop();
  const bool freed = music.Free();
  music.CloseDevice();
  std::printf("order %d after %.2f s (due at %.2f s)\n", order, seconds, kOrderSeconds);
  if (order < 1 || seconds < kEarliest || seconds > kLatest || !stopped || !freed) {
    std::printf("FAIL\n");
    return 1;
  }
  return 0;
}
