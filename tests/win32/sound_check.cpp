// sound_check.exe: the Windows sound layer plays the show's module in real time, through waveOut when there is a
// device and silently when there is none. Exits 0 when order 1 is reached about when the music says it is due.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/resources.h"
#include "platform/sound.h"

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
  if (!platform::SoundInit(platform::kMixRate, platform::kSoftwareChannels, platform::kSoundGlobalFocus)) {
    std::printf("FAIL: SoundInit\n");
    return 1;
  }
  platform::Song* song = platform::LoadSongMemory(module.data, module.size);
  if (song == nullptr || !platform::SetPanSeparation(song, 0.0f) || !platform::PlaySong(song)) {
    std::printf("FAIL: the module does not load or play\n");
    return 1;
  }
  const Clock::time_point start = Clock::now();
  double seconds = 0;
  while (platform::GetOrder(song) < 1 && seconds < kLatest + 1) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  const int32_t order = platform::GetOrder(song);
  const bool stopped = platform::StopSong(song);
  const bool freed = platform::FreeSong(song);
  platform::SoundClose();
  std::printf("order %d after %.2f s (due at %.2f s)\n", order, seconds, kOrderSeconds);
  if (order < 1 || seconds < kEarliest || seconds > kLatest || !stopped || !freed) {
    std::printf("FAIL\n");
    return 1;
  }
  return 0;
}
