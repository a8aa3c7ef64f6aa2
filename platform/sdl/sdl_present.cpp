// The SDL video device's presenting side: the work texture locked for packing, stretched onto the picture's place
// by nearest pixel or sharp, paced to the display where the renderer does not wait for it, and rebuilt when lost.
#include <algorithm>
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
  // The work texture is the corner the picture is packed into (MakeWorkTexture), and that is what is locked.
  const SDL_Rect corner = {0, 0, std::min(workWidth_, kPictureWidth), std::min(workHeight_, kPictureHeight)};
  void* pixels = nullptr;
  if (SDL_LockTexture(work_.get(), &corner, &pixels, &lockedPitch_) != 0) {
    lost_ = true;
    return Access::kLost;
  }
  locked_ = static_cast<uint8_t*>(pixels);
  target = {locked_, lockedPitch_, corner.w, corner.h};
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
  // Sharp columns are worked out here from a copy of the picture, as a texture cannot be read back.
  if (filter_ == PictureFilter::kSharp) {
    sharpSource_.resize(static_cast<size_t>(kPictureWidth) * kPictureHeight);
    if (workWidth_ < kPictureWidth || workHeight_ < kPictureHeight ||
        SDL_ConvertPixels(kPictureWidth, kPictureHeight, sdlbackend::PackingTextureFormat(workLayout_), locked_,
                          lockedPitch_, SDL_PIXELFORMAT_RGB888, sharpSource_.data(), kPictureWidth * 4) != 0) {
      sharpSource_.clear();
    }
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

// p and q mixed, q taking weight / 256, channel by channel (two at once: red and blue, then green).
uint32_t Mix(uint32_t p, uint32_t q, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t redBlue = ((p & 0xFF00FF) * keep + (q & 0xFF00FF) * weight + 0x800080) >> 8 & 0xFF00FF;
  const uint32_t green = ((p & 0xFF00) * keep + (q & 0xFF00) * weight + 0x8000) >> 8 & 0xFF00;
  return redBlue | green;
}

}  // namespace

bool SdlVideo::SharpColumns(const SDL_Rect& from, const SDL_Rect& to) {
  SDL_Renderer* renderer = renderer_.get();
  SDL_RendererInfo info;
  const bool inCopy = from.x >= 0 && from.y >= 0 && from.x + from.w <= kPictureWidth && from.y + from.h <= kPictureHeight;
  if (!inCopy || sharpSource_.empty() || to.w < from.w || to.h < from.h || SDL_GetRendererInfo(renderer, &info) != 0 ||
      (info.max_texture_width > 0 && to.w > info.max_texture_width)) {
    return false;
  }
  if (sharp_ == nullptr || to.w != sharpWidth_ || from.h != sharpHeight_) {
    sharp_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, to.w, from.h));
    if (sharp_ == nullptr) return false;
    SDL_SetTextureBlendMode(sharp_.get(), SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(sharp_.get(), SDL_ScaleModeNearest);
    sharpWidth_ = to.w;
    sharpHeight_ = from.h;
    // Each column's first source column, and the weight (of 256) of the next where the column straddles two.
    sharpColumns_.assign(static_cast<size_t>(to.w), {});
    for (int32_t x = 0; x < to.w; ++x) sharpColumns_[x] = {x, static_cast<int32_t>(int64_t{x} * from.w / to.w), 0};
    for (const sdlbackend::Straddle& s : sdlbackend::Straddles(from.w, to.w)) sharpColumns_[s.at].alpha = s.alpha;
  }
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(sharp_.get(), nullptr, &pixels, &pitch) != 0) return false;
  for (int32_t y = 0; y < from.h; ++y) {
    const uint32_t* in = sharpSource_.data() + (from.y + y) * kPictureWidth + from.x;
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch);
    for (const sdlbackend::Straddle& c : sharpColumns_) {
      out[c.at] = c.alpha == 0 ? in[c.first] : Mix(in[c.first], in[c.first + 1], c.alpha + (c.alpha >> 7));
    }
  }
  SDL_UnlockTexture(sharp_.get());
  return true;
}

bool SdlVideo::SharpRows(const SDL_Rect& to) {
  SDL_Renderer* renderer = renderer_.get();
  SDL_Texture* texture = sharp_.get();
  if (sharpRowsFor_ != to.h) {
    sharpRows_ = sdlbackend::Straddles(sharpHeight_, to.h);
    sharpRowsFor_ = to.h;
  }
  // Nearest pixel is right for every row within one source row; each straddling row is then drawn from its first
  // source row with the next laid over it.
  bool drawn = SDL_RenderCopy(renderer, texture, nullptr, &to) == 0;
  for (const sdlbackend::Straddle& s : sharpRows_) {
    const SDL_Rect in = {0, s.first, sharpWidth_, 1}, out = {to.x, to.y + s.at, to.w, 1};
    drawn = drawn && SDL_RenderCopy(renderer, texture, &in, &out) == 0;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  for (const sdlbackend::Straddle& s : sharpRows_) {
    const SDL_Rect in = {0, s.first + 1, sharpWidth_, 1}, out = {to.x, to.y + s.at, to.w, 1};
    SDL_SetTextureAlphaMod(texture, s.alpha);
    drawn = drawn && SDL_RenderCopy(renderer, texture, &in, &out) == 0;
  }
  SDL_SetTextureAlphaMod(texture, SDL_ALPHA_OPAQUE);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
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
