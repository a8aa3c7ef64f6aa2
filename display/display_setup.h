// Opening the display for the chosen mode, full screen or in a window, and giving it back at the end.
#pragma once

#include "display/display_mode.h"
#include "platform/video.h"

inline constexpr const char* kDisplayErrorCaption = "DDRAW ERROR";
inline constexpr const char* kFullScreenTitle = "Test";
inline constexpr const char* kWindowedTitle = "Vesk by Orrent - First place in PC introcompo at Tarnfest'96";

// The text of the message box for a set-up step that failed.
const char* SetupErrorText(platform::VideoStep step);

// Full screen: hides the cursor and opens the mode; windowed: opens a window of the mode's size. True when the
// display is ready. A failure is reported in its box; on the full-screen path the show window is then destroyed
// (which asks the program to quit).
bool SetupDisplay(platform::VideoDevice& video, const DisplayMode& mode, bool windowed);
