// Frame presentation: the conversion, the blit with its retries and restore, and the pump at the end.
#include "display/presentation.h"

#include "display/display_mode.h"
#include "display/display_setup.h"
#include "display/mode_list.h"
#include "display/pixel_conversion.h"
#include "platform/display.h"
#include "platform/window.h"

int32_t appActive = 0;
HookOperation messagePump = nullptr;
PictureShape pictureShape = PictureShape::kStretch;

namespace {

platform::Rect DestinationRect(const DisplayMode& size) {
  const platform::Rect picture = PictureRect(pictureShape, size.width, size.height);
  if (interfaceBlock.windowed != 0) {
    const platform::Point topLeft = platform::ClientToScreen(showWindow, {picture.left, picture.top});
    const platform::Point bottomRight = platform::ClientToScreen(showWindow, {picture.right, picture.bottom});
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }
  return picture;
}

}  // namespace

platform::Rect PictureRect(PictureShape shape, int32_t width, int32_t height) {
  if (shape == PictureShape::kStretch || width <= 0 || height <= 0) return {0, 0, width, height};
  // Wider than 4:3: full height, bars left and right; otherwise full width, bars above and below.
  const int64_t w = width, h = height;
  const int32_t pictureWidth = w * 3 > h * 4 ? static_cast<int32_t>(h * 4 / 3) : width;
  const int32_t pictureHeight = w * 3 > h * 4 ? height : static_cast<int32_t>(w * 3 / 4);
  const int32_t left = (width - pictureWidth) / 2;
  const int32_t top = (height - pictureHeight) / 2;
  return {left, top, left + pictureWidth, top + pictureHeight};
}

void BlitToScreen() {
  const platform::DisplayResult locked = platform::Lock(workSurface, &lockDescription);
  if (platform::DisplayFailed(locked)) {
    // The frame is skipped; a lost surface is given back as after a lost blit, or nothing would
    // ever be drawn again.
    if (locked == platform::kDisplaySurfaceLost) platform::Restore(primarySurface);
    return;
  }
  // Without memory, or with less than the picture needs, there is nowhere to pack into: the frame is skipped.
  if (lockDescription.memory == nullptr || lockDescription.width < kScreenWidth ||
      lockDescription.height < kScreenHeight) {
    platform::Unlock(workSurface);
    return;
  }
  // In a window the work surface has the desktop's format, which record 0 describes.
  const DisplayMode& format = interfaceBlock.windowed != 0 ? modeTable[0] : modeTable[selectedMode];
  PackFrame(expandedFrame, lockDescription.memory, lockDescription.pitch, format.depth, format.greenWidth);
  platform::Unlock(workSurface);
  const DisplayMode& size = modeTable[selectedMode];
  const platform::Rect source = {0, 0, kScreenWidth, kScreenHeight};
  for (;;) {
    const platform::Rect destination = DestinationRect(size);
    platform::WaitForVerticalBlank(displayObject);
    const platform::DisplayResult result = platform::Blt(primarySurface, destination, workSurface, source);
    if (result == platform::kDisplayWasStillDrawing) continue;
    if (result == platform::kDisplaySurfaceLost) platform::Restore(primarySurface);
    return;
  }
}

void PresentFrame() {
  RefreshPalette();
  ExpandFrame();
  if (appActive != 0) BlitToScreen();
  messagePump();
}
