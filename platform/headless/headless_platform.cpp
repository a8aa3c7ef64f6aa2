// The headless platform: the memory display whose presents move simulated time, the ticker that time drives and
// the module rendered offline in step with it.
#include "platform/headless/headless.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/openmpt/module_player.h"
#include "platform/threading.h"

namespace headless {

namespace {

constexpr size_t kAudioChunkFrames = 4096;

class Display : public platform::MemoryDevice {
 public:
  explicit Display(Backend& backend);

 protected:
  void OnPresented(const platform::Rect& picture) override;

 private:
  Backend& b_;
};

class Clock : public platform::Ticker {
 public:
  explicit Clock(Backend& backend) : b_(backend) {}
  bool Start(int32_t periodMs, std::function<void()> tick) override;
  void Stop() override;

 private:
  Backend& b_;
};

class Player : public platform::MusicPlayer {
 public:
  explicit Player(Backend& backend) : b_(backend) {}
  bool OpenDevice() override { return true; }
  void CloseDevice() override {}
  bool Load(std::span<const uint8_t> data) override;
  bool Play(float panSeparation) override;
  bool SetVolume(int32_t volume) override;
  int32_t Order() override;
  bool Pause(bool paused) override;
  bool Stop() override;
  bool Free() override;

 private:
  Backend& b_;
};

// A song nobody hears, rendered on its own thread: the show draws its next frame while the music catches up with
// the time just reached. The chunks are the ones the in-line rendering would use, in the same order, and anything
// that asks or changes the song first waits for them, so the song's position is the same at every question.
class UnheardSong {
 public:
  explicit UnheardSong(platform::ModulePlayer& song) : song_(song), worker_([this] { Loop(); }) {}
  ~UnheardSong() {
    {
      const std::lock_guard lock(mutex_);
      closing_ = true;
    }
    wake_.notify_all();
    worker_.join();
  }
  UnheardSong(const UnheardSong&) = delete;
  UnheardSong& operator=(const UnheardSong&) = delete;

  void Render(size_t frames) {
    {
      const std::lock_guard lock(mutex_);
      pending_.push_back(frames);
    }
    wake_.notify_all();
  }

  platform::ModulePlayer& Settled() {
    std::unique_lock lock(mutex_);
    settled_.wait(lock, [this] { return pending_.empty() && !busy_; });
    return song_;
  }

 private:
  void Loop() {
    std::vector<int16_t> scratch(2 * kAudioChunkFrames);
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return closing_ || !pending_.empty(); });
      if (closing_) return;
      const size_t frames = pending_.front();
      pending_.pop_front();
      busy_ = true;
      lock.unlock();
      song_.Render(platform::kMixRate, scratch.data(), frames);
      lock.lock();
      busy_ = false;
      if (pending_.empty()) settled_.notify_all();
    }
  }

  platform::ModulePlayer& song_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable settled_;
  std::deque<size_t> pending_;
  bool busy_ = false;
  bool closing_ = false;
  std::thread worker_;  // last: starts once the rest is in place
};

}  // namespace

struct Backend {
  Backend(const Settings& s, Observer* o) : settings(s), observer(o) {
    if (settings.fps == 0) settings.fps = 1;
  }

  uint64_t UnitsPerSecond() const { return kUnitsPerFrameTime * settings.fps; }
  uint64_t SampleAt(uint64_t units) const { return units * platform::kMixRate / UnitsPerSecond(); }
  uint64_t NextVerticalBlank() const { return (now / kUnitsPerFrameTime + 1) * kUnitsPerFrameTime; }
  // Whole ticker periods since the ticker started: ms = units / fps.
  uint64_t PeriodsAt(uint64_t units) const { return (units - tickStart) / (tickPeriodMs * settings.fps); }

  // Moves time forward to units, delivering ticker periods and rendering sound on the way.
  void AdvanceTo(uint64_t units) {
    if (units <= now) return;
    if (ticking) {
      const uint64_t after = PeriodsAt(units);
      for (uint64_t p = PeriodsAt(now); p < after && ticking; ++p) tick();
    }
    RenderSoundTo(units);
    now = units;
  }

  // The song, once everything asked of it so far is rendered.
  platform::ModulePlayer& Song() { return unheard ? unheard->Settled() : *song; }

  void RenderSoundTo(uint64_t units) {
    const uint64_t target = SampleAt(units);
    while (samplesDone < target) {
      const auto frames = static_cast<size_t>(std::min<uint64_t>(target - samplesDone, kAudioChunkFrames));
      samplesDone += frames;
      const bool audible = songPlaying && !songPaused;
      if (unheard && audible) {
        unheard->Render(frames);
        continue;
      }
      audioScratch.resize(2 * kAudioChunkFrames);
      int16_t* samples = audioScratch.data();
      if (song && audible) {
        song->Render(platform::kMixRate, samples, frames);
      } else if (settings.audioWanted) {
        std::fill(samples, samples + 2 * frames, int16_t{0});
      }
      if (settings.audioWanted && observer != nullptr) observer->OnAudio(samples, frames);
    }
  }

