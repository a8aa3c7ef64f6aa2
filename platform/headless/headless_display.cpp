// The headless display: surfaces in memory, a nearest-pixel stretching blit, and the present that moves time.
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "platform/display.h"
#include "platform/headless/headless_internal.h"

namespace platform {

struct DisplayObject {
  SurfaceDescription mode;  // the mode the simulated display is in
  Window* window = nullptr;
  uint32_t level = 0;
};

struct Surface {
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  PixelFormat format = {};
  std::vector<uint8_t> memory;
  Surface* backBuffer = nullptr;  // the primary's reference to its back buffer
  Clipper* clipper = nullptr;     // the reference the surface keeps to its clipper
  int32_t references = 1;
  bool primary = false;
  bool locked = false;
};

struct Clipper {
  Window* window = nullptr;
  int32_t references = 1;
};

}  // namespace platform

namespace headless {

namespace {

using platform::DisplayObject;
using platform::PixelFormat;
using platform::Surface;
using platform::SurfaceDescription;

constexpr int32_t kPictureWidth = 320;
constexpr int32_t kPictureHeight = 200;
constexpr PixelFormat kFormat32 = {32, 0xFF0000, 0xFF00, 0xFF};
constexpr PixelFormat kFormat24 = {24, 0xFF0000, 0xFF00, 0xFF};
constexpr PixelFormat kFormat16 = {16, 0xF800, 0x7E0, 0x1F};
constexpr PixelFormat kFormat8 = {8, 0, 0, 0};

struct Size {
  int32_t width;
  int32_t height;
};
constexpr Size kOfferedSizes[] = {{320, 200},  {320, 240},  {640, 400},   {640, 480},
                                  {800, 600},  {1024, 768}, {1280, 1024}, {1600, 1200}};

// Every object handed out and not yet given up, so that Configure can end a run the host left mid-way.
struct Live {
  std::set<DisplayObject*> objects;
  std::set<Surface*> surfaces;
  std::set<platform::Clipper*> clippers;
};
Live& Objects() {
  static Live live;
  return live;
}

// Source coordinates of each destination column and row, kept while the sizes stay the same.
struct StretchMap {
  int32_t sourceWidth = -1, sourceHeight = -1, width = -1, height = -1;
  std::vector<int32_t> columns;
  std::vector<int32_t> rows;
};
StretchMap stretchMap;

SurfaceDescription DesktopMode() {
  SurfaceDescription mode;
  mode.flags = platform::kDescWidth | platform::kDescHeight | platform::kDescPixelFormat;
  mode.width = State().settings.screenWidth;
  mode.height = State().settings.screenHeight;
  mode.format = kFormat32;
  return mode;
}

int32_t BytesPerPixel(const PixelFormat& format) { return (format.bitCount + 7) / 8; }

// Every surface holds at least the 320 x 200 picture the host packs into its corner, whatever the mode's size.
Surface* NewSurface(int32_t requestedWidth, int32_t requestedHeight, const PixelFormat& format) {
  const int32_t width = std::max(requestedWidth, kPictureWidth);
  const int32_t height = std::max(requestedHeight, kPictureHeight);
  auto* surface = new Surface;
  surface->width = width;
  surface->height = height;
  surface->format = format;
  surface->pitch = width * BytesPerPixel(format);
  surface->memory.assign(static_cast<size_t>(surface->pitch) * static_cast<size_t>(height), 0);
  Objects().surfaces.insert(surface);
  return surface;
}

void FillDescription(const Surface& surface, SurfaceDescription* description) {
  description->flags |= platform::kDescWidth | platform::kDescHeight | platform::kDescPixelFormat;
  description->width = surface.width;
  description->height = surface.height;
  description->pitch = surface.pitch;
  description->format = surface.format;
}

bool Valid(Surface* surface) { return surface != nullptr && Objects().surfaces.count(surface) != 0; }

const StretchMap& MapFor(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height) {
  StretchMap& m = stretchMap;
  if (m.sourceWidth != sourceWidth || m.sourceHeight != sourceHeight || m.width != width || m.height != height) {
    m.sourceWidth = sourceWidth;
    m.sourceHeight = sourceHeight;
    m.width = width;
    m.height = height;
    // Each destination pixel takes the source pixel under its centre.
    m.columns.resize(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) {
      m.columns[x] = static_cast<int32_t>((int64_t{2} * x + 1) * sourceWidth / (int64_t{2} * width));
    }
    m.rows.resize(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
      m.rows[y] = static_cast<int32_t>((int64_t{2} * y + 1) * sourceHeight / (int64_t{2} * height));
    }
  }
  return m;
}

void Stretch(Surface& destination, const platform::Rect& to, const Surface& source, const platform::Rect& from) {
  const int32_t bytes = BytesPerPixel(destination.format);
  const int32_t width = to.right - to.left;
  const int32_t height = to.bottom - to.top;
  const StretchMap& map = MapFor(from.right - from.left, from.bottom - from.top, width, height);
  int32_t previousRow = -1;
  uint8_t* previousOut = nullptr;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = destination.memory.data() + static_cast<size_t>(to.top + y) * destination.pitch +
                   static_cast<size_t>(to.left) * bytes;
    if (map.rows[y] == previousRow) {
      std::memcpy(out, previousOut, static_cast<size_t>(width) * bytes);
      continue;
    }
    const uint8_t* in = source.memory.data() + static_cast<size_t>(from.top + map.rows[y]) * source.pitch +
                        static_cast<size_t>(from.left) * bytes;
    if (bytes == 4) {
      auto* out32 = reinterpret_cast<uint32_t*>(out);
      const auto* in32 = reinterpret_cast<const uint32_t*>(in);
      for (int32_t x = 0; x < width; ++x) out32[x] = in32[map.columns[x]];
    } else {
      for (int32_t x = 0; x < width; ++x) std::memcpy(out + x * bytes, in + map.columns[x] * bytes, bytes);
    }
    previousRow = map.rows[y];
    previousOut = out;
  }
}

bool InsideSurface(const platform::Rect& r, const Surface& s) {
  return r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height && r.left < r.right &&
         r.top < r.bottom;
}

}  // namespace

