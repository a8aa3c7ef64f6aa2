// The video device: the display's modes, the show window, a work surface the host packs the picture into, and
// presenting it stretched after the vertical blank.
//
// Each backend implements it in its own words (DirectDraw on Windows, SDL, the memory device); the host keeps the
// order of the steps, the texts of the message boxes and what a busy or lost present leads to. Everything runs on
// the main thread.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// How a mode lays out a pixel: bits per pixel and where red, green and blue sit in it.
struct PixelLayout {
  int32_t bitsPerPixel = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
};

struct VideoMode {
  int32_t width = 0;
  int32_t height = 0;
  PixelLayout layout;
};

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The step of the set-up a failure belongs to; the host turns it into the text of its message box.
enum class VideoStep : uint8_t {
  kCreate,            // the device for the default display
  kCurrentMode,       // the mode the desktop is in
  kCooperativeLevel,  // exclusive full-screen access, or shared access for a window
  kDisplayMode,       // switching the display to the chosen mode
  kPrimarySurface,    // the surface that is the screen (with its back buffer, full screen)
  kBackBuffer,        // the full-screen work surface, behind the primary
  kClipper,           // keeping a window's presents inside it
  kWorkSurface,       // the windowed off-screen work surface
};

// Why a step failed, where the display says more than "it failed".
enum class VideoFault : uint8_t { kNone, kInvalidObject, kInvalidParams, kUnsupportedMode, kOther };

struct VideoStatus {
  VideoFault fault = VideoFault::kNone;
  VideoStep step = VideoStep::kCreate;

  bool ok() const { return fault == VideoFault::kNone; }
  static VideoStatus Ok() { return {}; }
  static VideoStatus Failed(VideoStep step, VideoFault fault = VideoFault::kOther) { return {fault, step}; }
};

// The show window: its title and the size of its client area (full screen: of the display mode).
struct ShowWindowSpec {
  const char* title;
  int32_t width;
  int32_t height;
};

// The work surface while it is locked: rows pitch bytes apart, width x height pixels in the layout of the mode
// that the host's own mode record describes. A device may hold only the top-left corner the picture is packed
// into, and then gives just that.
struct WorkTarget {
  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// How the device fills the picture's rectangle from the 320 x 200 source.
enum class PictureFilter : uint8_t {
  kNearest,  // each output pixel takes the source pixel under it
  kSharp,    // each output pixel mixes the source pixels it covers by the share of it each covers: every source row
             // and column weighs the same, and only the pixels on their borders are mixed
};

// Presents at most this many times a second unless told otherwise: a faster display shows each picture for
// several vertical blanks.
inline constexpr int32_t kDefaultMaxPresentRate = 75;

// The vertical blanks one present lasts on a display refreshing refreshHz times a second, so that it presents at
// most maxPresentRate times a second: ceil(refreshHz / maxPresentRate), and 1 when either is 0 or unknown.
constexpr int32_t BlanksPerPresent(int32_t refreshHz, int32_t maxPresentRate) {
  if (refreshHz <= 0 || maxPresentRate <= 0) return 1;
  return (refreshHz + maxPresentRate - 1) / maxPresentRate;
}

// What became of a lock or a present.
enum class Access : uint8_t {
  kOk,
  kBusy,        // the device is still drawing the previous picture: try again
  kLost,        // the surfaces were lost (another program took the display): restore them
  kFailed,      // anything else: the frame is dropped
  kUnobserved,  // Lock only: nobody can see this screen, so the host may skip converting and packing
};

class VideoDevice {
 public:
  virtual ~VideoDevice() = default;

  // The device for the default display. Failure: step kCreate.
  virtual VideoStatus Create() = 0;
  // The mode the desktop is in now. Failure: step kCurrentMode, with the display's reason.
  virtual VideoStatus CurrentMode(VideoMode& desktop) = 0;
  // Every mode the display offers, once each, in the display's order, synchronously.
  virtual void ForEachMode(const std::function<void(const VideoMode&)>& each) = 0;
  virtual void ShowCursor(bool shown) = 0;

  // Full screen: a borderless window of the mode's size (hidden until ShowWindow), exclusive access, the display
  // switched to width x height at depth bits per pixel, a primary surface with one back buffer to work in.
  // Stops at the first step that fails and says which.
  virtual VideoStatus OpenFullScreen(const ShowWindowSpec& window, int32_t depth) = 0;
  // Windowed: a framed, fixed-size window whose client area is width x height, shown at once; shared access;
  // the desktop's screen, clipped to the window; an off-screen work surface of the window's size in the desktop's
  // pixel layout. Stops at the first step that fails and says which.
  virtual VideoStatus OpenWindowed(const ShowWindowSpec& window) = 0;
  // Shows and paints the show window; the program becomes the active one (EventSource reports kActivated).
  virtual void ShowWindow() = 0;
  // Destroys the show window, when there is one; the event source reports kDestroyed.
  virtual void DestroyWindow() = 0;

  // Locks the work surface (see WorkTarget), waiting while it is busy.
  virtual Access Lock(WorkTarget& target) = 0;
  virtual void Unlock() = 0;
  // Waits for the start of the vertical blank that ends this present's share of blanks (see BlanksPerPresent),
  // then stretches source of the work surface onto picture, a rectangle of the output in real pixels (those of
  // OutputSize), filtered as SetPictureFilter said.
  virtual Access Present(const Rect& source, const Rect& picture) = 0;
  // Gives the lost surfaces back.
  virtual void Restore() = 0;
  // Gives up every object set-up and Create made, newest first; the desktop gets its own mode back. Nothing
  // happens when there is nothing to give up, so a second call is harmless. The show window stays.
  virtual void Release() = 0;

  // Switches the show window between a window and the desktop's full screen; false where the device cannot.
  virtual bool ToggleFullScreen() { return false; }
  // The size in real pixels of what Present draws on: the screen, or the window's client area (larger than the
  // window's own size on a high-density display). False where the device cannot tell; the mode's size holds then.
  virtual bool OutputSize(int32_t& width, int32_t& height) {
    (void)width;
    (void)height;
    return false;
  }
  // Before the display is set up; a device that can only stretch by nearest pixel ignores it.
  virtual void SetPictureFilter(PictureFilter filter) { (void)filter; }
  // Before the display is set up: at most this many presents a second (0: one at every vertical blank).
  void SetMaxPresentRate(int32_t perSecond) { maxPresentRate_ = perSecond; }

  // A modal box with an OK button, owned by the show window when ownedByShowWindow (and there is one). A null
  // caption gives the system's default caption.
  virtual void MessageBox(const char* text, const char* caption, bool ownedByShowWindow) = 0;

 protected:
  int32_t BlanksPerPresentAt(int32_t refreshHz) const { return BlanksPerPresent(refreshHz, maxPresentRate_); }

 private:
  int32_t maxPresentRate_ = kDefaultMaxPresentRate;
};

}  // namespace platform
