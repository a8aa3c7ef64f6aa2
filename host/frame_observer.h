// The frame hand-over: what the session tells its one observer at every present. Kept apart from the session so
// that the trace and the capture take it without the platform's interfaces.
#pragma once

#include <cstdint>

#include "host/present_source.h"

// The moment a frame is handed to the display: who handed it, the clock reading it was drawn at, the music
// order as last polled (-1 before the first poll), and the palette and frame (valid during the call only).
struct FrameHandOver {
  PresentSource source;
  uint32_t timeCounter;
  int32_t musicOrder;
  const uint8_t* palette;
  const uint8_t* frame;
};

// What the launch chose, known once the show starts (the dialog may have changed the command line's choices).
struct ShowChoices {
  bool windowed;
  bool nosound;
};

class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  // Called once, after the launch and before the first present; not at all when the user left at the launch.
  virtual void OnShowStart(const ShowChoices&) {}
  // Called once per present, before the frame is shown. May ask the session to quit (RequestQuit): the quit is
  // then taken at this frame boundary.
  virtual void OnFrame(const FrameHandOver& frame) = 0;
};
