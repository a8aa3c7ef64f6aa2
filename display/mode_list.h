// The list of display modes: the desktop's mode and every 16-, 24- and 32-bit mode, in the dialog's order.
#pragma once

#include <cstdint>

#include "display/display_mode.h"
#include "platform/video.h"

// Creates the video device and fills table[0 .. count - 1]: record 0 the desktop's mode, then the offered modes,
// deepest first, then narrower, then lower. False when the device cannot be created (after its message box).
bool BuildModeList(platform::VideoDevice& video, DisplayMode* table, int32_t& count);
// Records a 16-, 24- or 32-bit mode at table[count]; other depths, and modes past the table's end, are left out.
void AddDisplayMode(const platform::VideoMode& mode, DisplayMode* table, int32_t& count);
// Negative when a goes first: deeper first, then narrower, then lower.
int32_t CompareModes(const DisplayMode& a, const DisplayMode& b);
