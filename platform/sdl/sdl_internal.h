// What the SDL backend's files share: pixel layouts and modes, the ticker's schedule, the window system's help and
// the event trace.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/video.h"

namespace sdlbackend {

// The bits a pixel occupies (a 32-bit pixel with 24 bits of colour counts 32; 5-5-5 counts 16) and its masks.
platform::PixelLayout DescribeFormat(uint32_t sdlFormat);
// The streaming-texture format whose memory layout is what the host packs for a surface of this layout:
// 32 bits blue-green-red-unused, 24 bits blue-green-red, 16 bits 5-5-5 when green sits at bits 5 to 9, else 5-6-5.
uint32_t PackingTextureFormat(const platform::PixelLayout& layout);

struct ModeEntry {
  SDL_DisplayMode mode;
  platform::PixelLayout layout;
};
// The display's modes as the video device offers them: once per size and pixel layout. SDL lists a mode again
// for each refresh rate, fastest first; the first one stays (sdl_pixel_format.cpp).
std::vector<ModeEntry> DistinctModes(const std::vector<SDL_DisplayMode>& modes);

// The first deadline after served, on served's grid, that is still ahead of now. A period that ended while the
// ticker was late is not made up: the ticker counts periods delivered, not time elapsed.
template <typename TimePoint, typename Duration>
TimePoint NextPeriodDeadline(TimePoint served, TimePoint now, Duration period) {
  TimePoint next = served + period;
  if (next <= now) next += ((now - next) / period + 1) * period;
  return next;
}

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
// Gives a window of 24-bit colour a black background, which the window system fills it with wherever it shows
// nothing else, and fills it so now; false when the window system has no such thing (then the window shows
// whatever it was last drawn).
bool ClearToBlack(SDL_Window* window);

// What to do about SDL's Wayland driver before starting the video (sdl_wayland_seat.cpp). SDL 2.26 crashes in
// its pointer set-up on a compositor that offers no seat (no keyboard, no pointer: a headless one); there the
// program goes to X when SDL may choose and DISPLAY is set, and otherwise refuses the display.
enum class WaylandPlan { kLeaveToSdl, kOnlyX11, kRefuse };
WaylandPlan PlanForWaylandSeat();
// The Wayland display SDL connects to, for messages: its name and where the name comes from.
std::string WaylandDisplayName();

// An output pixel of a stretch from fewer source pixels that straddles two of them: source pixel first, with
// first + 1 laid over it at alpha (0 to 255), the share of the output pixel the second covers.
struct Straddle {
  int32_t at;
  int32_t first;
  uint8_t alpha;
};
// The straddling output pixels of a stretch of count source pixels onto size output pixels (size >= count), in
// order; every other output pixel lies within one source pixel (sdl_present.cpp).
std::vector<Straddle> Straddles(int32_t count, int32_t size);

// Has the kernel give memory its pages before they are first written, where it can (sdl_fresh_memory.cpp). On a
// virtual machine every first touch of a page can cost tens of microseconds; asked for at once they cost little.
void ReadyForWriting(void* memory, size_t bytes);

// With VESK_TRACE set, one line on standard error: "vesk-trace <monotonic ms> <event>".
bool TraceEnabled();
void Trace(const char* event);
// Whether width x height pixels of bitsPerPixel bits, rows pitch bytes apart, hold anything but black.
bool HoldsAPicture(const uint8_t* memory, int pitch, int32_t bitsPerPixel, int width, int height);
// Under VESK_TRACE: "window WxH output WxH", the window's size in the window system's units and the renderer's in
// pixels, which a display scaled for high density makes larger.
void TraceOutputSize(SDL_Window* window, SDL_Renderer* renderer);
// Under VESK_TRACE: "present N" for the first presents and every 300th, from which a watcher works out the rate;
// with VESK_TRACE=presents, for every present. With every 300th, "presents-held N": how many of them left the
// last drawing on show, the picture being unchanged.
void TracePresent(int32_t presents, int32_t held);

}  // namespace sdlbackend
