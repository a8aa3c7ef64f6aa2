// The SDL video device's presenting side: the work texture locked for packing, stretched onto the picture's place
// by nearest pixel or sharp, paced to the display where the renderer does not wait for it, and rebuilt when lost.
#include <algorithm>
#include <cstring>
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
  // A copy is kept for sharp, as a texture cannot be read back, and while paced, to tell a picture that did not
  // change; without one every present draws.
  if (filter_ == PictureFilter::kSharp || pacer_.Pacing()) {
    KeepPicture();
  } else {
    picture_.clear();
  }
  SDL_UnlockTexture(work_.get());
  locked_ = nullptr;
}

void SdlVideo::KeepPicture() {
  constexpr size_t kRowBytes = kPictureWidth * 4;
  if (workWidth_ < kPictureWidth || workHeight_ < kPictureHeight) {
    picture_.clear();
    return;
  }
  if (picture_.size() != static_cast<size_t>(kPictureWidth) * kPictureHeight) {
    picture_.assign(static_cast<size_t>(kPictureWidth) * kPictureHeight, 0);
    changedTop_ = 0;
    changedBottom_ = kPictureHeight;
  }
  const uint32_t format = sdlbackend::PackingTextureFormat(workLayout_);
  uint32_t converted[kPictureWidth];
  for (int32_t y = 0; y < kPictureHeight; ++y) {
    const uint8_t* packed = locked_ + static_cast<ptrdiff_t>(y) * lockedPitch_;
    const void* row = packed;
    if (format != SDL_PIXELFORMAT_RGB888) {
      if (SDL_ConvertPixels(kPictureWidth, 1, format, packed, lockedPitch_, SDL_PIXELFORMAT_RGB888, converted,
                            kRowBytes) != 0) {
        picture_.clear();
        return;
      }
      row = converted;
    }
    uint32_t* kept = picture_.data() + static_cast<size_t>(y) * kPictureWidth;
    if (std::memcmp(kept, row, kRowBytes) == 0) continue;
    std::memcpy(kept, row, kRowBytes);
    changedTop_ = std::min(changedTop_, y);
    changedBottom_ = std::max(changedBottom_, y + 1);
  }
}

