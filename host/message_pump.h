// The show window's procedure, the message pump run at the end of every present, and the quit path.
#pragma once

#include <cstdint>

#include "platform/window.h"

intptr_t ShowWindowProc(const platform::Message& message);
// Dispatches every waiting message; a quit request tears the program down and ends it here.
void PumpMessages();
// Stops and frees the music, closes sound, releases the display, shows the cursor again after full screen and
// stops the timer.
void ShutDownForQuit();
