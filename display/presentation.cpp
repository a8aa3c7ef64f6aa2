// Frame presentation: the conversion, the present with its retries and restore.
#include "display/presentation.h"

#include <algorithm>

#include "core/interface_block.h"

namespace {

// 5 x 6 blocks give 320 x 200 pixels that were meant for a 4:3 screen exactly that shape.
constexpr int32_t kBlockWidth = 1600;
constexpr int32_t kBlockHeight = 1200;

platform::Rect Centred(int32_t width, int32_t height, int32_t pictureWidth, int32_t pictureHeight) {
  const int32_t left = (width - pictureWidth) / 2;
  const int32_t top = (height - pictureHeight) / 2;
  return {left, top, left + pictureWidth, top + pictureHeight};
}

}  // namespace

platform::Rect PictureRect(PictureShape shape, int32_t width, int32_t height, PictureScale scale) {
  if (scale == PictureScale::kInteger) {
    const int32_t blocks = std::min(width / kBlockWidth, height / kBlockHeight);
    if (blocks > 0) return Centred(width, height, blocks * kBlockWidth, blocks * kBlockHeight);
    const int32_t times = std::min(width / kScreenWidth, height / kScreenHeight);
    if (times > 0) return Centred(width, height, times * kScreenWidth, times * kScreenHeight);
  }
  if (shape == PictureShape::kStretch || width <= 0 || height <= 0) return {0, 0, width, height};
  // Wider than 4:3: full height, bars left and right; otherwise full width, bars above and below.
  const int64_t w = width, h = height;
  const int32_t pictureWidth = w * 3 > h * 4 ? static_cast<int32_t>(h * 4 / 3) : width;
  const int32_t pictureHeight = w * 3 > h * 4 ? height : static_cast<int32_t>(w * 3 / 4);
  return Centred(width, height, pictureWidth, pictureHeight);
}

platform::PictureFilter FilterFor(PictureScale scale) {
  return scale == PictureScale::kSharp ? platform::PictureFilter::kSharp : platform::PictureFilter::kNearest;
}

// Zeroed, so that the fourth byte of every pixel, which nothing writes, is the same on every run.
Presenter::Presenter() : expanded_(new uint8_t[kExpandedFrameBytes]()) {}

void Presenter::Show(platform::VideoDevice& video, const uint8_t* levels, const uint8_t* frame,
                     const DisplayMode& format, const DisplayMode& size, PictureShape shape, PictureScale scale) {
  platform::WorkTarget target;
  const platform::Access locked = video.Lock(target);
  if (locked == platform::Access::kOk) {
    // Without memory, or with less than the picture needs, there is nowhere to pack into: the frame is skipped.
    if (target.pixels == nullptr || target.width < kScreenWidth || target.height < kScreenHeight) {
      video.Unlock();
      return;
    }
    RefreshPalette(levels, colourTable_);
    ExpandFrame(frame, colourTable_, expanded_.get());
    PackFrame(expanded_.get(), target.pixels, target.pitch, format.depth, format.greenWidth);
    video.Unlock();
  } else if (locked != platform::Access::kUnobserved) {
    // The frame is skipped; a lost surface is given back as after a lost present, or nothing would ever be
    // drawn again.
    if (locked == platform::Access::kLost) video.Restore();
    return;
  }
  const platform::Rect source = {0, 0, kScreenWidth, kScreenHeight};
  int32_t width = size.width, height = size.height;
  if (!video.OutputSize(width, height) || width <= 0 || height <= 0) {
    width = size.width;
    height = size.height;
  }
  const platform::Rect picture = PictureRect(shape, width, height, scale);
  for (;;) {
    const platform::Access shown = video.Present(source, picture);
    if (shown == platform::Access::kBusy) continue;
    if (shown == platform::Access::kLost) video.Restore();
    return;
  }
}
