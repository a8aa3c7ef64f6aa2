// The browser backend's controls for the page's program: the launch page, and watching what is presented.
//
// The backend runs the host on the page's main thread. Every wait (the launch page, the vertical blank) hands
// control back to the browser until the page resumes the program, so the host's loops run unchanged. The
// show's clock counts 20 ms periods of the page's monotonic clock, delivered after each presented frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace web {

struct LaunchChoice {
  bool runDemo = false;  // false: "Exit"
  int32_t item = 0;      // the chosen line of items
  bool windowed = false;
  bool nosound = false;
};

// Shows the launch page with the dialog's texts and the resolution lines, and waits for "Run Demo" or "Exit".
LaunchChoice RunLaunchPage(const std::string& title, const std::vector<std::string>& aboutLines,
                           const std::vector<std::string>& items, int32_t selection);

// Called after each frame is put on the page, before the clock moves on.
using PresentObserver = void (*)();
void SetPresentObserver(PresentObserver observer);

// Tells the page who presented the frame just shown, with the clock and the music order of its hand-over.
void NotePresent(uint32_t source, uint32_t timeCounter, int32_t musicOrder);

// Whether the page asked for the trace of the presented frames; RecordTrace appends bytes to it.
bool TraceWanted();
void RecordTrace(const void* bytes, size_t size);

}  // namespace web