Access SdlVideo::Present(const Rect& source, const Rect& picture) {
  if (lost_ || renderer_ == nullptr || work_ == nullptr || window_ == nullptr) return Access::kLost;
  std::this_thread::sleep_for(pacer_.WaitBeforePresent(sdlbackend::FramePacer::Clock::now()));
  SDL_Renderer* renderer = renderer_.get();
  int outputWidth = 0, outputHeight = 0;
  if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return Access::kLost;
  const SDL_Rect to = {picture.left, picture.top, picture.right - picture.left, picture.bottom - picture.top};
  const SDL_Rect from = {source.left, source.top, source.right - source.left, source.bottom - source.top};
  const SDL_Rect output = {0, 0, outputWidth, outputHeight};
  const bool samePlace = !redraw_ && SDL_RectEquals(&to, &drawnTo_) && SDL_RectEquals(&from, &drawnFrom_) &&
                         SDL_RectEquals(&output, &drawnOutput_);
  // Where presents are paced here the window keeps showing an unchanged picture; a renderer that waits for the
  // vertical blank in its present still needs the present to wait.
  if (pacer_.Pacing() && samePlace && !picture_.empty() && changedTop_ >= changedBottom_) {
    ++presentsHeld_;
  } else {
    // Composed straight into the window's surface, the picture must lie within it.
    const bool fits = !directSurface_ || (to.x >= 0 && to.y >= 0 && to.x + to.w <= outputWidth &&
                                          to.y + to.h <= outputHeight);
    // A window that shows nothing but its black background needs only the picture's rows that are not black.
    const bool onBlank = blankWindow_ && directSurface_;
    const bool sharp = filter_ == PictureFilter::kSharp && fits && Sharpen(from, to, onBlank);
    if (!sharp) {
      sharp_.reset();
      sharpReady_ = false;
    }
    // The window's own surface keeps what was drawn: in the same place only the rows that changed need drawing
    // again, and showing again, and the bars are still black.
    const bool changedRowsOnly = sharp && directSurface_ && (samePlace || onBlank);
    // Whatever the picture leaves uncovered (the bars of a picture that keeps its shape) is black.
    if (!changedRowsOnly && (to.x > 0 || to.y > 0 || to.x + to.w < outputWidth || to.y + to.h < outputHeight)) {
      SDL_RenderClear(renderer);
    }
    if (!(sharp ? SharpRows(to, changedRowsOnly) : SDL_RenderCopy(renderer, work_.get(), &from, &to) == 0)) {
      lost_ = true;
      return Access::kLost;
    }
    OnDrawn(renderer);
    if (!changedRowsOnly || sharpChanged_.h > 0) blankWindow_ = false;
    if (!changedRowsOnly) {
      SDL_RenderPresent(renderer);
    } else if (sharpChanged_.h > 0) {
      const SDL_Rect shown = {to.x, to.y + sharpChanged_.y, to.w, sharpChanged_.h};
      SDL_UpdateWindowSurfaceRects(window_, &shown, 1);
    }
    redraw_ = false;
    changedTop_ = kPictureHeight;
    changedBottom_ = 0;
    drawnTo_ = to;
    drawnFrom_ = from;
    drawnOutput_ = output;
  }
  const bool wasPacing = pacer_.Pacing();
  pacer_.Presented(sdlbackend::FramePacer::Clock::now());
  if (!wasPacing && pacer_.Pacing()) sdlbackend::Trace("pacing-to-refresh-rate");
  presentedSincePump_ = true;
  sdlbackend::TracePresent(++presents_, presentsHeld_);
  return Access::kOk;
}

namespace {

// A straddle's alpha (0 to 255) as a mixing weight (0 to 256).
uint16_t Weight(uint8_t alpha) { return static_cast<uint16_t>(alpha + (alpha >> 7)); }

// p and q mixed, q taking weight / 256, channel by channel (two at once: red and blue, then green).
uint32_t Mix(uint32_t p, uint32_t q, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t redBlue = ((p & 0xFF00FF) * keep + (q & 0xFF00FF) * weight + 0x800080) >> 8 & 0xFF00FF;
  const uint32_t green = ((p & 0xFF00) * keep + (q & 0xFF00) * weight + 0x8000) >> 8 & 0xFF00;
  return redBlue | green;
}

// Whole rows mixed as above, byte by byte in 16-bit arithmetic (which fits: at most 255 * 256 + 128), so that the
// compiler does many bytes at once. The unused fourth byte of each pixel is mixed too.
void MixRow(const uint32_t* p, const uint32_t* q, uint16_t weight, uint32_t* out, size_t pixels) {
  const auto* pBytes = reinterpret_cast<const uint8_t*>(p);
  const auto* qBytes = reinterpret_cast<const uint8_t*>(q);
  auto* outBytes = reinterpret_cast<uint8_t*>(out);
  const auto keep = static_cast<uint16_t>(256 - weight);
  for (size_t i = 0; i < pixels * 4; ++i) {
    outBytes[i] = static_cast<uint8_t>(static_cast<uint16_t>(static_cast<uint16_t>(pBytes[i] * keep) +
                                                             static_cast<uint16_t>(qBytes[i] * weight) + 128) >> 8);
  }
}

// Every output pixel of a stretch of count source pixels onto size: its first source pixel, and the alpha of the
// next where it straddles two.
std::vector<sdlbackend::Straddle> EveryPixel(int32_t count, int32_t size) {
  std::vector<sdlbackend::Straddle> every(static_cast<size_t>(size));
  for (int32_t i = 0; i < size; ++i) every[i] = {i, static_cast<int32_t>(int64_t{i} * count / size), 0};
  for (const sdlbackend::Straddle& s : sdlbackend::Straddles(count, size)) every[s.at].alpha = s.alpha;
  return every;
}

}  // namespace

