// Presenting a frame: convert, pack into the work surface, and show it stretched after the vertical blank.
#pragma once

#include <cstdint>
#include <memory>

#include "display/display_mode.h"
#include "display/pixel_conversion.h"
#include "platform/video.h"

// How the 320 x 200 picture covers the screen, or the window's client area.
enum class PictureShape {
  kStretch,    // all of it, whatever its aspect
  kFourThree,  // the largest 4:3 rectangle, centred; the rest stays black
};

// How the picture's pixels are scaled to its rectangle.
enum class PictureScale : uint8_t {
  kSharp,    // whole multiples by nearest pixel, then smoothly to the rectangle: even rows and columns, no blur
  kNearest,  // nearest pixel straight to the rectangle
  kInteger,  // the largest whole multiple that fits, centred, nearest pixel; the shape does not apply
};

// The part of a width x height area that the picture covers, as left, top, right, bottom. Scaled kInteger it is
// k x 1600 by k x 1200 (5 x 6 blocks, exactly 4:3) for the largest k that fits, else n x 320 by n x 200 for the
// largest n; on an area too small for even 320 x 200, shaped as the others.
platform::Rect PictureRect(PictureShape shape, int32_t width, int32_t height,
                           PictureScale scale = PictureScale::kNearest);
// What the device is told to do for a scale: only kSharp filters.
platform::PictureFilter FilterFor(PictureScale scale);

class Presenter {
 public:
  Presenter();

  // Converts palette and frame and packs them into the work surface in format's layout, then shows the picture on
  // the device's output (shaped and scaled), retrying while the device is busy and restoring it once when lost. An
  // output of unknown size is taken as size's. A frame whose lock fails is skipped; one nobody observes is shown
  // without being converted.
  void Show(platform::VideoDevice& video, const uint8_t* levels, const uint8_t* frame, const DisplayMode& format,
            const DisplayMode& size, PictureShape shape, PictureScale scale = PictureScale::kNearest);

  // The colour table alone (hook slot 1; the show itself never asks for it).
  void Refresh(const uint8_t* levels) { RefreshPalette(levels, colourTable_); }
  const uint8_t* ColourTable() const { return colourTable_; }
  const uint8_t* Expanded() const { return expanded_.get(); }

 private:
  uint8_t colourTable_[kColourTableBytes] = {};
  std::unique_ptr<uint8_t[]> expanded_;
};
