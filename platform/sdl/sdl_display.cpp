// The display service over SDL: the display's modes, a full-screen or windowed renderer, streaming textures as
// surfaces, and the stretching blit that presents them. The backend owns every object it hands out; the host's
// Release gives up a reference, and the last one destroys the object.
#include <SDL.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/display.h"
#include "platform/sdl/frame_pacer.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_pixel_format.h"
#include "platform/sdl/sdl_renderer.h"

namespace platform {

struct Clipper {
  Window* window = nullptr;
  int32_t references = 1;
};

struct Surface {
  DisplayObject* owner = nullptr;  // null once the display object is released: the surface only answers "lost"
  bool primary = false;
  int32_t width = 0;
  int32_t height = 0;
  PixelFormat format = {};
  int32_t references = 1;
  sdlbackend::TexturePtr texture;  // work surfaces; null while lost
  bool locked = false;
  uint8_t* lockedMemory = nullptr;
  int lockedPitch = 0;
  Surface* backBuffer = nullptr;  // a primary's flipping chain holds one reference to it
  Clipper* clipper = nullptr;     // a primary holds one reference to its clipper
};

struct DisplayObject {
  Window* window = nullptr;
  bool exclusive = false;
  bool fullScreen = false;
  SDL_DisplayMode fullScreenMode = {};
  sdlbackend::RendererPtr renderer;
  bool lost = false;
  sdlbackend::FramePacer pacer;
  bool presentedSincePump = false;
};

}  // namespace platform

namespace {

using platform::Clipper;
using platform::DisplayObject;
using platform::DisplayResult;
using platform::Surface;

// The host packs its 320 x 200 picture into the top-left corner of a work surface and blits only that corner.
constexpr int32_t kPictureWidth = 320;
constexpr int32_t kPictureHeight = 200;
constexpr int kDisplayIndex = 0;

// Everything the backend has handed out, owned here until its last reference is given up.
struct Objects {
  std::vector<std::unique_ptr<DisplayObject>> displays;
  std::vector<std::unique_ptr<Surface>> surfaces;
  std::vector<std::unique_ptr<Clipper>> clippers;
  DisplayObject* current = nullptr;  // the newest display object, which the window side and the pump ask about
  sdlbackend::ReadBack* readBack = nullptr;
};

Objects& Owned() {
  static Objects* objects = new Objects;
  return *objects;
}

template <typename T>
void Forget(std::vector<std::unique_ptr<T>>& list, const T* object) {
  list.erase(std::remove_if(list.begin(), list.end(), [object](const auto& p) { return p.get() == object; }),
             list.end());
}

std::vector<SDL_DisplayMode> ListDisplayModes() {
  std::vector<SDL_DisplayMode> modes;
  const int count = SDL_GetNumDisplayModes(kDisplayIndex);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(kDisplayIndex, i, &mode) == 0) modes.push_back(mode);
  }
  return modes;
}

void Describe(platform::SurfaceDescription* description, int32_t width, int32_t height,
              const platform::PixelFormat& format) {
  description->flags |= platform::kDescWidth | platform::kDescHeight | platform::kDescPixelFormat;
  description->width = width;
  description->height = height;
  description->format = format;
  description->pitch = 0;
  description->memory = nullptr;
}

bool CreateTexture(DisplayObject* object, Surface* surface) {
  surface->texture.reset(SDL_CreateTexture(object->renderer.get(), sdlbackend::PackingTextureFormat(surface->format),
                                           SDL_TEXTUREACCESS_STREAMING, surface->width, surface->height));
  if (surface->texture == nullptr) return false;
  SDL_SetTextureScaleMode(surface->texture.get(), SDL_ScaleModeNearest);
  return true;
}

// Textures go before the renderer that made them.
void DestroyRenderer(DisplayObject* object) {
  for (const std::unique_ptr<Surface>& surface : Owned().surfaces) {
    if (surface->owner != object) continue;
    surface->texture.reset();
    surface->locked = false;
  }
  object->renderer.reset();
}

int32_t RefreshRate(const DisplayObject* object) {
  if (object->fullScreen) return object->fullScreenMode.refresh_rate;
  SDL_DisplayMode desktop;
  return SDL_GetDesktopDisplayMode(kDisplayIndex, &desktop) == 0 ? desktop.refresh_rate : 0;
}