bool SdlVideo::Sharpen(const SDL_Rect& from, const SDL_Rect& to, bool onBlank) {
  SDL_Renderer* renderer = renderer_.get();
  const bool inCopy = from.x >= 0 && from.y >= 0 && from.x + from.w <= kPictureWidth && from.y + from.h <= kPictureHeight;
  if (!inCopy || picture_.empty() || to.w < from.w || to.h < from.h) return false;
  // Composed straight into the window's surface, the picture is kept stretched to its width and mixed row by row
  // into the surface. Another renderer gets it in a texture columns wide and source rows high and stretches the
  // rows itself.
  int32_t top = std::max(changedTop_ - from.y, 0), bottom = std::min(changedBottom_ - from.y, from.h);
  if (!sharpReady_ || to.w != sharpWidth_ || !SDL_RectEquals(&from, &sharpFrom_) || to.h != sharpRowsFor_) {
    if (!directSurface_) {
      SDL_RendererInfo info;
      if (SDL_GetRendererInfo(renderer, &info) != 0 ||
          (info.max_texture_width > 0 && to.w > info.max_texture_width) ||
          (info.max_texture_height > 0 && from.h > info.max_texture_height)) {
        return false;
      }
      sharp_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, to.w, from.h));
      if (sharp_ == nullptr) return false;
      SDL_SetTextureBlendMode(sharp_.get(), SDL_BLENDMODE_NONE);
      SDL_SetTextureScaleMode(sharp_.get(), SDL_ScaleModeNearest);
    }
    sharpReady_ = true;
    sharpWidth_ = to.w;
    sharpFrom_ = from;
    // Columns come as runs: those within a source column, then the one straddling it and the next, if any.
    sharpColumns_.assign(static_cast<size_t>(from.w), {});
    for (const sdlbackend::Straddle& c : EveryPixel(from.w, to.w)) {
      if (c.alpha == 0) {
        ++sharpColumns_[c.first].copies;
      } else {
        sharpColumns_[c.first].weight = Weight(c.alpha);
      }
    }
    sharpRows_ = EveryPixel(from.h, to.h);
    sharpRowsFor_ = to.h;
    // Every row is expanded just below before any is read: the memory is not cleared first.
    const size_t expanded = directSurface_ ? static_cast<size_t>(to.w) * from.h : 0;
    if (expanded != sharpExpandedSize_) {
      sharpExpanded_ = expanded > 0 ? std::make_unique_for_overwrite<uint32_t[]>(expanded) : nullptr;
      sharpExpandedSize_ = expanded;
      sdlbackend::ReadyForWriting(sharpExpanded_.get(), expanded * sizeof(uint32_t));
    }
    top = 0;
    bottom = from.h;
  }
  sharpChanged_ = {0, 0, to.w, 0};
  if (!directSurface_) return top >= bottom || ExpandRows(from, top, bottom, nullptr, 0);
  if (top < bottom && !ExpandRows(from, top, bottom, sharpExpanded_.get(), to.w * 4)) return false;
  // On a blank window, the rows to show are those from the first source row that is not black to the last.
  if (onBlank) {
    const auto black = [&](int32_t y) {
      const uint32_t* row = picture_.data() + static_cast<size_t>(from.y + y) * kPictureWidth + from.x;
      return std::all_of(row, row + from.w, [](uint32_t pixel) { return (pixel & 0xFFFFFF) == 0; });
    };
    for (top = 0; top < from.h && black(top);) ++top;
    for (bottom = from.h; bottom > top && black(bottom - 1);) --bottom;
  }
  if (top >= bottom) return true;
  // Output rows drawn from a changed source row: those starting in one, and those straddling into one.
  int32_t first = 0, last = to.h;
  while (first < last && sharpRows_[first].first + (sharpRows_[first].alpha != 0 ? 1 : 0) < top) ++first;
  while (last > first && sharpRows_[last - 1].first >= bottom) --last;
  sharpChanged_ = {0, first, to.w, last - first};
  return true;
}

