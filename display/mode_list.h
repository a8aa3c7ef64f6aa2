// The list of display modes: the desktop's mode and every 16-, 24- and 32-bit mode, in the dialog's order.
#pragma once

#include <cstdint>

#include "display/display_mode.h"
#include "platform/display.h"

extern platform::DisplayObject* displayObject;

// Creates displayObject and fills modeTable and modeCount. Returns 1, or 0 when the display object cannot be
// created (after its message; owner, when given, is destroyed).
int32_t BuildModeList(platform::Window* owner);
// The enumeration callback: records a 16-, 24- or 32-bit mode. Always continues.
int32_t AddDisplayMode(const platform::SurfaceDescription& mode, void* context);
// Negative when a goes first: deeper first, then narrower, then lower.
int32_t CompareModes(const DisplayMode& a, const DisplayMode& b);
