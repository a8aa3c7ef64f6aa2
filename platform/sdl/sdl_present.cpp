// The SDL video device's presenting side: the work texture locked for packing, stretched onto the picture's place
// by nearest pixel or sharp, paced to the display where the renderer does not wait for it, and rebuilt when lost.
#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "core/screen.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace sdlbackend {

std::vector<Straddle> Straddles(int32_t count, int32_t size) {
  std::vector<Straddle> straddles;
  // Output pixel i covers [i * count / size, (i + 1) * count / size) of the source, at most two source pixels.
  for (int32_t i = 0; i < size; ++i) {
    const int64_t start = int64_t{i} * count, end = start + count;
    const int64_t first = start / size;
    const int64_t boundary = (first + 1) * size;
    if (end <= boundary || first + 1 >= count) continue;
    const int64_t secondShare = (end - boundary) * 255;
    straddles.push_back({i, static_cast<int32_t>(first), static_cast<uint8_t>((secondShare + count / 2) / count)});
  }
  return straddles;
}

}  // namespace sdlbackend

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
  const SDL_Rect to = {picture.left, picture.top, picture.right - picture.left, picture.bottom - picture.top};
  const SDL_Rect from = {source.left, source.top, source.right - source.left, source.bottom - source.top};
  // The sharp columns go first, as they take the renderer's target away from the output for a while.
  const bool sharp = filter_ == PictureFilter::kSharp && SharpColumns(from, to);
  // Whatever the picture leaves uncovered (the bars of a picture that keeps its shape) is black.
  if (to.x > 0 || to.y > 0 || to.x + to.w < outputWidth || to.y + to.h < outputHeight) SDL_RenderClear(renderer);
  if (!(sharp ? SharpRows(to) : SDL_RenderCopy(renderer, work_.get(), &from, &to) == 0)) {
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

namespace {

// Each straddling line (a column or a row, as lines gives it) copied whole from first, then first + 1 laid over it
// at its alpha. The texture's blending is left as it was.
bool MendStraddles(SDL_Renderer* renderer, SDL_Texture* texture, const std::vector<sdlbackend::Straddle>& straddles,
                   const std::function<void(int32_t from, int32_t at, SDL_Rect& in, SDL_Rect& out)>& lines) {
  bool drawn = true;
  SDL_Rect in, out;
  for (const sdlbackend::Straddle& s : straddles) {
    lines(s.first, s.at, in, out);
    drawn = drawn && SDL_RenderCopy(renderer, texture, &in, &out) == 0;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  for (const sdlbackend::Straddle& s : straddles) {
    lines(s.first + 1, s.at, in, out);
    SDL_SetTextureAlphaMod(texture, s.alpha);
    drawn = drawn && SDL_RenderCopy(renderer, texture, &in, &out) == 0;
  }
  SDL_SetTextureAlphaMod(texture, SDL_ALPHA_OPAQUE);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
  return drawn;
}

}  // namespace


bool SdlVideo::SharpColumns(const SDL_Rect& from, const SDL_Rect& to) {
  SDL_Renderer* renderer = renderer_.get();
  SDL_RendererInfo info;
  if (to.w < from.w || to.h < from.h || SDL_GetRendererInfo(renderer, &info) != 0 ||
      (info.flags & SDL_RENDERER_TARGETTEXTURE) == 0 || (info.max_texture_width > 0 && to.w > info.max_texture_width)) {
    return false;
  }
  if (sharp_ == nullptr || to.w != sharpWidth_ || from.h != sharpHeight_) {
    sharp_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, to.w, from.h));
    if (sharp_ == nullptr) return false;
    SDL_SetTextureBlendMode(sharp_.get(), SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(sharp_.get(), SDL_ScaleModeNearest);
    sharpWidth_ = to.w;
    sharpHeight_ = from.h;
    sharpColumns_ = sdlbackend::Straddles(from.w, to.w);
  }
  if (SDL_SetRenderTarget(renderer, sharp_.get()) != 0) return false;
  // Nearest pixel is right for every column within one source column; the straddling ones are mended.
  bool drawn = SDL_RenderCopy(renderer, work_.get(), &from, nullptr) == 0;
  drawn = drawn && MendStraddles(renderer, work_.get(), sharpColumns_,
                                 [&](int32_t column, int32_t at, SDL_Rect& in, SDL_Rect& out) {
                                   in = {from.x + column, from.y, 1, from.h};
                                   out = {at, 0, 1, from.h};
                                 });
  SDL_SetRenderTarget(renderer, nullptr);
  return drawn;
}

bool SdlVideo::SharpRows(const SDL_Rect& to) {
  SDL_Renderer* renderer = renderer_.get();
  if (sharpRowsFor_ != to.h) {
    sharpRows_ = sdlbackend::Straddles(sharpHeight_, to.h);
    sharpRowsFor_ = to.h;
  }
  return SDL_RenderCopy(renderer, sharp_.get(), nullptr, &to) == 0 &&
         MendStraddles(renderer, sharp_.get(), sharpRows_, [&](int32_t row, int32_t at, SDL_Rect& in, SDL_Rect& out) {
           in = {0, row, sharpWidth_, 1};
           out = {to.x, to.y + at, to.w, 1};
         });
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
