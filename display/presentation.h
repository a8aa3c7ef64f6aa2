// Presenting a frame: convert, pack into the work surface, blit it stretched after the vertical blank, then
// let the host handle its messages.
#pragma once

#include <cstdint>

#include "core/interface_block.h"

// Non-zero while the program is the active one; written by the show window's procedure.
extern int32_t appActive;
// What every present runs last: the host's message pump, set by start-up. It may end the program.
extern HookOperation messagePump;

// Hook slot 0: shows frameBuffer through palette, then runs messagePump.
void PresentFrame();
// Locks, packs, unlocks and blits; a frame whose lock fails is skipped.
void BlitToScreen();
