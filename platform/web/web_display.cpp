// The browser display: surfaces in memory, and a blit to the primary that puts the picture on the page's canvas.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/display.h"
#include "platform/web/web_internal.h"

namespace platform {

struct DisplayObject {
  SurfaceDescription mode;
  Window* window = nullptr;
  uint32_t level = 0;
};

struct Surface {
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  std::vector<uint8_t> memory;
  Surface* backBuffer = nullptr;
  Clipper* clipper = nullptr;
  int32_t references = 1;
  bool primary = false;
  bool locked = false;
};

struct Clipper {
  Window* window = nullptr;
  int32_t references = 1;
};

}  // namespace platform

// The page's canvas: the picture as RGBA bytes, width x height.
EM_JS(void, vesk_web_draw, (const uint8_t* rgba, int width, int height), {
  VeskPage.draw(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
// Resolves at the browser's next animation frame, the page's vertical blank.
EM_ASYNC_JS(void, vesk_web_next_frame, (), { await VeskPage.nextFrame(); });
EM_JS(int, vesk_web_screen_width, (), { return VeskPage.screenSize()[0]; });
EM_JS(int, vesk_web_screen_height, (), { return VeskPage.screenSize()[1]; });

namespace {

using platform::PixelFormat;
using platform::Surface;
using platform::SurfaceDescription;

// Canvas pixels are 32-bit; the page's modes are all of this one format.
constexpr PixelFormat kFormat32 = {32, 0xFF0000, 0xFF00, 0xFF};
constexpr int32_t kBytesPerPixel = 4;
constexpr int32_t kPictureWidth = 320;
constexpr int32_t kPictureHeight = 200;

struct Size {
  int32_t width;
  int32_t height;
};
// Canvas sizes of the page's 4:3 box; the picture keeps that shape whatever the size.
constexpr Size kOfferedSizes[] = {{320, 240}, {640, 480}, {800, 600}, {960, 720}, {1024, 768}, {1280, 960}};

std::set<Surface*>& Surfaces() {
  static std::set<Surface*> surfaces;
  return surfaces;
}

std::vector<uint8_t>& Rgba() {
  static std::vector<uint8_t> rgba;
  return rgba;
}

SurfaceDescription DesktopMode() {
  SurfaceDescription mode;
  mode.flags = platform::kDescWidth | platform::kDescHeight | platform::kDescPixelFormat;
  mode.width = vesk_web_screen_width();
  mode.height = vesk_web_screen_height();
  mode.format = kFormat32;
  return mode;
}

// Every surface holds at least the 320 x 200 picture the host packs into its corner.
Surface* NewSurface(int32_t width, int32_t height) {
  auto* surface = new Surface;
  surface->width = std::max(width, kPictureWidth);
  surface->height = std::max(height, kPictureHeight);
  surface->pitch = surface->width * kBytesPerPixel;
  surface->memory.assign(static_cast<size_t>(surface->pitch) * static_cast<size_t>(surface->height), 0);
  Surfaces().insert(surface);
  return surface;
}

bool Valid(Surface* surface) { return surface != nullptr && Surfaces().count(surface) != 0; }

bool InsideSurface(const platform::Rect& r, const Surface& s) {
  return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height && r.left < r.right &&
         r.top < r.bottom;
}

// The source rectangle as the canvas's RGBA bytes; the page stretches the canvas to its 4:3 box.
void Draw(const Surface& source, const platform::Rect& from) {
  const int32_t width = from.right - from.left;
  const int32_t height = from.bottom - from.top;
  std::vector<uint8_t>& rgba = Rgba();
  rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  uint8_t* out = rgba.data();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = source.memory.data() + static_cast<size_t>(from.top + y) * source.pitch +
                        static_cast<size_t>(from.left) * kBytesPerPixel;
    for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
      // Memory order of the 32-bit format: blue, green, red, unused.
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = 255;
    }
  }
  vesk_web_draw(rgba.data(), width, height);
}

}  // namespace

namespace platform {

DisplayResult DirectDrawCreate(DisplayObject** object) {
  auto* created = new DisplayObject;
  created->mode = DesktopMode();
  *object = created;
  return kDisplayOk;
}

DisplayResult GetDisplayMode(DisplayObject* object, SurfaceDescription* description) {
  if (object == nullptr || description == nullptr) return kDisplayInvalidParams;
  *description = object->mode;
  return kDisplayOk;
}

DisplayResult EnumDisplayModes(DisplayObject* object, ModeCallback callback, void* context) {
  if (object == nullptr || callback == nullptr) return kDisplayInvalidParams;
  for (const Size& size : kOfferedSizes) {
    SurfaceDescription mode;
    mode.flags = kDescWidth | kDescHeight | kDescPixelFormat;
    mode.width = size.width;
    mode.height = size.height;
    mode.format = kFormat32;
    if (callback(mode, context) != kEnumContinue) break;
  }
  return kDisplayOk;
}

DisplayResult SetCooperativeLevel(DisplayObject* object, Window* window, uint32_t level) {
  if (object == nullptr || window == nullptr) return kDisplayInvalidParams;
  object->window = window;
  object->level = level;
  return kDisplayOk;
}

DisplayResult SetDisplayMode(DisplayObject* object, int32_t width, int32_t height, int32_t bitCount) {
  if (object == nullptr || object->level != kLevelExclusiveFullScreen) return kDisplayInvalidParams;
  if (bitCount != 32 || width <= 0 || height <= 0) return kDisplayUnsupportedMode;
  object->mode.width = width;
  object->mode.height = height;
  return kDisplayOk;
}

DisplayResult CreateSurface(DisplayObject* object, SurfaceDescription* description, Surface** surface) {
  if (object == nullptr || description == nullptr || surface == nullptr) return kDisplayInvalidParams;
  Surface* created;
  if ((description->caps & kCapsPrimarySurface) != 0) {
    created = NewSurface(object->mode.width, object->mode.height);
    created->primary = true;
    if ((description->caps & kCapsFlip) != 0 && description->backBufferCount == 1) {
      created->backBuffer = NewSurface(object->mode.width, object->mode.height);
    }
  } else if ((description->caps & kCapsOffscreenPlain) != 0 && (description->flags & kDescWidth) != 0 &&
             (description->flags & kDescHeight) != 0 && description->width > 0 && description->height > 0) {
    created = NewSurface(description->width, description->height);
  } else {
    return kDisplayInvalidParams;
  }
  description->flags |= kDescWidth | kDescHeight | kDescPixelFormat;
  description->width = created->width;
  description->height = created->height;
  description->pitch = created->pitch;
  description->format = kFormat32;
  *surface = created;
  return kDisplayOk;
}

DisplayResult GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached) {
  if (!Valid(primary) || primary->backBuffer == nullptr || caps != kCapsBackBuffer) return kDisplayInvalidObject;
  ++primary->backBuffer->references;
  *attached = primary->backBuffer;
  return kDisplayOk;
}

DisplayResult CreateClipper(DisplayObject* object, Clipper** clipper) {
  if (object == nullptr || clipper == nullptr) return kDisplayInvalidParams;
  *clipper = new Clipper;
  return kDisplayOk;
}

DisplayResult ClipperSetWindow(Clipper* clipper, Window* window) {
  if (clipper == nullptr) return kDisplayInvalidParams;
  clipper->window = window;
  return kDisplayOk;
}

DisplayResult SetClipper(Surface* surface, Clipper* clipper) {
  if (!Valid(surface) || clipper == nullptr || surface->clipper != nullptr) return kDisplayInvalidParams;
  ++clipper->references;
  surface->clipper = clipper;
  return kDisplayOk;
}

DisplayResult Lock(Surface* surface, SurfaceDescription* description) {
  if (!Valid(surface) || description == nullptr || surface->locked) return kDisplayInvalidParams;
  surface->locked = true;
  description->memory = surface->memory.data();
  description->pitch = surface->pitch;
  return kDisplayOk;
}

DisplayResult Unlock(Surface* surface) {
  if (!Valid(surface) || !surface->locked) return kDisplayInvalidParams;
  surface->locked = false;
  return kDisplayOk;
}

DisplayResult WaitForVerticalBlank(DisplayObject* object) {
  if (object == nullptr) return kDisplayInvalidParams;
  vesk_web_next_frame();
  return kDisplayOk;
}

DisplayResult Blt(Surface* destination, const Rect& destRect, Surface* source, const Rect& sourceRect) {
  if (!Valid(destination) || !Valid(source) || destination->locked || source->locked ||
      !InsideSurface(sourceRect, *source) || destRect.left >= destRect.right || destRect.top >= destRect.bottom) {
    return kDisplayInvalidParams;
  }
  // Only what reaches the primary is seen; the page does the stretching.
  if (destination->primary) Draw(*source, sourceRect);
  web::NotifyPresented();
  web::DeliverTimerPeriods();
  return kDisplayOk;
}

DisplayResult Restore(Surface* surface) { return Valid(surface) ? kDisplayOk : kDisplayInvalidObject; }

void Release(Clipper* clipper) {
  if (clipper == nullptr) return;
  if (--clipper->references == 0) delete clipper;
}

void Release(Surface* surface) {
  if (!Valid(surface)) return;
  if (--surface->references > 0) return;
  Surface* backBuffer = surface->backBuffer;
  Clipper* surfaceClipper = surface->clipper;
  Surfaces().erase(surface);
  delete surface;
  if (backBuffer != nullptr) Release(backBuffer);
  if (surfaceClipper != nullptr) Release(surfaceClipper);
}

void Release(DisplayObject* object) { delete object; }

}  // namespace platform
