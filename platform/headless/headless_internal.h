// State the headless backend's files share: the clock, the timer, the window and the song.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/openmpt/module_player.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace headless {

struct Backend {
  Settings settings;
  Observer* observer = nullptr;
  uint64_t now = 0;  // units of 1 / (1000 * fps) s

  // Timer.
  platform::TimerCallback timerCallback = nullptr;
  uint32_t timerId = 0;
  uintptr_t timerUser = 0;
  uint64_t timerStart = 0;

  // Sound.
  std::unique_ptr<platform::ModulePlayer> song;
  bool songPlaying = false;
  bool startupDelayDone = false;
  uint64_t samplesDone = 0;
  std::vector<int16_t> audioScratch;

  // Windows and messages.
  const char* className = nullptr;
  platform::WindowProcedure procedure = nullptr;
  std::deque<platform::Message> queue;
  int32_t cursorCount = 0;
};

Backend& State();
// Moves time forward to units, delivering timer periods and rendering sound on the way.
void AdvanceTo(uint64_t units);
// The next vertical blank strictly after now.
uint64_t NextVerticalBlank();
// Forgets the display objects and windows (part of Configure).
void ResetDisplay();
void ResetWindows();

}  // namespace headless
