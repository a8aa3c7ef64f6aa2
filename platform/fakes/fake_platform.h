// The tests' platform: every call recorded in order, every result and message scripted.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/window.h"

namespace fake {

struct FakeState {
  // Every call in order, as "Name args" (see fake_platform.cpp for each form). GetOrder is counted, not logged.
  std::vector<std::string> calls;
  // Runs after each recorded call, with its text: the place to inject messages or faults at a given moment.
  std::function<void(const std::string& call)> onCall;

  // Display.
  platform::DisplayResult createResult = platform::kDisplayOk;
  platform::DisplayResult getModeResult = platform::kDisplayOk;
  platform::SurfaceDescription desktop = Mode(1024, 768, 32, 0xFF0000, 0xFF00, 0xFF);
  std::vector<platform::SurfaceDescription> modes;  // what EnumDisplayModes reports, in order
  platform::DisplayResult cooperativeResult = platform::kDisplayOk;
  platform::DisplayResult displayModeResult = platform::kDisplayOk;
  std::deque<platform::DisplayResult> createSurfaceResults;  // one per call; kDisplayOk once empty
  platform::DisplayResult attachedResult = platform::kDisplayOk;
  platform::DisplayResult clipperResult = platform::kDisplayOk;
  platform::DisplayResult lockResult = platform::kDisplayOk;
  std::deque<platform::DisplayResult> bltResults;  // one per call; kDisplayOk once empty
  int32_t pitchPadding = 0;                        // bytes after each surface row
  std::vector<platform::Rect> bltRects;            // the destination of every blit
  std::vector<uint8_t> lastLocked;                 // the work surface's bytes at its last unlock
  int32_t lastLockedPitch = 0;

  // Windows and messages.
  bool activateOnShow = true;
  bool createWindowFails = false;  // CreateShowWindow gives no window
  platform::Point windowOrigin = {100, 50};  // where the client area is on the screen
  int32_t cursorCount = 0;
  int peekCalls = 0;  // every PeekMessage, including the ones that find the queue empty

  // Timer.
  uint32_t periodsPerPresent = 0;  // timer periods delivered whenever the pump finds the queue empty

  // Sound.
  bool songLoads = true;
  std::function<int32_t()> order;  // GetOrder's answer for a loaded song; 0 when unset
  int getOrderCalls = 0;
  bool stopSongResult = true;
  bool freeSongResult = true;

  // Resources by upper-case name; bitmaps by number.
  std::map<std::string, std::vector<uint8_t>> resources;
  std::map<int32_t, std::vector<uint8_t>> bitmaps;

  static platform::SurfaceDescription Mode(int32_t width, int32_t height, int32_t bits, uint32_t red,
                                           uint32_t green, uint32_t blue);
};

FakeState& State();
// A fresh fake: no calls, default results, no window, no timer, no song.
void Reset();
// Queues a message for the show window (the last window created).
void Post(platform::MessageKind kind, uint32_t wParam = 0);
bool TimerRunning();
// Calls whose text starts with prefix.
int Count(const std::string& prefix);

}  // namespace fake
