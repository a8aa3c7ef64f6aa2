// What the SDL backend's files share: the show window's record, the video subsystem and the trace.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

struct Window {
  SDL_Window* native = nullptr;  // null once destroyed; the record itself lives on, as the host may still hold it
  WindowProcedure procedure = nullptr;
  WindowStyle style = WindowStyle::kFramed;
  SDL_Window* orphan = nullptr;  // a window another program destroyed: kept only to give the display mode back
  uint64_t systemId = 0;  // the window system's own id of the window (X11), 0 when unknown
};

}  // namespace platform

namespace sdlbackend {

// Starts SDL's video on a real display; false when there is none (no X or Wayland session). SDL is shut down at
// process exit.
bool StartVideo();

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

// The window whose SDL id this is, or null.
platform::Window* FindWindow(uint32_t sdlWindowId);

// Display hooks the window side calls: the renderer of a window about to be destroyed must go first, and a reset
// device loses every texture.
void ForgetWindowRenderer(platform::Window* window);
void MarkDisplayLost();
// Whether a blit has reached the screen since the last call (the frame loop's pacing while nothing is drawn).
bool TakePresentedSinceLastPump();
// Waits for the next refresh slot at a frame boundary that presented nothing.
void PaceFrameWithoutPresent();

// What the renderer drew for one present, read back before it reached the screen: RGBA bytes, row after row.
struct ReadBack {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // empty when the renderer could not be read
};
// The next successful blit fills readBack (which must outlive it) with the whole output, bars included.
void ReadBackNextPresent(ReadBack* readBack);

// With VESK_TRACE set, one line on standard error: "vesk-trace <monotonic ms> <event>".
bool TraceEnabled();
void Trace(const char* event);
// Under VESK_TRACE: "first-picture" the first time an unlocked picture (width x height pixels of bitCount bits
// from memory, rows pitch bytes apart) holds anything but black.
void TraceFirstPicture(const uint8_t* memory, int pitch, int32_t bitCount, int width, int height);
// Under VESK_TRACE: "present N" for the first presents and every 300th, from which a watcher works out the rate;
// with VESK_TRACE=presents, for every present.
void TracePresent();

}  // namespace sdlbackend
