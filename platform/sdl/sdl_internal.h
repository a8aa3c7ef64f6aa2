// What the SDL backend's files share: the window system's help and the event trace.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace sdlbackend {

// The window system's id of a window (X11), 0 when there is none; and the id of the window a system event says was
// destroyed, 0 for any other event (sdl_window_system.cpp).
uint64_t SystemWindowId(SDL_Window* window);
uint64_t DestroyedSystemWindow(const SDL_SysWMmsg* message);
// Why the X display named by DISPLAY cannot be opened, as far as the connection attempt tells; empty when it can
// be, or when there is no X display to try.
std::string WhyDisplayFails();
// Asks the window manager to show a window that is not mapped yet full screen, as it maps it; false when the
// window system has no such request (then SDL's own full screen must do).
bool RequestFullScreenBeforeMapping(SDL_Window* window);

// With VESK_TRACE set, one line on standard error: "vesk-trace <monotonic ms> <event>".
bool TraceEnabled();
void Trace(const char* event);
// Whether width x height pixels of bitsPerPixel bits, rows pitch bytes apart, hold anything but black.
bool HoldsAPicture(const uint8_t* memory, int pitch, int32_t bitsPerPixel, int width, int height);
// Under VESK_TRACE: "present N" for the first presents and every 300th, from which a watcher works out the rate;
// with VESK_TRACE=presents, for every present.
void TracePresent(int32_t presents);

}  // namespace sdlbackend
