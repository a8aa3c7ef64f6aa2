// The sound service's songs over the module player, serialised between the main thread and the output thread.
#include "platform/sdl/song_mixer.h"

#include <algorithm>

namespace sdlbackend {

platform::Song* SongMixer::Load(const void* data, uint32_t length) {
  if (data == nullptr || length == 0) return nullptr;
  std::unique_ptr<platform::ModulePlayer> player = platform::ModulePlayer::Load(data, length);
  if (player == nullptr) return nullptr;
  return new platform::Song{std::move(player)};
}

bool SongMixer::SetPanSeparation(platform::Song* song, float separation) {
  if (song == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  song->player->SetPanSeparation(separation);
  return true;
}

bool SongMixer::Play(platform::Song* song) {
  if (song == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  song->player->Rewind();
  playing_ = song;
  return true;
}

bool SongMixer::SetVolume(platform::Song* song, int32_t volume) {
  if (song == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  song->player->SetVolume(std::clamp(volume, 0, platform::kMaxMasterVolume));
  return true;
}

int32_t SongMixer::Order(platform::Song* song) {
  if (song == nullptr) return -1;
  std::lock_guard<std::mutex> lock(mutex_);
  return song->player->CurrentOrder();
}

bool SongMixer::Stop(platform::Song* song) {
  if (song == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (playing_ == song) playing_ = nullptr;
  return true;
}

bool SongMixer::Free(platform::Song* song) {
  if (song == nullptr) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (playing_ == song) playing_ = nullptr;
  }
  delete song;
  return true;
}

void SongMixer::Render(int32_t rate, int16_t* interleaved, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (playing_ == nullptr) {
    std::fill(interleaved, interleaved + frames * 2, int16_t{0});
    return;
  }
  playing_->player->Render(rate, interleaved, frames);
}

}  // namespace sdlbackend