bool CreateRenderer(DisplayObject* object) {
  SDL_Window* native = object->window != nullptr ? object->window->native : nullptr;
  if (native == nullptr) return false;
  object->renderer = sdlbackend::CreateShowRenderer(native);
  if (object->renderer == nullptr) return false;
  SDL_SetRenderDrawColor(object->renderer.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
  object->pacer.SetRefreshRate(RefreshRate(object));
  return true;
}

Surface* NewSurface(DisplayObject* object, bool primary, int32_t width, int32_t height,
                    const platform::PixelFormat& format) {
  auto surface = std::make_unique<Surface>();
  surface->owner = object;
  surface->primary = primary;
  surface->width = width;
  surface->height = height;
  surface->format = format;
  if (!primary && !CreateTexture(object, surface.get())) return nullptr;
  Owned().surfaces.push_back(std::move(surface));
  return Owned().surfaces.back().get();
}

// The size and format of what the primary surface shows: the chosen mode in full screen, else the desktop.
bool ScreenFormat(const DisplayObject* object, int32_t* width, int32_t* height, platform::PixelFormat* format) {
  SDL_DisplayMode mode = object->fullScreenMode;
  if (!object->fullScreen && SDL_GetDesktopDisplayMode(kDisplayIndex, &mode) != 0) return false;
  *width = mode.w;
  *height = mode.h;
  *format = sdlbackend::DescribeFormat(mode.format);
  return true;
}

// The blit's destination in the renderer's pixels: full-screen rectangles are in the mode's coordinates, windowed
// ones in screen coordinates.
SDL_Rect MapDestination(const DisplayObject* object, const platform::Rect& rect, int outputWidth, int outputHeight) {
  SDL_Window* native = object->window->native;
  int originX = 0, originY = 0, width = 0, height = 0;
  if (object->fullScreen) {
    width = object->fullScreenMode.w;
    height = object->fullScreenMode.h;
  } else {
    SDL_GetWindowPosition(native, &originX, &originY);
    SDL_GetWindowSize(native, &width, &height);
  }
  if (width <= 0 || height <= 0) {
    width = outputWidth;
    height = outputHeight;
  }
  auto scale = [](int32_t value, int from, int to) {
    return static_cast<int>(static_cast<int64_t>(value) * to / from);
  };
  const int left = scale(rect.left - originX, width, outputWidth);
  const int top = scale(rect.top - originY, height, outputHeight);
  const int right = scale(rect.right - originX, width, outputWidth);
  const int bottom = scale(rect.bottom - originY, height, outputHeight);
  return {left, top, right - left, bottom - top};
}

void ReleaseClipper(Clipper* clipper) {
  if (clipper != nullptr && --clipper->references <= 0) Forget(Owned().clippers, clipper);
}

// What the renderer drew, before it is presented (a presented picture is undefined on some renderers).
void ReadBackOutput(SDL_Renderer* renderer, sdlbackend::ReadBack* readBack, int width, int height) {
  readBack->width = width;
  readBack->height = height;
  readBack->pixels.assign(static_cast<size_t>(width) * height * 4, 0);
  if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, readBack->pixels.data(), width * 4) != 0) {
    readBack->pixels.clear();
  }
}

}  // namespace

namespace sdlbackend {

void ForgetWindowRenderer(platform::Window* window) {
  DisplayObject* current = Owned().current;
  if (current == nullptr || current->window != window) return;
  DestroyRenderer(current);
  current->lost = true;
}

void MarkDisplayLost() {
  if (Owned().current != nullptr) Owned().current->lost = true;
}

bool TakePresentedSinceLastPump() {
  DisplayObject* current = Owned().current;
  if (current == nullptr || current->renderer == nullptr) return true;
  const bool presented = current->presentedSincePump;
  current->presentedSincePump = false;
  return presented;
}

void PaceFrameWithoutPresent() {
  DisplayObject* current = Owned().current;
  if (current == nullptr || current->renderer == nullptr) return;
  std::this_thread::sleep_for(current->pacer.WaitWithoutPresent(FramePacer::Clock::now()));
}

void ReadBackNextPresent(ReadBack* readBack) { Owned().readBack = readBack; }

}  // namespace sdlbackend

