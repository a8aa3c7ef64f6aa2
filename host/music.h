// The music and the time base: the module's load, start, stop and position, and the 20 ms clock.
#pragma once

#include <cstdint>

#include "platform/sound.h"

// The module resource and the length the loader hands to the sound library.
inline constexpr const char* kModuleResourceName = "xmfile";
inline constexpr uint32_t kModuleBytes = 79327;
inline constexpr uint32_t kTimerResolutionMs = 1;

extern platform::Song* songHandle;
// The order number read by the latest PollMusicPosition.
extern int32_t musicOrder;
// How many times PollMusicPosition has run (observers tell "never polled" from order 0 by it).
extern uint32_t musicPollCount;
extern uint32_t timerId;

// Loads the module and fills hook slot 2, whether or not the load worked.
void LoadMusic();
// Hook slot 2: plays the module in mono, silenced (but advancing) when sound is off.
void StartMusic();
// Stops the module; says "StopSong" when that fails.
void StopMusic();
// Frees the module; says "FreeSong" when that fails. The handle is forgotten either way.
void FreeMusic();
void PollMusicPosition();
// Where PollMusicPosition reads the order; null (the default) asks the sound layer about songHandle. A replay of a
// recorded run answers with the recorded orders instead.
extern int32_t (*musicOrderSource)();
void TimerTick(uint32_t timerId, uint32_t message, uintptr_t user, uintptr_t reserved1, uintptr_t reserved2);
// With the clock held at frame boundaries, TimerTick counts into the timer's own count and timeCounter changes
// only when PublishTimeCounter copies that count over: at the end of every present and when the music starts.
// Between two presents the core then reads one value, the one recorded with the frame it draws. Off by default:
// timeCounter then follows the timer directly.
void HoldClockAtFrameBoundaries(bool held);
void PublishTimeCounter();
// Every variable above back to its start value.
void ResetMusicState();
