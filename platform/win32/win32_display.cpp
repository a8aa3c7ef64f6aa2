// The display service over DirectDraw 7: the display's modes, cooperative levels and the mode switch, surfaces
// with their lock and stretching blit, the clipper of a windowed show, the vertical blank and lost surfaces.
#include <windows.h>

#include <ddraw.h>

#include "platform/display.h"
#include "platform/win32/win32_internal.h"

namespace platform {

struct DisplayObject {
  IDirectDraw7* native;
};

struct Surface {
  IDirectDrawSurface7* native;
};

struct Clipper {
  IDirectDrawClipper* native;
};

}  // namespace platform

namespace {

using platform::DisplayResult;

using CreateEx = HRESULT(WINAPI*)(GUID*, void**, REFIID, IUnknown*);

DisplayResult Result(HRESULT result) { return static_cast<DisplayResult>(result); }

void Describe(const DDSURFACEDESC2& native, platform::SurfaceDescription* description) {
  description->width = static_cast<int32_t>(native.dwWidth);
  description->height = static_cast<int32_t>(native.dwHeight);
  description->pitch = native.lPitch;
  description->format.bitCount = static_cast<int32_t>(native.ddpfPixelFormat.dwRGBBitCount);
  description->format.redMask = native.ddpfPixelFormat.dwRBitMask;
  description->format.greenMask = native.ddpfPixelFormat.dwGBitMask;
  description->format.blueMask = native.ddpfPixelFormat.dwBBitMask;
}

DDSURFACEDESC2 EmptyNativeDescription() {
  DDSURFACEDESC2 native = {};
  native.dwSize = sizeof native;
  return native;
}

struct EnumContext {
  platform::ModeCallback callback;
  void* context;
};

HRESULT WINAPI EnumMode(DDSURFACEDESC2* mode, void* context) {
  const auto* enumeration = static_cast<const EnumContext*>(context);
  platform::SurfaceDescription description;
  description.flags = platform::kDescWidth | platform::kDescHeight | platform::kDescPixelFormat;
  Describe(*mode, &description);
  return enumeration->callback(description, enumeration->context);
}

RECT NativeRect(const platform::Rect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

namespace platform {

// DDRAW.DLL is loaded when asked for, so that a system without it gets the program's own message, not a loader
// error before the program starts.
DisplayResult DirectDrawCreate(DisplayObject** object) {
  *object = nullptr;
  const HMODULE library = LoadLibraryA("ddraw.dll");
  if (library == nullptr) return kDisplayGenericError;
  const auto create = reinterpret_cast<CreateEx>(reinterpret_cast<void*>(GetProcAddress(library, "DirectDrawCreateEx")));
  if (create == nullptr) return kDisplayGenericError;
  IDirectDraw7* native = nullptr;
  const HRESULT result = create(nullptr, reinterpret_cast<void**>(&native), IID_IDirectDraw7, nullptr);
  if (FAILED(result)) return Result(result);
  *object = new DisplayObject{native};
  return kDisplayOk;
}

DisplayResult GetDisplayMode(DisplayObject* object, SurfaceDescription* description) {
  if (object == nullptr) return kDisplayInvalidObject;
  DDSURFACEDESC2 native = EmptyNativeDescription();
  const HRESULT result = object->native->GetDisplayMode(&native);
  if (FAILED(result)) return Result(result);
  description->flags = kDescWidth | kDescHeight | kDescPixelFormat;
  Describe(native, description);
  return kDisplayOk;
}

DisplayResult EnumDisplayModes(DisplayObject* object, ModeCallback callback, void* context) {
  if (object == nullptr || callback == nullptr) return kDisplayInvalidParams;
  EnumContext enumeration = {callback, context};
  return Result(object->native->EnumDisplayModes(0, nullptr, &enumeration, EnumMode));
}

DisplayResult SetCooperativeLevel(DisplayObject* object, Window* window, uint32_t level) {
  if (object == nullptr) return kDisplayInvalidObject;
  return Result(object->native->SetCooperativeLevel(window != nullptr ? window->handle : nullptr, level));
}

DisplayResult SetDisplayMode(DisplayObject* object, int32_t width, int32_t height, int32_t bitCount) {
  if (object == nullptr) return kDisplayInvalidObject;
  return Result(object->native->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                               static_cast<DWORD>(bitCount), 0, 0));
}

DisplayResult CreateSurface(DisplayObject* object, SurfaceDescription* description, Surface** surface) {
  *surface = nullptr;
  if (object == nullptr) return kDisplayInvalidObject;
  DDSURFACEDESC2 native = EmptyNativeDescription();
  native.dwFlags = description->flags & (DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_BACKBUFFERCOUNT);
  native.ddsCaps.dwCaps = description->caps;
  native.dwWidth = static_cast<DWORD>(description->width);
  native.dwHeight = static_cast<DWORD>(description->height);
  native.dwBackBufferCount = description->backBufferCount;
  IDirectDrawSurface7* created = nullptr;
  const HRESULT result = object->native->CreateSurface(&native, &created, nullptr);
  if (FAILED(result)) return Result(result);
  DDSURFACEDESC2 actual = EmptyNativeDescription();
  if (SUCCEEDED(created->GetSurfaceDesc(&actual))) {
    description->flags |= kDescWidth | kDescHeight | kDescPixelFormat;
    Describe(actual, description);
  }
  *surface = new Surface{created};
  return kDisplayOk;
}

DisplayResult GetAttachedSurface(Surface* primary, uint32_t caps, Surface** attached) {
  *attached = nullptr;
  if (primary == nullptr) return kDisplayInvalidObject;
  DDSCAPS2 wanted = {};
  wanted.dwCaps = caps;
  IDirectDrawSurface7* found = nullptr;
  const HRESULT result = primary->native->GetAttachedSurface(&wanted, &found);
  if (FAILED(result)) return Result(result);
  *attached = new Surface{found};
  return kDisplayOk;
}

DisplayResult CreateClipper(DisplayObject* object, Clipper** clipper) {
  *clipper = nullptr;
  if (object == nullptr) return kDisplayInvalidObject;
  IDirectDrawClipper* created = nullptr;
  const HRESULT result = object->native->CreateClipper(0, &created, nullptr);
  if (FAILED(result)) return Result(result);
  *clipper = new Clipper{created};
  return kDisplayOk;
}

DisplayResult ClipperSetWindow(Clipper* clipper, Window* window) {
  if (clipper == nullptr) return kDisplayInvalidObject;
  return Result(clipper->native->SetHWnd(0, window != nullptr ? window->handle : nullptr));
}

DisplayResult SetClipper(Surface* surface, Clipper* clipper) {
  if (surface == nullptr) return kDisplayInvalidObject;
  return Result(surface->native->SetClipper(clipper != nullptr ? clipper->native : nullptr));
}

DisplayResult Lock(Surface* surface, SurfaceDescription* description) {
  if (surface == nullptr) return kDisplayInvalidObject;
  DDSURFACEDESC2 native = EmptyNativeDescription();
  const HRESULT result = surface->native->Lock(nullptr, &native, DDLOCK_WAIT, nullptr);
  if (FAILED(result)) return Result(result);
  Describe(native, description);
  description->memory = static_cast<uint8_t*>(native.lpSurface);
  return kDisplayOk;
}

DisplayResult Unlock(Surface* surface) {
  if (surface == nullptr) return kDisplayInvalidObject;
  return Result(surface->native->Unlock(nullptr));
}

DisplayResult WaitForVerticalBlank(DisplayObject* object) {
  if (object == nullptr) return kDisplayInvalidObject;
  return Result(object->native->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
}

DisplayResult Blt(Surface* destination, const Rect& destRect, Surface* source, const Rect& sourceRect) {
  if (destination == nullptr || source == nullptr) return kDisplayInvalidObject;
  RECT to = NativeRect(destRect);
  RECT from = NativeRect(sourceRect);
  return Result(destination->native->Blt(&to, source->native, &from, DDBLT_WAIT, nullptr));
}

DisplayResult Restore(Surface* surface) {
  if (surface == nullptr) return kDisplayInvalidObject;
  return Result(surface->native->Restore());
}

void Release(Clipper* clipper) {
  if (clipper == nullptr) return;
  clipper->native->Release();
  delete clipper;
}

void Release(Surface* surface) {
  if (surface == nullptr) return;
  surface->native->Release();
  delete surface;
}

void Release(DisplayObject* object) {
  if (object == nullptr) return;
  object->native->Release();
  delete object;
}

}  // namespace platform