namespace platform {

DisplayResult DirectDrawCreate(DisplayObject** object) {
  if (object == nullptr) return kDisplayInvalidParams;
  *object = nullptr;
  if (!sdlbackend::StartVideo()) return kDisplayGenericError;
  Owned().displays.push_back(std::make_unique<DisplayObject>());
  Owned().current = Owned().displays.back().get();
  *object = Owned().current;
  sdlbackend::Trace("display-created");
  return kDisplayOk;
}

DisplayResult GetDisplayMode(DisplayObject* object, SurfaceDescription* description) {
  if (object == nullptr) return kDisplayInvalidObject;
  if (description == nullptr) return kDisplayInvalidParams;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(kDisplayIndex, &mode) != 0) return kDisplayGenericError;
  Describe(description, mode.w, mode.h, sdlbackend::DescribeFormat(mode.format));
  return kDisplayOk;
}

DisplayResult EnumDisplayModes(DisplayObject* object, ModeCallback callback, void* context) {
  if (object == nullptr) return kDisplayInvalidObject;
  if (callback == nullptr) return kDisplayInvalidParams;
  for (const sdlbackend::ModeEntry& entry : sdlbackend::DistinctModes(ListDisplayModes())) {
    SurfaceDescription description;
    Describe(&description, entry.mode.w, entry.mode.h, entry.format);
    if (callback(description, context) != kEnumContinue) break;
  }
  return kDisplayOk;
}

DisplayResult SetCooperativeLevel(DisplayObject* object, Window* window, uint32_t level) {
  if (object == nullptr) return kDisplayInvalidObject;
  if (window == nullptr || window->native == nullptr) return kDisplayInvalidParams;
  object->window = window;
  object->exclusive = (level & kLevelExclusiveFullScreen) == kLevelExclusiveFullScreen;
  return kDisplayOk;
}

DisplayResult SetDisplayMode(DisplayObject* object, int32_t width, int32_t height, int32_t bitCount) {
  if (object == nullptr) return kDisplayInvalidObject;
  if (!object->exclusive || object->window == nullptr || object->window->native == nullptr) {
    return kDisplayInvalidParams;
  }
  for (const sdlbackend::ModeEntry& entry : sdlbackend::DistinctModes(ListDisplayModes())) {
    if (entry.mode.w != width || entry.mode.h != height || entry.format.bitCount != bitCount) continue;
    SDL_Window* native = object->window->native;
    if (SDL_SetWindowDisplayMode(native, &entry.mode) != 0) return kDisplayUnsupportedMode;
    SDL_SetWindowSize(native, width, height);
    // The desktop's own mode needs no switch: the pop-up covers the display and the window manager is asked to
    // keep it full screen as it maps it. SDL's full screen would wait a tenth of a second for a window manager
    // to answer when the window is shown, which without one (a virtual display) never comes.
    SDL_DisplayMode desktop;
    SDL_Rect bounds;
    const bool desktopMode = SDL_GetDesktopDisplayMode(kDisplayIndex, &desktop) == 0 && desktop.w == width &&
                             desktop.h == height && sdlbackend::DescribeFormat(desktop.format).bitCount == bitCount &&
                             SDL_GetDisplayBounds(kDisplayIndex, &bounds) == 0;
    if (desktopMode) SDL_SetWindowPosition(native, bounds.x, bounds.y);
    if (!(desktopMode && sdlbackend::RequestFullScreenBeforeMapping(native)) &&
        SDL_SetWindowFullscreen(native, SDL_WINDOW_FULLSCREEN) != 0) {
      return kDisplayUnsupportedMode;
    }
    object->fullScreen = true;
    object->fullScreenMode = entry.mode;
    sdlbackend::Trace("full-screen-set");
    return kDisplayOk;
  }
  return kDisplayUnsupportedMode;
}

