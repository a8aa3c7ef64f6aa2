// The record through which the host and the intro core meet: settings, clock, hook table, frame and palette.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/screen.h"

using HookOperation = void (*)();

enum HookSlot : int {
  kHookPresentFrame = 0,
  kHookRefreshPalette = 1,
  kHookStartMusic = 2,
  kHookSpare = 3,
  kHookShowPicture1 = 4,
  kHookShowPicture2 = 5,
  kHookShowPicture3 = 6,
  kHookShowPicture4 = 7,
  kHookSetGreyPalette = 8,
  kHookCount = 9,
};

inline constexpr int kPaletteEntries = 256;
inline constexpr int kPaletteBytes = kPaletteEntries * 3;
// What one 20 ms timer period adds to the clock; 8192 of these units make one show tick.
inline constexpr uint32_t kCounterPerPeriod = 17920;
inline constexpr int kTimerPeriodMs = 20;
inline constexpr int kShowTickShift = 13;

struct InterfaceBlock {
  int32_t windowed = 0;
  int32_t soundOn = 1;
  int32_t loopRequested = 0;
  std::atomic<uint32_t> timeCounter{0};  // written by the timer thread only
  int32_t modeCount = 0;
  HookOperation hooks[kHookCount] = {};
};
static_assert(std::atomic<uint32_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<uint32_t>) == 4);

extern InterfaceBlock interfaceBlock;
extern uint8_t* frameBuffer;             // 320 x 200 palette indices, allocated by the host
extern uint8_t palette[kPaletteBytes];   // 256 x (red, green, blue), 6-bit levels

// The core's only way to read the clock: the raw counter, not shifted.
inline uint32_t ReadTimeCounter() {
  return interfaceBlock.timeCounter.load(std::memory_order_relaxed);
}

// A counter reading as show ticks: read as signed, shifted right arithmetically.
inline int32_t CounterToShowTicks(uint32_t counter) {
  return static_cast<int32_t>(counter) >> kShowTickShift;
}

inline void CallHook(HookSlot slot) { interfaceBlock.hooks[slot](); }

// Returns the block and the palette to their values at process start (for hosts that run the show twice).
void ResetInterfaceBlock();
