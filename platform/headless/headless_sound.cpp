// The headless sound device: the module rendered offline, in step with simulated time.
#include "platform/headless/headless_internal.h"
#include "platform/sound.h"

namespace platform {

// The one song of the backend; its engine lives in the backend's state.
struct Song {};

namespace {

Song theSong;

bool IsLoaded(Song* song) { return song == &theSong && headless::State().song != nullptr; }

}  // namespace

bool SoundInit(int32_t, int32_t, uint32_t) { return true; }
void SoundClose() {}

Song* LoadSongMemory(const void* data, uint32_t length) {
  headless::Backend& b = headless::State();
  b.song = ModulePlayer::Load(data, length);
  b.songPlaying = false;
  // Nobody listens: only the module's position matters, which does not depend on how finely it is mixed.
  if (b.song && !b.settings.audioWanted) b.song->SetSoundUnheard();
  return b.song ? &theSong : nullptr;
}

bool SetPanSeparation(Song* song, float separation) {
  if (!IsLoaded(song)) return false;
  headless::State().song->SetPanSeparation(separation);
  return true;
}

bool PlaySong(Song* song) {
  headless::Backend& b = headless::State();
  // The core's start-up work before it starts the music takes the simulated start-up time, once.
  if (!b.startupDelayDone) {
    b.startupDelayDone = true;
    headless::AdvanceTo(b.now + uint64_t{b.settings.startupMs} * b.settings.fps);
  }
  if (!IsLoaded(song)) return false;
  b.song->Rewind();
  b.songPlaying = true;
  return true;
}

bool SetMasterVolume(Song* song, int32_t volume) {
  if (!IsLoaded(song)) return false;
  headless::State().song->SetVolume(volume);
  return true;
}

int32_t GetOrder(Song* song) {
  if (!IsLoaded(song)) return -1;
  return headless::State().song->CurrentOrder();
}

bool StopSong(Song* song) {
  if (!IsLoaded(song)) return false;
  headless::State().songPlaying = false;
  return true;
}

bool FreeSong(Song* song) {
  if (!IsLoaded(song)) return false;
  headless::Backend& b = headless::State();
  b.song.reset();
  b.songPlaying = false;
  return true;
}

}  // namespace platform