DisplayResult CreateSurface(DisplayObject* object, SurfaceDescription* description, Surface** surface) {
  if (object == nullptr) return kDisplayInvalidObject;
  if (description == nullptr || surface == nullptr) return kDisplayInvalidParams;
  *surface = nullptr;
  if ((description->flags & kDescCaps) == 0) return kDisplayInvalidParams;

  if ((description->caps & kCapsPrimarySurface) != 0) {
    int32_t width = 0, height = 0;
    PixelFormat format;
    if (!ScreenFormat(object, &width, &height, &format)) return kDisplayGenericError;
    if (object->renderer == nullptr && !CreateRenderer(object)) return kDisplayGenericError;
    Surface* primary = NewSurface(object, true, width, height, format);
    const bool chain = (description->caps & kCapsFlip) != 0 && (description->flags & kDescBackBufferCount) != 0 &&
                       description->backBufferCount > 0;
    if (chain) {
      primary->backBuffer = NewSurface(object, false, width, height, format);
      if (primary->backBuffer == nullptr) {
        Release(primary);
        return kDisplayGenericError;
      }
    }
    Describe(description, width, height, format);
    *surface = primary;
    return kDisplayOk;
  }

  if ((description->caps & kCapsOffscreenPlain) != 0) {
    const uint32_t sized = kDescWidth | kDescHeight;
    if ((description->flags & sized) != sized || description->width <= 0 || description->height <= 0) {
      return kDisplayInvalidParams;
    }
    if (object->renderer == nullptr) return kDisplayGenericError;
    PixelFormat format = description->format;
    if ((description->flags & kDescPixelFormat) == 0) {
      SDL_DisplayMode desktop;
      if (SDL_GetDesktopDisplayMode(kDisplayIndex, &desktop) != 0) return kDisplayGenericError;
      format = sdlbackend::DescribeFormat(desktop.format);
    }
    Surface* work = NewSurface(object, false, description->width, description->height, format);
    if (work == nullptr) return kDisplayGenericError;
    Describe(description, work->width, work->height, format);
    *surface = work;
    return kDisplayOk;
  }
  return kDisplayInvalidParams;
}

DisplayResult GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached) {
  if (primary == nullptr || attached == nullptr) return kDisplayInvalidParams;
  *attached = nullptr;
  if ((caps & kCapsBackBuffer) == 0 || primary->backBuffer == nullptr) return kDisplayGenericError;
  ++primary->backBuffer->references;
  *attached = primary->backBuffer;
  return kDisplayOk;
}

DisplayResult CreateClipper(DisplayObject* object, Clipper** clipper) {
  if (object == nullptr) return kDisplayInvalidObject;
  if (clipper == nullptr) return kDisplayInvalidParams;
  Owned().clippers.push_back(std::make_unique<Clipper>());
  *clipper = Owned().clippers.back().get();
  return kDisplayOk;
}

DisplayResult ClipperSetWindow(Clipper* clipper, Window* window) {
  if (clipper == nullptr) return kDisplayInvalidParams;
  // A renderer draws only inside its own window, which is all a clipper bound to the show window asks.
  clipper->window = window;
  return kDisplayOk;
}

DisplayResult SetClipper(Surface* surface, Clipper* clipper) {
  if (surface == nullptr || !surface->primary) return kDisplayInvalidParams;
  if (clipper != nullptr) ++clipper->references;
  ReleaseClipper(surface->clipper);
  surface->clipper = clipper;
  return kDisplayOk;
}

DisplayResult Lock(Surface* surface, SurfaceDescription* description) {
  if (surface == nullptr || description == nullptr || surface->primary) return kDisplayInvalidParams;
  DisplayObject* object = surface->owner;
  if (object == nullptr || object->lost || surface->texture == nullptr) return kDisplaySurfaceLost;
  // Locked twice without an unlock between: the surface is busy, not lost.
  if (surface->locked) return kDisplayGenericError;
  // Only the corner the picture is packed into is locked, so that unlocking uploads just that; the memory and
  // pitch are still those of the whole surface from its first byte.
  const SDL_Rect corner = {0, 0, std::min(surface->width, kPictureWidth), std::min(surface->height, kPictureHeight)};
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(surface->texture.get(), &corner, &pixels, &pitch) != 0) {
    object->lost = true;
    return kDisplaySurfaceLost;
  }
  surface->locked = true;
  surface->lockedMemory = static_cast<uint8_t*>(pixels);
  surface->lockedPitch = pitch;
  description->memory = static_cast<uint8_t*>(pixels);
  description->pitch = pitch;
  description->width = surface->width;
  description->height = surface->height;
  return kDisplayOk;
}

