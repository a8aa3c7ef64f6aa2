// The DirectDraw port over DirectDraw 7 and USER32, and the show window's procedure that turns its messages into
// the show's events.
#include <windows.h>

#include <ddraw.h>

// windows.h renames these to their ANSI or wide forms; here they are the port's own calls.
#undef CreateWindowEx
#undef GetWindowLong
#undef MessageBox

#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

IDirectDraw7* Native(DirectDraw* object) { return reinterpret_cast<IDirectDraw7*>(object); }
IDirectDrawSurface7* Native(Surface* surface) { return reinterpret_cast<IDirectDrawSurface7*>(surface); }
IDirectDrawClipper* Native(Clipper* clipper) { return reinterpret_cast<IDirectDrawClipper*>(clipper); }
HWND Native(Window* window) { return reinterpret_cast<HWND>(window); }
RECT Native(const Rect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }
Result Of(HRESULT result) { return static_cast<Result>(result); }

// DirectDraw 7 describes surfaces in its own, larger record; the port's description keeps the size callers give.
DDSURFACEDESC2 Native(const Description& description) {
  DDSURFACEDESC2 native = {};
  native.dwSize = sizeof native;
  native.dwFlags = description.flags & (DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_BACKBUFFERCOUNT);
  native.ddsCaps.dwCaps = description.caps;
  native.dwWidth = static_cast<DWORD>(description.width);
  native.dwHeight = static_cast<DWORD>(description.height);
  native.dwBackBufferCount = description.backBufferCount;
  return native;
}

void Describe(const DDSURFACEDESC2& native, Description* description) {
  description->width = static_cast<int32_t>(native.dwWidth);
  description->height = static_cast<int32_t>(native.dwHeight);
  description->pitch = native.lPitch;
  description->layout = {static_cast<int32_t>(native.ddpfPixelFormat.dwRGBBitCount),
                         native.ddpfPixelFormat.dwRBitMask, native.ddpfPixelFormat.dwGBitMask,
                         native.ddpfPixelFormat.dwBBitMask};
}

HRESULT WINAPI EnumMode(DDSURFACEDESC2* mode, void* context) {
  Description description;
  description.flags = kDescWidth | kDescHeight | kDescPixelFormat;
  Describe(*mode, &description);
  return (*static_cast<const std::function<int32_t(const Description&)>*>(context))(description);
}

