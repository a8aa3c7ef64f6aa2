// The module through the sound layer, and the timer callback that advances the show's clock.
#include "host/music.h"

#include <algorithm>

#include "core/interface_block.h"
#include "display/display_setup.h"
#include "platform/resources.h"
#include "platform/window.h"

platform::Song* songHandle = nullptr;
int32_t musicOrder = 0;
uint32_t musicPollCount = 0;
uint32_t timerId = 0;

void LoadMusic() {
  const platform::Resource module = platform::FindResource(kModuleResourceName);
  // The loader is told the module's fixed length, but never more than the resource holds.
  songHandle = platform::LoadSongMemory(module.data, std::min(kModuleBytes, module.size));
  interfaceBlock.hooks[kHookStartMusic] = StartMusic;
}

void StartMusic() {
  platform::SetPanSeparation(songHandle, 0.0f);
  platform::PlaySong(songHandle);
  if (interfaceBlock.soundOn == 0) platform::SetMasterVolume(songHandle, 0);
}

void StopMusic() {
  if (!platform::StopSong(songHandle)) platform::MessageBox(showWindow, "StopSong", nullptr);
}

void FreeMusic() {
  if (!platform::FreeSong(songHandle)) platform::MessageBox(showWindow, "FreeSong", nullptr);
  songHandle = nullptr;
}

void PollMusicPosition() {
  musicOrder = platform::GetOrder(songHandle);
  ++musicPollCount;
}

void TimerTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  interfaceBlock.timeCounter.fetch_add(kCounterPerPeriod, std::memory_order_relaxed);
}

void ResetMusicState() {
  songHandle = nullptr;
  musicOrder = 0;
  musicPollCount = 0;
  timerId = 0;
}
