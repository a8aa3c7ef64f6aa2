// The display service: a display object with modes and surfaces, locked, packed and blitted by the host.
//
// The operations and their results follow what the host's display steps rely on: a result code per call, a
// surface description filled on creation and lock, a stretching blit that may report "still drawing" or a lost
// surface. Each backend defines the three objects and implements every call; all run on the main thread.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace platform {

struct DisplayObject;
struct Surface;
struct Clipper;

using DisplayResult = uint32_t;
inline constexpr DisplayResult kDisplayOk = 0;
inline constexpr DisplayResult kDisplayGenericError = 0x80004005;
inline constexpr DisplayResult kDisplayInvalidParams = 0x80070057;
inline constexpr DisplayResult kDisplayInvalidObject = 0x88760082;
inline constexpr DisplayResult kDisplaySurfaceLost = 0x887601C2;
inline constexpr DisplayResult kDisplayWasStillDrawing = 0x8876021C;
inline constexpr DisplayResult kDisplayUnsupportedMode = 0x8876024E;

inline bool DisplayFailed(DisplayResult result) { return (result & 0x80000000u) != 0; }

struct PixelFormat {
  int32_t bitCount;  // bits per pixel
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
};

// Which fields of a SurfaceDescription are valid.
inline constexpr uint32_t kDescCaps = 0x1;
inline constexpr uint32_t kDescHeight = 0x2;
inline constexpr uint32_t kDescWidth = 0x4;
inline constexpr uint32_t kDescBackBufferCount = 0x20;
inline constexpr uint32_t kDescPixelFormat = 0x1000;
// Surface capabilities.
inline constexpr uint32_t kCapsBackBuffer = 0x4;
inline constexpr uint32_t kCapsComplex = 0x8;
inline constexpr uint32_t kCapsFlip = 0x10;
inline constexpr uint32_t kCapsOffscreenPlain = 0x40;
inline constexpr uint32_t kCapsPrimarySurface = 0x200;

inline constexpr uint32_t kSurfaceDescriptionSize = 108;

// A mode or surface description. CreateSurface reads flags, caps, width, height and backBufferCount and fills in
// the rest; Lock fills memory and pitch; GetDisplayMode and mode enumeration fill width, height and format.
struct SurfaceDescription {
  uint32_t size = kSurfaceDescriptionSize;
  uint32_t flags = 0;
  uint32_t caps = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  uint32_t backBufferCount = 0;
  uint8_t* memory = nullptr;
  PixelFormat format = {};
};

// Cooperative levels.
inline constexpr uint32_t kLevelNormal = 0x8;
inline constexpr uint32_t kLevelExclusiveFullScreen = 0x13;  // full screen, exclusive, reboot allowed

// Mode enumeration: one synchronous call per mode; returning kEnumContinue goes on to the next.
inline constexpr int32_t kEnumContinue = 1;
using ModeCallback = int32_t (*)(const SurfaceDescription& mode, void* context);

// Creates the object for the default display; *object stays null on failure.
DisplayResult DirectDrawCreate(DisplayObject** object);
// Fills width, height and format with the mode the display is in now.
DisplayResult GetDisplayMode(DisplayObject* object, SurfaceDescription* description);
DisplayResult EnumDisplayModes(DisplayObject* object, ModeCallback callback, void* context);
DisplayResult SetCooperativeLevel(DisplayObject* object, Window* window, uint32_t level);
DisplayResult SetDisplayMode(DisplayObject* object, int32_t width, int32_t height, int32_t bitCount);
// Primary with one back buffer (caps primary|flip|complex), primary alone, or off-screen plain of a given size in
// the display's format. Fills the rest of *description as the new surface is.
DisplayResult CreateSurface(DisplayObject* object, SurfaceDescription* description, Surface** surface);
// The back buffer of a primary surface created with one.
DisplayResult GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached);
DisplayResult CreateClipper(DisplayObject* object, Clipper** clipper);
DisplayResult ClipperSetWindow(Clipper* clipper, Window* window);
DisplayResult SetClipper(Surface* surface, Clipper* clipper);
// Locks the whole surface, waiting while it is busy; fills description->memory and description->pitch.
DisplayResult Lock(Surface* surface, SurfaceDescription* description);
DisplayResult Unlock(Surface* surface);
// Returns at the start of the display's next vertical blank.
DisplayResult WaitForVerticalBlank(DisplayObject* object);
// Stretches source's sourceRect onto destination's destRect (nearest pixel, no aspect kept), waiting while the
// blitter is busy. May return kDisplayWasStillDrawing or kDisplaySurfaceLost.
DisplayResult Blt(Surface* destination, const Rect& destRect, Surface* source, const Rect& sourceRect);
DisplayResult Restore(Surface* surface);
// Gives the object up; releasing the display object gives the desktop its own mode back.
void Release(Clipper* clipper);
void Release(Surface* surface);
void Release(DisplayObject* object);

}  // namespace platform
