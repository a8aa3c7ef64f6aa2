// The headless clock: simulated time, the timer periods it passes, and the sound rendered in step with it.
#include <algorithm>

#include "platform/headless/headless_internal.h"
#include "platform/sound.h"

namespace headless {

namespace {

constexpr uint64_t kPeriodMs = 20;
constexpr size_t kAudioChunkFrames = 4096;

uint64_t PeriodsAt(const Backend& b, uint64_t units) {
  // Whole 20 ms periods since the timer started: ms = units / fps.
  return (units - b.timerStart) / (kPeriodMs * b.settings.fps);
}

void RenderSoundTo(Backend& b, uint64_t units) {
  const uint64_t target = SampleAt(units);
  while (b.samplesDone < target) {
    const size_t frames = static_cast<size_t>(std::min<uint64_t>(target - b.samplesDone, kAudioChunkFrames));
    if (b.audioScratch.size() < 2 * kAudioChunkFrames) b.audioScratch.resize(2 * kAudioChunkFrames);
    int16_t* samples = b.audioScratch.data();
    if (b.song && b.songPlaying) {
      b.song->Render(platform::kMixRate, samples, frames);
    } else if (b.settings.audioWanted) {
      std::fill(samples, samples + 2 * frames, int16_t{0});
    }
    if (b.settings.audioWanted && b.observer != nullptr) b.observer->OnAudio(samples, frames);
    b.samplesDone += frames;
  }
}

}  // namespace

Backend& State() {
  static Backend backend;
  return backend;
}

uint64_t Now() { return State().now; }
uint64_t UnitsPerSecond() { return kUnitsPerFrameTime * State().settings.fps; }
uint64_t SampleAt(uint64_t units) { return units * platform::kMixRate / UnitsPerSecond(); }

uint64_t NextVerticalBlank() { return (State().now / kUnitsPerFrameTime + 1) * kUnitsPerFrameTime; }

void AdvanceTo(uint64_t units) {
  Backend& b = State();
  if (units <= b.now) return;
  if (b.timerCallback != nullptr) {
    const uint64_t before = PeriodsAt(b, b.now);
    const uint64_t after = PeriodsAt(b, units);
    for (uint64_t p = before; p < after; ++p) b.timerCallback(b.timerId, 0, b.timerUser, 0, 0);
  }
  RenderSoundTo(b, units);
  b.now = units;
}

void FlushAudio() { RenderSoundTo(State(), State().now); }

void Configure(const Settings& settings, Observer* observer) {
  Backend& b = State();
  ResetDisplay();
  ResetWindows();
  b.song.reset();
  b = Backend{};
  b.settings = settings;
  if (b.settings.fps == 0) b.settings.fps = 1;
  b.observer = observer;
}

}  // namespace headless

namespace platform {

uint32_t TimeBeginPeriod(uint32_t) { return 0; }
uint32_t TimeEndPeriod(uint32_t) { return 0; }

uint32_t TimeSetEvent(uint32_t delayMs, uint32_t, TimerCallback callback, uintptr_t user, uint32_t flags) {
  headless::Backend& b = headless::State();
  // Only the show's one periodic 20 ms timer is simulated.
  if (callback == nullptr || delayMs != 20 || flags != kTimePeriodic || b.timerCallback != nullptr) return 0;
  b.timerCallback = callback;
  b.timerUser = user;
  b.timerStart = b.now;
  b.timerId = 1;
  return b.timerId;
}

uint32_t TimeKillEvent(uint32_t timerId) {
  headless::Backend& b = headless::State();
  if (timerId == 0 || timerId != b.timerId) return 1;
  b.timerCallback = nullptr;
  b.timerId = 0;
  return 0;
}

}  // namespace platform