void SdlVideo::ComposeRows(int32_t first, int32_t count, uint8_t* pixels, int pitch) {
  const int32_t pixelsPerRow = sharpWidth_;
  for (int32_t y = 0; y < count; ++y) {
    const sdlbackend::Straddle& row = sharpRows_[first + y];
    const uint32_t* upper = sharpExpanded_.get() + static_cast<size_t>(row.first) * pixelsPerRow;
    auto* out = reinterpret_cast<uint32_t*>(pixels + static_cast<ptrdiff_t>(y) * pitch);
    if (row.alpha == 0) {
      std::memcpy(out, upper, static_cast<size_t>(pixelsPerRow) * 4);
      continue;
    }
    MixRow(upper, upper + pixelsPerRow, Weight(row.alpha), out, static_cast<size_t>(pixelsPerRow));
  }
}

bool SdlVideo::ExpandRows(const SDL_Rect& from, int32_t top, int32_t bottom, uint32_t* memory, int pitch) {
  // Without memory of its own the rows go straight into the sharp texture.
  const SDL_Rect band = {0, top, sharpWidth_, bottom - top};
  void* pixels = memory + static_cast<size_t>(top) * (pitch / 4);
  if (memory == nullptr && SDL_LockTexture(sharp_.get(), &band, &pixels, &pitch) != 0) return false;
  for (int32_t y = top; y < bottom; ++y) {
    const uint32_t* in = picture_.data() + static_cast<size_t>(from.y + y) * kPictureWidth + from.x;
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + static_cast<size_t>(y - top) * pitch);
    for (size_t x = 0; x < sharpColumns_.size(); ++x) {
      const ColumnRun run = sharpColumns_[x];
      out = std::fill_n(out, run.copies, in[x]);
      if (run.weight != 0) *out++ = Mix(in[x], in[x + 1], run.weight);
    }
  }
  if (memory == nullptr) SDL_UnlockTexture(sharp_.get());
  return true;
}

bool SdlVideo::SharpRows(const SDL_Rect& to, bool changedRowsOnly) {
  SDL_Renderer* renderer = renderer_.get();
  SDL_Texture* texture = sharp_.get();
  if (directSurface_) {
    // What the renderer still holds (a clear of the bars) goes into the surface first.
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr || surface->format->format != SDL_PIXELFORMAT_RGB888 || SDL_RenderFlush(renderer) != 0 ||
        to.x + to.w > surface->w || to.y + to.h > surface->h || SDL_LockSurface(surface) != 0) {
      return false;
    }
    const SDL_Rect rows = changedRowsOnly ? sharpChanged_ : SDL_Rect{0, 0, to.w, to.h};
    auto* at = static_cast<uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(to.y + rows.y) * surface->pitch +
               static_cast<ptrdiff_t>(to.x) * 4;
    ComposeRows(rows.y, rows.h, at, surface->pitch);
    SDL_UnlockSurface(surface);
    return true;
  }
  // Nearest pixel is right for every row within one source row; each straddling row is then drawn from its first
  // source row with the next laid over it.
  bool drawn = SDL_RenderCopy(renderer, texture, nullptr, &to) == 0;
  for (const sdlbackend::Straddle& s : sharpRows_) {
    if (s.alpha == 0) continue;
    const SDL_Rect in = {0, s.first, sharpWidth_, 1}, out = {to.x, to.y + s.at, to.w, 1};
    drawn = drawn && SDL_RenderCopy(renderer, texture, &in, &out) == 0;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  for (const sdlbackend::Straddle& s : sharpRows_) {
    if (s.alpha == 0) continue;
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
