// The mixer: the module player serialised between the main thread and the output's thread.
#include "platform/mixer/mixer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/openmpt/module_player.h"

namespace platform {

uint64_t FramesDue(std::chrono::steady_clock::duration elapsed, int32_t rate) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return micros <= 0 ? 0 : static_cast<uint64_t>(micros) * static_cast<uint64_t>(rate) / 1'000'000u;
}

Mixer::Mixer(AudioOutput& output, Trace trace) : output_(output), trace_(trace) {}

Mixer::~Mixer() {
  if (preparing_.joinable()) preparing_.join();
  CloseDevice();
}

bool Mixer::OpenDevice() {
  if (device_.joinable()) return false;
  closing_ = false;
  device_ = std::thread([this] {
    const char* why = "unknown reason";
    if (output_.Open(kMixRate, [this](int16_t* interleaved, size_t frames) { Render(interleaved, frames); },
                     &why)) {
      outputOpen_ = true;
      return;
    }
    std::fprintf(stderr, "vesk: no audio device (%s); the music plays silently\n", why);
    SetUnheard(true);
    // Between the main thread's calls the song is kept near the present moment, so that no call has a long
    // stretch to catch up on.
    std::unique_lock<std::mutex> lock(mutex_);
    while (!closing_) {
      closingChanged_.wait_for(lock, kUnheardInterval);
      CatchUpUnheard();
    }
  });
  return true;
}

void Mixer::CloseDevice() {
  if (!device_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  closingChanged_.notify_all();
  device_.join();
  if (outputOpen_.exchange(false)) output_.Close();
  SetUnheard(false);
}

void Mixer::Prepare(std::span<const uint8_t> data) {
  if (preparing_.joinable()) return;
  preparedData_ = data;
  preparing_ = std::thread([this, data] { prepared_ = ModulePlayer::Load(data.data(), data.size()); });
}

bool Mixer::Load(std::span<const uint8_t> data) {
  // Read on the calling thread, unless read ahead: the answer is then known at once.
  std::unique_ptr<ModulePlayer> player;
  if (preparing_.joinable()) {
    preparing_.join();
    if (data.data() == preparedData_.data() && data.size() == preparedData_.size()) player = std::move(prepared_);
    prepared_.reset();
    preparedData_ = {};
  }
  if (player == nullptr) player = ModulePlayer::Load(data.data(), data.size());
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpUnheard();
  player_ = std::move(player);
  if (player_ != nullptr && unheard_) player_->SetSoundUnheard(true);
  playing_ = false;
  paused_ = false;
  return player_ != nullptr;
}

bool Mixer::Play(float panSeparation) {
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpUnheard();
  if (player_ == nullptr) return false;
  player_->SetPanSeparation(panSeparation);
  player_->Rewind();
  playing_ = true;
  return true;
}

bool Mixer::SetVolume(int32_t volume) {
  if (trace_ != nullptr) trace_(("master-volume " + std::to_string(volume)).c_str());
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpUnheard();
  if (player_ == nullptr) return false;
  player_->SetVolume(std::clamp(volume, 0, kFullVolume));
  return true;
}

int32_t Mixer::Order() {
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpUnheard();
  return player_ != nullptr ? player_->CurrentOrder() : -1;
}

bool Mixer::Pause(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpUnheard();
  paused_ = paused;
  return player_ != nullptr;
}

bool Mixer::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  CatchUpUnheard();
  playing_ = false;
  return player_ != nullptr;
}

bool Mixer::Free() {
  std::unique_ptr<ModulePlayer> freed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    CatchUpUnheard();
    freed = std::move(player_);
    playing_ = false;
  }
  return freed != nullptr;
}

void Mixer::Render(int16_t* interleaved, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  RenderLocked(interleaved, frames);
}

void Mixer::RenderLocked(int16_t* interleaved, size_t frames) {
  if (!playing_ || paused_) {
    std::fill(interleaved, interleaved + frames * 2, int16_t{0});
    return;
  }
  player_->Render(kMixRate, interleaved, frames);
}

void Mixer::CatchUpUnheard() {
  if (!unheard_) return;
  const uint64_t due = FramesDue(std::chrono::steady_clock::now() - unheardSince_, kMixRate);
  while (unheardRendered_ < due) {
    const auto frames = static_cast<size_t>(std::min<uint64_t>(due - unheardRendered_, kUnheardChunkFrames));
    RenderLocked(unheardScratch_, frames);
    unheardRendered_ += frames;
  }
}

void Mixer::SetUnheard(bool unheard) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (unheard == unheard_) return;
  unheard_ = unheard;
  unheardSince_ = std::chrono::steady_clock::now();
  unheardRendered_ = 0;
  if (player_ != nullptr) player_->SetSoundUnheard(unheard);
}

}  // namespace platform