DisplayResult Unlock(Surface* surface) {
  if (surface == nullptr || !surface->locked || surface->texture == nullptr) return kDisplayInvalidParams;
  sdlbackend::TraceFirstPicture(surface->lockedMemory, surface->lockedPitch, surface->format.bitCount,
                                std::min(surface->width, kPictureWidth), std::min(surface->height, kPictureHeight));
  SDL_UnlockTexture(surface->texture.get());
  surface->locked = false;
  return kDisplayOk;
}

DisplayResult WaitForVerticalBlank(DisplayObject* object) {
  if (object == nullptr) return kDisplayInvalidObject;
  std::this_thread::sleep_for(object->pacer.WaitBeforePresent(sdlbackend::FramePacer::Clock::now()));
  return kDisplayOk;
}

DisplayResult Blt(Surface* destination, const Rect& destRect, Surface* source, const Rect& sourceRect) {
  if (destination == nullptr || source == nullptr || !destination->primary || source->primary) {
    return kDisplayInvalidParams;
  }
  DisplayObject* object = destination->owner;
  if (object == nullptr || object->lost || object->renderer == nullptr || source->texture == nullptr ||
      object->window == nullptr || object->window->native == nullptr) {
    return kDisplaySurfaceLost;
  }
  SDL_Renderer* renderer = object->renderer.get();
  int outputWidth = 0, outputHeight = 0;
  if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return kDisplaySurfaceLost;
  const SDL_Rect from = {sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
                         sourceRect.bottom - sourceRect.top};
  const SDL_Rect to = MapDestination(object, destRect, outputWidth, outputHeight);
  // Whatever the picture leaves uncovered (the bars of a picture that keeps its shape) is black.
  if (to.x > 0 || to.y > 0 || to.x + to.w < outputWidth || to.y + to.h < outputHeight) SDL_RenderClear(renderer);
  if (SDL_RenderCopy(renderer, source->texture.get(), &from, &to) != 0) {
    object->lost = true;
    return kDisplaySurfaceLost;
  }
  if (sdlbackend::ReadBack* readBack = Owned().readBack) {
    Owned().readBack = nullptr;
    ReadBackOutput(renderer, readBack, outputWidth, outputHeight);
  }
  SDL_RenderPresent(renderer);
  const bool wasPacing = object->pacer.Pacing();
  object->pacer.Presented(sdlbackend::FramePacer::Clock::now());
  if (!wasPacing && object->pacer.Pacing()) sdlbackend::Trace("pacing-to-refresh-rate");
  object->presentedSincePump = true;
  sdlbackend::TracePresent();
  return kDisplayOk;
}

DisplayResult Restore(Surface* surface) {
  if (surface == nullptr || surface->owner == nullptr) return kDisplayInvalidParams;
  DisplayObject* object = surface->owner;
  if (!object->lost && object->renderer != nullptr) return kDisplayOk;
  DestroyRenderer(object);
  if (!CreateRenderer(object)) return kDisplaySurfaceLost;
  for (const std::unique_ptr<Surface>& work : Owned().surfaces) {
    if (work->owner == object && !work->primary && !CreateTexture(object, work.get())) return kDisplaySurfaceLost;
  }
  object->lost = false;
  return kDisplayOk;
}

void Release(Clipper* clipper) { ReleaseClipper(clipper); }

void Release(Surface* surface) {
  if (surface == nullptr || --surface->references > 0) return;
  if (surface->primary) {
    Release(surface->backBuffer);
    ReleaseClipper(surface->clipper);
  }
  Forget(Owned().surfaces, surface);
}

void Release(DisplayObject* object) {
  if (object == nullptr) return;
  DestroyRenderer(object);
  // Surfaces the host still holds outlive the object's textures; they only answer "lost" from now on.
  for (const std::unique_ptr<Surface>& surface : Owned().surfaces) {
    if (surface->owner == object) surface->owner = nullptr;
  }
  if (object->fullScreen && object->window != nullptr && object->window->native != nullptr) {
    // Leaving full screen gives the display its own mode back; the pop-up served only the exclusive mode.
    SDL_SetWindowFullscreen(object->window->native, 0);
    SDL_HideWindow(object->window->native);
  } else if (object->fullScreen && object->window != nullptr && object->window->orphan != nullptr) {
    SDL_SetWindowFullscreen(object->window->orphan, 0);
  }
  if (Owned().current == object) Owned().current = nullptr;
  Forget(Owned().displays, object);
}

}  // namespace platform