LRESULT CALLBACK ShowWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* port = reinterpret_cast<NativePort*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (port != nullptr) {
    switch (message) {
      case WM_KEYDOWN: port->Deliver((wParam & 0xFFFF) == VK_ESCAPE ? ShowEvent::kEscape : ShowEvent::kOtherKey); break;
      // The host answers by destroying the window; the default handling would destroy it behind the host's back.
      case WM_CLOSE:
        if (port->Deliver(ShowEvent::kCloseRequested)) return 0;
        break;
      case WM_DESTROY: port->Deliver(ShowEvent::kDestroyed); break;
      case WM_ACTIVATEAPP: port->Deliver(wParam != 0 ? ShowEvent::kActivated : ShowEvent::kDeactivated); break;
      default: break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

NativePort::NativePort() {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ShowWindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
}

// DDRAW.DLL is loaded when asked for, so that a system without it gets the program's own message, not a loader
// error before the program starts.
Result NativePort::DirectDrawCreate(DirectDraw** object) {
  using CreateEx = HRESULT(WINAPI*)(GUID*, void**, REFIID, IUnknown*);
  *object = nullptr;
  const HMODULE library = LoadLibraryA("ddraw.dll");
  const auto create = library == nullptr ? nullptr
                                         : reinterpret_cast<CreateEx>(reinterpret_cast<void*>(
                                               GetProcAddress(library, "DirectDrawCreateEx")));
  if (create == nullptr) return kGenericError;
  return Of(create(nullptr, reinterpret_cast<void**>(object), IID_IDirectDraw7, nullptr));
}

Result NativePort::GetDisplayMode(DirectDraw* object, Description* mode) {
  if (mode->size != kDescriptionSize) return kInvalidParams;
  DDSURFACEDESC2 native = Native(Description{});
  const HRESULT result = Native(object)->GetDisplayMode(&native);
  if (SUCCEEDED(result)) Describe(native, mode);
  return Of(result);
}

Result NativePort::EnumDisplayModes(DirectDraw* object, uint32_t flags,
                                    const std::function<int32_t(const Description&)>& each) {
  return Of(Native(object)->EnumDisplayModes(flags, nullptr, const_cast<void*>(static_cast<const void*>(&each)),
                                             EnumMode));
}

Result NativePort::SetCooperativeLevel(DirectDraw* object, Window* window, uint32_t level) {
  return Of(Native(object)->SetCooperativeLevel(Native(window), level));
}

Result NativePort::SetDisplayMode(DirectDraw* object, int32_t width, int32_t height, int32_t bitsPerPixel) {
  return Of(Native(object)->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                           static_cast<DWORD>(bitsPerPixel), 0, 0));
}

Result NativePort::CreateSurface(DirectDraw* object, Description* description, Surface** surface) {
  *surface = nullptr;
  if (description->size != kDescriptionSize) return kInvalidParams;
  DDSURFACEDESC2 native = Native(*description);
  IDirectDrawSurface7* created = nullptr;
  const HRESULT result = Native(object)->CreateSurface(&native, &created, nullptr);
  if (FAILED(result)) return Of(result);
  DDSURFACEDESC2 actual = Native(Description{});
  if (SUCCEEDED(created->GetSurfaceDesc(&actual))) Describe(actual, description);
  *surface = reinterpret_cast<Surface*>(created);
  return kOk;
}

Result NativePort::GetAttachedSurface(Surface* surface, uint32_t caps, Surface** attached) {
  DDSCAPS2 wanted = {};
  wanted.dwCaps = caps;
  *attached = nullptr;
  return Of(Native(surface)->GetAttachedSurface(&wanted, reinterpret_cast<IDirectDrawSurface7**>(attached)));
}

Result NativePort::CreateClipper(DirectDraw* object, Clipper** clipper) {
  *clipper = nullptr;
  return Of(Native(object)->CreateClipper(0, reinterpret_cast<IDirectDrawClipper**>(clipper), nullptr));
}

Result NativePort::SetHWnd(Clipper* clipper, Window* window) { return Of(Native(clipper)->SetHWnd(0, Native(window))); }

Result NativePort::SetClipper(Surface* surface, Clipper* clipper) {
  return Of(Native(surface)->SetClipper(Native(clipper)));
}

Result NativePort::Lock(Surface* surface, Description* description, uint32_t flags) {
  if (description->size != kDescriptionSize) return kInvalidParams;
  DDSURFACEDESC2 native = Native(Description{});
  const HRESULT result = Native(surface)->Lock(nullptr, &native, flags, nullptr);
  if (FAILED(result)) return Of(result);
  Describe(native, description);
  description->memory = static_cast<uint8_t*>(native.lpSurface);
  return kOk;
}

Result NativePort::Unlock(Surface* surface) { return Of(Native(surface)->Unlock(nullptr)); }

Result NativePort::WaitForVerticalBlank(DirectDraw* object, uint32_t flags) {
  return Of(Native(object)->WaitForVerticalBlank(flags, nullptr));
}

uint32_t NativePort::MonitorFrequency(DirectDraw* object) {
  DWORD hertz = 0;
  return Native(object)->GetMonitorFrequency(&hertz) == DD_OK ? static_cast<uint32_t>(hertz) : 0;
}

Result NativePort::Blt(Surface* destination, const Rect& to, Surface* source, const Rect& from, uint32_t flags) {
  RECT nativeTo = Native(to);
  RECT nativeFrom = Native(from);
  return Of(Native(destination)->Blt(&nativeTo, Native(source), &nativeFrom, flags, nullptr));
}

Result NativePort::Restore(Surface* surface) { return Of(Native(surface)->Restore()); }
void NativePort::Release(Clipper* clipper) { Native(clipper)->Release(); }
void NativePort::Release(Surface* surface) { Native(surface)->Release(); }
void NativePort::Release(DirectDraw* object) { Native(object)->Release(); }

Window* NativePort::CreateWindowEx(uint32_t exStyle, const char* title, uint32_t style, int32_t x, int32_t y,
                                   int32_t width, int32_t height) {
  return reinterpret_cast<Window*>(CreateWindowExA(exStyle, kWindowClass, title != nullptr ? title : "", style, x, y,
                                                   width, height, nullptr, nullptr, GetModuleHandleA(nullptr), this));
}

uint32_t NativePort::GetWindowLong(Window* window, int32_t index) {
  return static_cast<uint32_t>(GetWindowLongA(Native(window), index));
}

bool NativePort::HasMenu(Window* window) { return GetMenu(Native(window)) != nullptr; }

Rect NativePort::AdjustWindowRectEx(Rect rect, uint32_t style, bool menu, uint32_t exStyle) {
  RECT native = Native(rect);
  ::AdjustWindowRectEx(&native, style, menu, exStyle);
  return {native.left, native.top, native.right, native.bottom};
}

void NativePort::SetWindowPos(Window* window, intptr_t insertAfter, int32_t x, int32_t y, int32_t width,
                              int32_t height, uint32_t flags) {
  ::SetWindowPos(Native(window), reinterpret_cast<HWND>(insertAfter), x, y, width, height, flags);
}

void NativePort::ShowWindow(Window* window, int32_t command) { ::ShowWindow(Native(window), command); }
void NativePort::UpdateWindow(Window* window) { ::UpdateWindow(Native(window)); }
void NativePort::DestroyWindow(Window* window) { ::DestroyWindow(Native(window)); }

Point NativePort::ClientToScreen(Window* window, Point point) {
  POINT native = {point.x, point.y};
  ::ClientToScreen(Native(window), &native);
  return {native.x, native.y};
}

void NativePort::ShowCursor(bool shown) { ::ShowCursor(shown ? TRUE : FALSE); }

void NativePort::MessageBox(Window* owner, const char* text, const char* caption) {
  MessageBoxA(Native(owner), text != nullptr ? text : "", caption, MB_OK);
}

void NativePort::DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool NativePort::Deliver(ShowEvent event) {
  if (sink_ == nullptr) return false;
  sink_->OnEvent(event);
  return true;
}

}  // namespace platform::win32
