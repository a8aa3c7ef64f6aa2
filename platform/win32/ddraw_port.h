// The DirectDraw and show-window calls the Windows video device makes, in DirectDraw's own shape and numbers; one
// implementation over COM and USER32, one recording implementation in the tests.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/video.h"

namespace platform::win32 {

// Opaque handles: an IDirectDraw7, an IDirectDrawSurface7, an IDirectDrawClipper and an HWND in the real port.
struct DirectDraw;
struct Surface;
struct Clipper;
struct Window;

// HRESULTs: negative (top bit set) is a failure.
using Result = uint32_t;
inline constexpr Result kOk = 0;
inline constexpr Result kGenericError = 0x80004005;
inline constexpr Result kInvalidParams = 0x80070057;
inline constexpr Result kInvalidObject = 0x88760082;
inline constexpr Result kSurfaceLost = 0x887601C2;
inline constexpr Result kWasStillDrawing = 0x8876021C;
inline constexpr Result kUnsupportedMode = 0x8876024E;
inline bool Failed(Result result) { return (result & 0x80000000u) != 0; }

// DDSD_*: which fields of a Description are valid.
inline constexpr uint32_t kDescCaps = 0x1;
inline constexpr uint32_t kDescHeight = 0x2;
inline constexpr uint32_t kDescWidth = 0x4;
inline constexpr uint32_t kDescBackBufferCount = 0x20;
inline constexpr uint32_t kDescPixelFormat = 0x1000;
// DDSCAPS_*.
inline constexpr uint32_t kCapsBackBuffer = 0x4;
inline constexpr uint32_t kCapsComplex = 0x8;
inline constexpr uint32_t kCapsFlip = 0x10;
inline constexpr uint32_t kCapsOffscreenPlain = 0x40;
inline constexpr uint32_t kCapsPrimarySurface = 0x200;
// DDSCL_*: normal, and full screen | allow reboot | exclusive.
inline constexpr uint32_t kLevelNormal = 0x8;
inline constexpr uint32_t kLevelExclusiveFullScreen = 0x13;
inline constexpr uint32_t kLockWait = 0x1;           // DDLOCK_WAIT
inline constexpr uint32_t kBltWait = 0x01000000;     // DDBLT_WAIT
inline constexpr uint32_t kWaitBlankBegin = 0x1;     // DDWAITVB_BLOCKBEGIN
inline constexpr int32_t kEnumContinue = 1;          // DDENUMRET_OK
inline constexpr uint32_t kDescriptionSize = 108;    // a DDSURFACEDESC's dwSize

// A surface or mode description. CreateSurface reads flags, caps, width, height and backBufferCount and fills in
// the rest as the surface is; Lock fills memory, pitch and the size; GetDisplayMode and enumeration fill the size
// and layout.
struct Description {
  uint32_t size = kDescriptionSize;
  uint32_t flags = 0;
  uint32_t caps = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  uint32_t backBufferCount = 0;
  uint8_t* memory = nullptr;
  PixelLayout layout;
};

// USER32's numbers.
inline constexpr const char* kWindowClass = "MyClass";
inline constexpr uint32_t kStylePopup = 0x80000000;       // WS_POPUP
inline constexpr uint32_t kStyleFixedFrame = 0x8A0000;    // WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX
inline constexpr uint32_t kExStyleModalFrame = 0x1;       // WS_EX_DLGMODALFRAME
inline constexpr int32_t kUseDefault = INT32_MIN;         // CW_USEDEFAULT
inline constexpr int32_t kLongStyle = -16;                // GWL_STYLE
inline constexpr int32_t kLongExStyle = -20;              // GWL_EXSTYLE
inline constexpr uint32_t kPosNoSize = 0x1;               // SWP_*
inline constexpr uint32_t kPosNoMove = 0x2;
inline constexpr uint32_t kPosNoZOrder = 0x4;
inline constexpr uint32_t kPosNoActivate = 0x10;
inline constexpr intptr_t kNotTopmost = -2;               // HWND_NOTOPMOST
inline constexpr int32_t kShowShow = 5;                   // SW_SHOW
inline constexpr int32_t kShowDefault = 10;               // SW_SHOWDEFAULT

struct Point {
  int32_t x;
  int32_t y;
};

class DirectDrawPort {
 public:
  virtual ~DirectDrawPort() = default;

  virtual Result DirectDrawCreate(DirectDraw** object) = 0;
  virtual Result GetDisplayMode(DirectDraw* object, Description* mode) = 0;
  // Calls each for every mode while it answers kEnumContinue.
  virtual Result EnumDisplayModes(DirectDraw* object, uint32_t flags,
                                  const std::function<int32_t(const Description&)>& each) = 0;
  virtual Result SetCooperativeLevel(DirectDraw* object, Window* window, uint32_t level) = 0;
  virtual Result SetDisplayMode(DirectDraw* object, int32_t width, int32_t height, int32_t bitsPerPixel) = 0;
  virtual Result CreateSurface(DirectDraw* object, Description* description, Surface** surface) = 0;
  virtual Result GetAttachedSurface(Surface* surface, uint32_t caps, Surface** attached) = 0;
  virtual Result CreateClipper(DirectDraw* object, Clipper** clipper) = 0;
  virtual Result SetHWnd(Clipper* clipper, Window* window) = 0;
  virtual Result SetClipper(Surface* surface, Clipper* clipper) = 0;
  virtual Result Lock(Surface* surface, Description* description, uint32_t flags) = 0;
  virtual Result Unlock(Surface* surface) = 0;
  virtual Result WaitForVerticalBlank(DirectDraw* object, uint32_t flags) = 0;
  // The display's refresh rate in hertz (GetMonitorFrequency); 0 when the driver does not say.
  virtual uint32_t MonitorFrequency(DirectDraw* object) {
    (void)object;
    return 0;
  }
  virtual Result Blt(Surface* destination, const Rect& to, Surface* source, const Rect& from, uint32_t flags) = 0;
  virtual Result Restore(Surface* surface) = 0;
  virtual void Release(Clipper* clipper) = 0;
  virtual void Release(Surface* surface) = 0;
  virtual void Release(DirectDraw* object) = 0;

  // The show window, of class kWindowClass; null when it cannot be made.
  virtual Window* CreateWindowEx(uint32_t exStyle, const char* title, uint32_t style, int32_t x, int32_t y,
                                 int32_t width, int32_t height) = 0;
  virtual uint32_t GetWindowLong(Window* window, int32_t index) = 0;
  virtual bool HasMenu(Window* window) = 0;  // GetMenu(window) != null
  virtual Rect AdjustWindowRectEx(Rect rect, uint32_t style, bool menu, uint32_t exStyle) = 0;
  virtual void SetWindowPos(Window* window, intptr_t insertAfter, int32_t x, int32_t y, int32_t width,
                            int32_t height, uint32_t flags) = 0;
  virtual void ShowWindow(Window* window, int32_t command) = 0;
  virtual void UpdateWindow(Window* window) = 0;
  virtual void DestroyWindow(Window* window) = 0;
  virtual Point ClientToScreen(Window* window, Point point) = 0;
  virtual void ShowCursor(bool shown) = 0;
  virtual void MessageBox(Window* owner, const char* text, const char* caption) = 0;
};

}  // namespace platform::win32
