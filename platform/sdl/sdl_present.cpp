// The SDL video device's presenting side: the work texture locked for packing, stretched onto the picture's place
// by nearest pixel or sharp, paced to the display where the renderer does not wait for it, and rebuilt when lost.
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
// The sharp texture's bound on either side, whatever more the renderer would take.
constexpr int kMaxSharpSide = 4096;

// The smallest whole multiple of source that is at least target (the source itself when target is smaller).
int WholeMultiple(int target, int source) { return std::max(1, (target + source - 1) / source) * source; }

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
  const SDL_Rect to = {picture.left, picture.top, picture.right - picture.left, picture.bottom - picture.top};
  const SDL_Rect from = {source.left, source.top, source.right - source.left, source.bottom - source.top};
  // The sharp texture is drawn first, as it takes the renderer's target away from the window for a while.
  const bool sharp = filter_ == PictureFilter::kSharp && CopySharp(from, to);
  // Whatever the picture leaves uncovered (the bars of a picture that keeps its shape) is black.
  if (to.x > 0 || to.y > 0 || to.x + to.w < outputWidth || to.y + to.h < outputHeight) SDL_RenderClear(renderer);
  if (SDL_RenderCopy(renderer, sharp ? sharp_.get() : work_.get(), sharp ? nullptr : &from, &to) != 0) {
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

bool SdlVideo::CopySharp(const SDL_Rect& from, const SDL_Rect& to) {
  SDL_Renderer* renderer = renderer_.get();
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_TARGETTEXTURE) == 0) return false;
  const auto bound = [](int wanted, int most) { return std::min({wanted, kMaxSharpSide, most > 0 ? most : wanted}); };
  const int width = bound(WholeMultiple(to.w, from.w), info.max_texture_width);
  const int height = bound(WholeMultiple(to.h, from.h), info.max_texture_height);
  if (sharp_ == nullptr || width != sharpWidth_ || height != sharpHeight_) {
    // Opaque and in the usual window format, so that the software renderer takes its plain linear stretch.
    sharp_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, width, height));
    if (sharp_ == nullptr) return false;
    SDL_SetTextureBlendMode(sharp_.get(), SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(sharp_.get(), SDL_ScaleModeLinear);
    sharpWidth_ = width;
    sharpHeight_ = height;
  }
  const bool drawn = SDL_SetRenderTarget(renderer, sharp_.get()) == 0 &&
                     SDL_RenderCopy(renderer, work_.get(), &from, nullptr) == 0;
  SDL_SetRenderTarget(renderer, nullptr);
  return drawn;
}

bool SdlVideo::OutputSize(int32_t& width, int32_t& height) {
  int w = 0, h = 0;
  if (renderer_ == nullptr || SDL_GetRendererOutputSize(renderer_.get(), &w, &h) != 0) return false;
  width = w;
  height = h;
  return true;
}

void SdlVideo::Restore() {
  // Nothing to give back after Release, or before any set-up; a destroyed window stays lost.
  if (!created_ || workWidth_ == 0 || (!lost_ && renderer_ != nullptr)) return;
  ForgetRenderer();
  if (MakeRenderer() && MakeWorkTexture()) lost_ = false;
}

}  // namespace platform
