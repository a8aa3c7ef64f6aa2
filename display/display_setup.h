// Opening the display for the chosen mode, full screen or in a window, and giving it back at the end.
#pragma once

#include <cstdint>

#include "platform/display.h"

inline constexpr const char* kDisplayErrorCaption = "DDRAW ERROR";
inline constexpr const char* kWindowClassName = "MyClass";
inline constexpr const char* kFullScreenTitle = "Test";
inline constexpr const char* kWindowedTitle = "Vesk by Orrent - First place in PC introcompo at Tarnfest'96";

extern platform::Window* showWindow;
extern platform::Surface* primarySurface;
extern platform::Surface* workSurface;
extern platform::Clipper* clipper;
// Presentation locks with a copy of the description of the last surface set-up created.
extern platform::SurfaceDescription lockDescription;

// Creates the show window and surfaces for modeTable[selectedMode] and fills hook slots 0 and 1. Returns 1, or 0
// after a failure that it has reported; on the full-screen path it then destroys the show window.
int32_t SetupDisplay();
// Releases every display object that exists, newest first, and forgets each at once.
void ReleaseDisplay();
// Every variable of the display back to its start value (for programs and tests that run the host again).
void ResetDisplayState();