void ResetDisplay() {
  Live& live = Objects();
  for (Surface* s : live.surfaces) delete s;
  for (DisplayObject* o : live.objects) delete o;
  for (platform::Clipper* c : live.clippers) delete c;
  live = Live{};
}

}  // namespace headless

namespace platform {

using headless::Objects;

DisplayResult DirectDrawCreate(DisplayObject** object) {
  auto* created = new DisplayObject;
  created->mode = headless::DesktopMode();
  Objects().objects.insert(created);
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
  const SurfaceDescription desktop = headless::DesktopMode();
  std::vector<headless::Size> sizes(std::begin(headless::kOfferedSizes), std::end(headless::kOfferedSizes));
  if (std::none_of(sizes.begin(), sizes.end(), [&](const headless::Size& s) {
        return s.width == desktop.width && s.height == desktop.height;
      })) {
    sizes.push_back({desktop.width, desktop.height});
  }
  for (const PixelFormat& format : {headless::kFormat8, headless::kFormat16, headless::kFormat24,
                                    headless::kFormat32}) {
    for (const headless::Size& size : sizes) {
      SurfaceDescription mode;
      mode.flags = kDescWidth | kDescHeight | kDescPixelFormat;
      mode.width = size.width;
      mode.height = size.height;
      mode.format = format;
      if (callback(mode, context) != kEnumContinue) return kDisplayOk;
    }
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
  const PixelFormat* format = bitCount == 32   ? &headless::kFormat32
                              : bitCount == 24 ? &headless::kFormat24
                              : bitCount == 16 ? &headless::kFormat16
                                               : nullptr;
  if (format == nullptr || width <= 0 || height <= 0) return kDisplayUnsupportedMode;
  object->mode.width = width;
  object->mode.height = height;
  object->mode.format = *format;
  return kDisplayOk;
}

DisplayResult CreateSurface(DisplayObject* object, SurfaceDescription* description, Surface** surface) {
  if (object == nullptr || description == nullptr || surface == nullptr) return kDisplayInvalidParams;
  const SurfaceDescription& mode = object->mode;
  Surface* created;
  if ((description->caps & kCapsPrimarySurface) != 0) {
    created = headless::NewSurface(mode.width, mode.height, mode.format);
    created->primary = true;
    if ((description->caps & kCapsFlip) != 0 && description->backBufferCount == 1) {
      created->backBuffer = headless::NewSurface(mode.width, mode.height, mode.format);
    }
  } else if ((description->caps & kCapsOffscreenPlain) != 0 && (description->flags & kDescWidth) != 0 &&
             (description->flags & kDescHeight) != 0 && description->width > 0 && description->height > 0) {
    created = headless::NewSurface(description->width, description->height, mode.format);
  } else {
    return kDisplayInvalidParams;
  }
  headless::FillDescription(*created, description);
  *surface = created;
  return kDisplayOk;
}

DisplayResult GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached) {
  if (!headless::Valid(primary) || primary->backBuffer == nullptr || caps != kCapsBackBuffer) {
    return kDisplayInvalidObject;
  }
  ++primary->backBuffer->references;
  *attached = primary->backBuffer;
  return kDisplayOk;
}

DisplayResult CreateClipper(DisplayObject* object, Clipper** clipper) {
  if (object == nullptr || clipper == nullptr) return kDisplayInvalidParams;
  *clipper = new Clipper;
  Objects().clippers.insert(*clipper);
  return kDisplayOk;
}

DisplayResult ClipperSetWindow(Clipper* clipper, Window* window) {
  if (clipper == nullptr) return kDisplayInvalidParams;
  clipper->window = window;
  return kDisplayOk;
}

DisplayResult SetClipper(Surface* surface, Clipper* clipper) {
  if (!headless::Valid(surface) || clipper == nullptr || surface->clipper != nullptr) return kDisplayInvalidParams;
  ++clipper->references;
  surface->clipper = clipper;
  return kDisplayOk;
}

DisplayResult Lock(Surface* surface, SurfaceDescription* description) {
  if (!headless::Valid(surface) || description == nullptr || surface->locked) return kDisplayInvalidParams;
  surface->locked = true;
  description->memory = surface->memory.data();
  description->pitch = surface->pitch;
  return kDisplayOk;
}

DisplayResult Unlock(Surface* surface) {
  if (!headless::Valid(surface) || !surface->locked) return kDisplayInvalidParams;
  surface->locked = false;
  return kDisplayOk;
}

DisplayResult WaitForVerticalBlank(DisplayObject* object) {
  // Time already stands at a vertical blank, or just after the start-up delay; the blit marks the frame's end.
  return object != nullptr ? kDisplayOk : kDisplayInvalidParams;
}

DisplayResult Blt(Surface* destination, const Rect& destRect, Surface* source, const Rect& sourceRect) {
  if (!headless::Valid(destination) || !headless::Valid(source) || destination->locked || source->locked ||
      !headless::InsideSurface(destRect, *destination) || !headless::InsideSurface(sourceRect, *source) ||
      destination->format.bitCount != source->format.bitCount) {
    return kDisplayInvalidParams;
  }
  headless::Backend& b = headless::State();
  const int32_t bytes = headless::BytesPerPixel(destination->format);
  headless::Screen screen{nullptr, destRect.right - destRect.left, destRect.bottom - destRect.top,
                          destination->pitch, destination->format};
  if (b.settings.pixelsWanted) {
    headless::Stretch(*destination, destRect, *source, sourceRect);
    screen.pixels = destination->memory.data() + static_cast<size_t>(destRect.top) * destination->pitch +
                    static_cast<size_t>(destRect.left) * bytes;
  }
  if (b.observer != nullptr) b.observer->OnScreen(screen, b.now);
  headless::AdvanceTo(headless::NextVerticalBlank());
  return kDisplayOk;
}

DisplayResult Restore(Surface* surface) { return headless::Valid(surface) ? kDisplayOk : kDisplayInvalidObject; }

void Release(Clipper* clipper) {
  if (clipper == nullptr || Objects().clippers.count(clipper) == 0) return;
  if (--clipper->references == 0) {
    Objects().clippers.erase(clipper);
    delete clipper;
  }
}

void Release(Surface* surface) {
  if (!headless::Valid(surface)) return;
  if (--surface->references > 0) return;
  Surface* backBuffer = surface->backBuffer;
  Clipper* clipper = surface->clipper;
  Objects().surfaces.erase(surface);
  delete surface;
  if (backBuffer != nullptr) Release(backBuffer);
  if (clipper != nullptr) Release(clipper);
}

void Release(DisplayObject* object) {
  if (object == nullptr || Objects().objects.count(object) == 0) return;
  Objects().objects.erase(object);
  delete object;
}

}  // namespace platform
