// The show window's procedure, the message pump run at the end of every present, and the quit path.
#pragma once

#include <cstdint>

#include "core/interface_block.h"
#include "platform/window.h"

// Called at the start of every pump, that is once per present with the presented frame still in frameBuffer and
// palette (the real-time program's trace recorder); null does nothing.
extern HookOperation framePresented;

intptr_t ShowWindowProc(const platform::Message& message);
// Dispatches every waiting message; a quit request tears the program down and ends it here. Then the held clock
// (host/music.h) moves on to the timer's count.
void PumpMessages();
// Stops and frees the music, closes sound, releases the display, shows the cursor again after full screen and
// stops the timer.
void ShutDownForQuit();
