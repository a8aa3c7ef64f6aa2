// The sound service's songs over the module player, serialised between the main thread and the output thread.
#include "platform/sdl/song_mixer.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace sdlbackend {

platform::Song* SongMixer::Load(const void* data, uint32_t length) {
  if (data == nullptr || length == 0) return nullptr;
  auto* song = new platform::Song;
  song->loading = std::async(std::launch::async, [data, length] { return platform::ModulePlayer::Load(data, length); });
  return song;
}

platform::ModulePlayer* SongMixer::Player(platform::Song* song) {
  if (song == nullptr) return nullptr;
  if (song->loading.valid()) song->player = song->loading.get();
  return song->player.get();
}

bool SongMixer::SetPanSeparation(platform::Song* song, float separation) {
  std::lock_guard<std::mutex> lock(mutex_);
  platform::ModulePlayer* player = Player(song);
  if (player == nullptr) return false;
  player->SetPanSeparation(separation);
  return true;
}

bool SongMixer::Play(platform::Song* song) {
  std::lock_guard<std::mutex> lock(mutex_);
  platform::ModulePlayer* player = Player(song);
  if (player == nullptr) return false;
  player->Rewind();
  playing_ = song;
  return true;
}

bool SongMixer::SetVolume(platform::Song* song, int32_t volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  platform::ModulePlayer* player = Player(song);
  if (player == nullptr) return false;
  player->SetVolume(std::clamp(volume, 0, platform::kMaxMasterVolume));
  return true;
}

int32_t SongMixer::Order(platform::Song* song) {
  std::lock_guard<std::mutex> lock(mutex_);
  platform::ModulePlayer* player = Player(song);
  return player != nullptr ? player->CurrentOrder() : -1;
}

bool SongMixer::Stop(platform::Song* song) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Player(song) == nullptr) return false;
  if (playing_ == song) playing_ = nullptr;
  return true;
}

bool SongMixer::Free(platform::Song* song) {
  if (song == nullptr) return false;
  bool readable = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    readable = Player(song) != nullptr;
    if (playing_ == song) playing_ = nullptr;
  }
  delete song;
  return readable;
}

void SongMixer::Render(int32_t rate, int16_t* interleaved, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (playing_ == nullptr) {
    std::fill(interleaved, interleaved + frames * 2, int16_t{0});
    return;
  }
  Player(playing_)->Render(rate, interleaved, frames);
}

void SongMixer::RenderUnheardInRealTime(int32_t rate, const std::atomic<bool>& closing) {
  constexpr size_t kChunkFrames = 2048;
  constexpr auto kInterval = std::chrono::milliseconds(10);
  std::vector<int16_t> scratch(kChunkFrames * 2);
  const auto start = std::chrono::steady_clock::now();
  uint64_t rendered = 0;
  while (!closing.load()) {
    const uint64_t due = FramesDue(std::chrono::steady_clock::now() - start, rate);
    while (rendered < due) {
      const auto frames = static_cast<size_t>(std::min<uint64_t>(due - rendered, kChunkFrames));
      Render(rate, scratch.data(), frames);
      rendered += frames;
    }
    std::this_thread::sleep_for(kInterval);
  }
}

}  // namespace sdlbackend
