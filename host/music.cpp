// The module through the sound layer, and the timer callback that advances the show's clock.
#include "host/music.h"

#include <algorithm>
#include <atomic>

#include "core/interface_block.h"
#include "display/display_setup.h"
#include "platform/resources.h"
#include "platform/window.h"

platform::Song* songHandle = nullptr;
int32_t musicOrder = 0;
uint32_t musicPollCount = 0;
uint32_t timerId = 0;
int32_t (*musicOrderSource)() = nullptr;

namespace {

std::atomic<bool> clockHeld{false};  // set before the timer starts
std::atomic<uint32_t> timerCount{0};  // the timer thread's count while the clock is held

}  // namespace

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
  PublishTimeCounter();
}

void StopMusic() {
  if (!platform::StopSong(songHandle)) platform::MessageBox(showWindow, "StopSong", nullptr);
}

void FreeMusic() {
  if (!platform::FreeSong(songHandle)) platform::MessageBox(showWindow, "FreeSong", nullptr);
  songHandle = nullptr;
}

void PollMusicPosition() {
  musicOrder = musicOrderSource != nullptr ? musicOrderSource() : platform::GetOrder(songHandle);
  ++musicPollCount;
}

void TimerTick(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  std::atomic<uint32_t>& counter = clockHeld ? timerCount : interfaceBlock.timeCounter;
  counter.fetch_add(kCounterPerPeriod, std::memory_order_relaxed);
}

void HoldClockAtFrameBoundaries(bool held) {
  timerCount.store(interfaceBlock.timeCounter.load(std::memory_order_relaxed), std::memory_order_relaxed);
  clockHeld = held;
}

void PublishTimeCounter() {
  if (clockHeld) interfaceBlock.timeCounter.store(timerCount.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

void ResetMusicState() {
  songHandle = nullptr;
  musicOrder = 0;
  musicPollCount = 0;
  timerId = 0;
  musicOrderSource = nullptr;
  clockHeld = false;
  timerCount.store(0, std::memory_order_relaxed);
}
