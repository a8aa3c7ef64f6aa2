// The SDL video device's presenting side: the work texture locked for packing, stretched onto the picture's place,
// paced to the display where the renderer does not wait for it, and rebuilt when lost.
#include <algorithm>
#include <thread>

#include "core/screen.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace platform {

namespace {

// The host packs its picture into the top-left corner of the work surface and presents only that corner.
constexpr int32_t kPictureWidth = kScreenWidth;
constexpr int32_t kPictureHeight = kScreenHeight;

}  // namespace

Access SdlVideo::Lock(WorkTarget& target) {
  if (lost_ || work_ == nullptr) return Access::kLost;
  // Locked twice without an unlock between: refused, not lost.
  if (locked_ != nullptr) return Access::kFailed;
  // Only the corner the picture is packed into is locked, so that unlocking uploads just that; the pixels and
  // pitch are still those of the whole surface from its first byte.
  const SDL_Rect corner = {0, 0, std::min(workWidth_, kPictureWidth), std::min(workHeight_, kPictureHeight)};
  void* pixels = nullptr;
  if (SDL_LockTexture(work_.get(), &corner, &pixels, &lockedPitch_) != 0) {
    lost_ = true;
    return Access::kLost;
  }
  locked_ = static_cast<uint8_t*>(pixels);
  target = {locked_, lockedPitch_, workWidth_, workHeight_};
  return Access::kOk;
}

void SdlVideo::Unlock() {
  if (locked_ == nullptr || work_ == nullptr) return;
  if (sdlbackend::TraceEnabled() && !pictureSeen_ &&
      sdlbackend::HoldsAPicture(locked_, lockedPitch_, workLayout_.bitsPerPixel, std::min(workWidth_, kPictureWidth),
                                std::min(workHeight_, kPictureHeight))) {
    pictureSeen_ = true;
    sdlbackend::Trace("first-picture");
  }
  SDL_UnlockTexture(work_.get());
  locked_ = nullptr;
}

Access SdlVideo::Present(const Rect& source, const Rect& picture) {
  if (lost_ || renderer_ == nullptr || work_ == nullptr || window_ == nullptr) return Access::kLost;
  std::this_thread::sleep_for(pacer_.WaitBeforePresent(sdlbackend::FramePacer::Clock::now()));
  SDL_Renderer* renderer = renderer_.get();
  int outputWidth = 0, outputHeight = 0;
  if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return Access::kLost;
  // The picture's place is in the window's (or the mode's) coordinates, which a high-density output scales.
  int width = fullScreenMode_.w, height = fullScreenMode_.h;
  if (!fullScreen_) SDL_GetWindowSize(window_, &width, &height);
  if (width <= 0 || height <= 0) {
    width = outputWidth;
    height = outputHeight;
  }
  const auto scale = [](int32_t value, int from, int to) {
    return static_cast<int>(static_cast<int64_t>(value) * to / from);
  };
  const int left = scale(picture.left, width, outputWidth), top = scale(picture.top, height, outputHeight);
  const SDL_Rect to = {left, top, scale(picture.right, width, outputWidth) - left,
                       scale(picture.bottom, height, outputHeight) - top};
  const SDL_Rect from = {source.left, source.top, source.right - source.left, source.bottom - source.top};
  // Whatever the picture leaves uncovered (the bars of a picture that keeps its shape) is black.
  if (to.x > 0 || to.y > 0 || to.x + to.w < outputWidth || to.y + to.h < outputHeight) SDL_RenderClear(renderer);
  if (SDL_RenderCopy(renderer, work_.get(), &from, &to) != 0) {
    lost_ = true;
    return Access::kLost;
  }
  OnDrawn(renderer);
  SDL_RenderPresent(renderer);
  const bool wasPacing = pacer_.Pacing();
  pacer_.Presented(sdlbackend::FramePacer::Clock::now());
  if (!wasPacing && pacer_.Pacing()) sdlbackend::Trace("pacing-to-refresh-rate");
  presentedSincePump_ = true;
  sdlbackend::TracePresent(++presents_);
  return Access::kOk;
}

void SdlVideo::Restore() {
  // Nothing to give back after Release, or before any set-up; a destroyed window stays lost.
  if (!created_ || workWidth_ == 0 || (!lost_ && renderer_ != nullptr)) return;
  ForgetRenderer();
  if (MakeRenderer() && MakeWorkTexture()) lost_ = false;
}

}  // namespace platform
