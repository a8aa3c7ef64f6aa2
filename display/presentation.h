// Presenting a frame: convert, pack into the work surface, blit it stretched after the vertical blank, then
// let the host handle its messages.
#pragma once

#include <cstdint>

#include "core/interface_block.h"
#include "platform/window.h"

// Non-zero while the program is the active one; written by the show window's procedure.
extern int32_t appActive;
// What every present runs last: the host's message pump, set by start-up. It may end the program.
extern HookOperation messagePump;

// How the 320 x 200 picture covers the screen, or the window's client area.
enum class PictureShape {
  kStretch,    // all of it, whatever its aspect
  kFourThree,  // the largest 4:3 rectangle, centred; the rest stays black
};
extern PictureShape pictureShape;

// The part of a width x height area that the picture covers, as left, top, right, bottom.
platform::Rect PictureRect(PictureShape shape, int32_t width, int32_t height);

// Hook slot 0: shows frameBuffer through palette, then runs messagePump.
void PresentFrame();
// Locks, packs, unlocks and blits; a frame whose lock fails is skipped.
void BlitToScreen();
