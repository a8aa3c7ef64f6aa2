// Display set-up for the full-screen and the windowed way, and the release of the display objects.
#include "display/display_setup.h"

#include <cstring>

#include "core/interface_block.h"
#include "display/display_mode.h"
#include "display/mode_list.h"
#include "display/pixel_conversion.h"
#include "display/presentation.h"

platform::Window* showWindow = nullptr;
platform::Surface* primarySurface = nullptr;
platform::Surface* workSurface = nullptr;
platform::Clipper* clipper = nullptr;
platform::SurfaceDescription lockDescription;

namespace {

platform::SurfaceDescription setupDescription;

int32_t SetupFailed(const char* text) {
  platform::MessageBox(nullptr, text, kDisplayErrorCaption);
  if (interfaceBlock.windowed == 0) {
    platform::DestroyWindow(showWindow);
    showWindow = nullptr;
  }
  return 0;
}

int32_t SetupSucceeded() {
  lockDescription = setupDescription;
  interfaceBlock.hooks[kHookRefreshPalette] = RefreshPalette;
  interfaceBlock.hooks[kHookPresentFrame] = PresentFrame;
  return 1;
}

int32_t SetupFullScreen(const DisplayMode& mode) {
  platform::ShowCursor(false);
  showWindow = platform::CreateShowWindow(
      {kWindowClassName, kFullScreenTitle, platform::WindowStyle::kPopup, mode.width, mode.height});
  if (platform::DisplayFailed(
          platform::SetCooperativeLevel(displayObject, showWindow, platform::kLevelExclusiveFullScreen))) {
    return SetupFailed("SetCooperativeLevel error");
  }
  if (platform::DisplayFailed(platform::SetDisplayMode(displayObject, mode.width, mode.height, mode.depth))) {
    return SetupFailed("SetDisplayMode error");
  }
  setupDescription = {};
  setupDescription.flags = platform::kDescCaps | platform::kDescBackBufferCount;
  setupDescription.caps = platform::kCapsPrimarySurface | platform::kCapsFlip | platform::kCapsComplex;
  setupDescription.backBufferCount = 1;
  if (platform::DisplayFailed(platform::CreateSurface(displayObject, &setupDescription, &primarySurface))) {
    return SetupFailed("CreateSurface error");
  }
  if (platform::DisplayFailed(
          platform::GetAttachedSurface(primarySurface, platform::kCapsBackBuffer, &workSurface))) {
    return SetupFailed("GetAttachedSurface error");
  }
  return SetupSucceeded();
}

int32_t SetupWindowed(const DisplayMode& mode) {
  showWindow = platform::CreateShowWindow(
      {kWindowClassName, kWindowedTitle, platform::WindowStyle::kFramed, mode.width, mode.height});
  platform::FitClientArea(showWindow, mode.width, mode.height);
  platform::SetWindowNotTopmost(showWindow);
  platform::ShowWindow(showWindow, platform::kShowShow);
  platform::UpdateWindow(showWindow);
  if (platform::DisplayFailed(platform::SetCooperativeLevel(displayObject, showWindow, platform::kLevelNormal))) {
    return SetupFailed("SetCooperativeLevel error");
  }
  setupDescription = {};
  setupDescription.flags = platform::kDescCaps;
  setupDescription.caps = platform::kCapsPrimarySurface;
  if (platform::DisplayFailed(platform::CreateSurface(displayObject, &setupDescription, &primarySurface))) {
    return SetupFailed("CreateSurface error");
  }
  if (platform::DisplayFailed(platform::CreateClipper(displayObject, &clipper))) {
    return SetupFailed("CreateClipper error");
  }
  platform::ClipperSetWindow(clipper, showWindow);
  platform::SetClipper(primarySurface, clipper);
  // The surface keeps the clipper alive; set-up gives up its own reference.
  platform::Release(clipper);
  clipper = nullptr;
  // The off-screen surface takes the desktop's pixel format: no format is asked for.
  setupDescription.flags = platform::kDescCaps | platform::kDescHeight | platform::kDescWidth;
  setupDescription.height = mode.height;
  setupDescription.width = mode.width;
  setupDescription.caps = platform::kCapsOffscreenPlain;
  if (platform::DisplayFailed(platform::CreateSurface(displayObject, &setupDescription, &workSurface))) {
    return SetupFailed("CreateSurface error");
  }
  return SetupSucceeded();
}

}  // namespace

int32_t SetupDisplay() {
  const DisplayMode& mode = modeTable[selectedMode];
  return interfaceBlock.windowed == 0 ? SetupFullScreen(mode) : SetupWindowed(mode);
}

void ReleaseDisplay() {
  if (displayObject == nullptr) return;
  if (clipper != nullptr) {
    platform::Release(clipper);
    clipper = nullptr;
  }
  if (workSurface != nullptr) {
    platform::Release(workSurface);
    workSurface = nullptr;
  }
  if (primarySurface != nullptr) {
    platform::Release(primarySurface);
    primarySurface = nullptr;
  }
  platform::Release(displayObject);
  displayObject = nullptr;
}

void ResetDisplayState() {
  std::memset(modeTable, 0, sizeof modeTable);
  selectedMode = 0;
  displayObject = nullptr;
  showWindow = nullptr;
  primarySurface = nullptr;
  workSurface = nullptr;
  clipper = nullptr;
  lockDescription = {};
  setupDescription = {};
  appActive = 0;
  pictureShape = PictureShape::kStretch;
}