  Settings settings;
  Observer* observer;
  uint64_t now = 0;  // units of 1 / (1000 * fps) s

  std::function<void()> tick;
  bool ticking = false;
  uint64_t tickStart = 0;
  uint64_t tickPeriodMs = 0;

  std::unique_ptr<platform::ModulePlayer> song;
  std::unique_ptr<UnheardSong> unheard;  // renders song when nobody listens; goes before song does
  bool songPlaying = false;
  bool songPaused = false;  // held where it is: time passes in silence
  bool startupDelayDone = false;
  uint64_t samplesDone = 0;
  std::vector<int16_t> audioScratch;

  Display display{*this};
  Clock clock{*this};
  Player player{*this};
};

namespace {

Display::Display(Backend& backend)
    : MemoryDevice(platform::StandardMemoryDisplay(backend.settings.screenWidth, backend.settings.screenHeight)),
      b_(backend) {
  SetObserved(backend.settings.pixelsWanted);
}

void Display::OnPresented(const platform::Rect& picture) {
  if (b_.observer != nullptr) b_.observer->OnScreen(Screen(), picture, b_.now);
  b_.AdvanceTo(b_.NextVerticalBlank());
}

bool Clock::Start(int32_t periodMs, std::function<void()> tick) {
  if (periodMs <= 0 || !tick || b_.ticking) return false;
  b_.tick = std::move(tick);
  b_.ticking = true;
  b_.tickStart = b_.now;
  b_.tickPeriodMs = static_cast<uint64_t>(periodMs);
  return true;
}

// The tick itself stays until the next Start: Stop may be called from inside it.
void Clock::Stop() { b_.ticking = false; }

bool Player::Load(std::span<const uint8_t> data) {
  b_.unheard.reset();
  b_.song = platform::ModulePlayer::Load(data.data(), data.size());
  b_.songPlaying = false;
  b_.songPaused = false;
  // Nobody listens: only the module's position matters, which does not depend on how finely it is mixed.
  if (b_.song && !b_.settings.audioWanted) {
    b_.song->SetSoundUnheard();
    if (platform::kThreadsAvailable) b_.unheard = std::make_unique<UnheardSong>(*b_.song);
  }
  return b_.song != nullptr;
}

bool Player::Play(float panSeparation) {
  // The core's start-up work before it starts the music takes the simulated start-up time, once.
  if (!b_.startupDelayDone) {
    b_.startupDelayDone = true;
    b_.AdvanceTo(b_.now + uint64_t{b_.settings.startupMs} * b_.settings.fps);
  }
  if (!b_.song) return false;
  b_.Song().SetPanSeparation(panSeparation);
  b_.Song().Rewind();
  b_.songPlaying = true;
  return true;
}

bool Player::SetVolume(int32_t volume) {
  if (b_.song) b_.Song().SetVolume(volume);
  return b_.song != nullptr;
}

int32_t Player::Order() { return b_.song ? b_.Song().CurrentOrder() : -1; }

bool Player::Pause(bool paused) {
  b_.songPaused = paused;
  return b_.song != nullptr;
}

bool Player::Stop() {
  b_.songPlaying = false;
  return b_.song != nullptr;
}

bool Player::Free() {
  const bool loaded = b_.song != nullptr;
  b_.unheard.reset();
  b_.song.reset();
  b_.songPlaying = false;
  return loaded;
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(const Settings& settings, Observer* observer)
    : backend_(std::make_unique<Backend>(settings, observer)) {}
HeadlessPlatform::~HeadlessPlatform() = default;

platform::VideoDevice& HeadlessPlatform::Video() { return backend_->display; }
platform::EventSource& HeadlessPlatform::Events() { return backend_->display; }
platform::Ticker& HeadlessPlatform::Ticker() { return backend_->clock; }
platform::MusicPlayer& HeadlessPlatform::Music() { return backend_->player; }
platform::MemoryDevice& HeadlessPlatform::Device() { return backend_->display; }

uint64_t HeadlessPlatform::Now() const { return backend_->now; }
uint64_t HeadlessPlatform::UnitsPerSecond() const { return backend_->UnitsPerSecond(); }
uint64_t HeadlessPlatform::SampleAt(uint64_t units) const { return backend_->SampleAt(units); }
void HeadlessPlatform::FlushAudio() { backend_->RenderSoundTo(backend_->now); }

}  // namespace headless
