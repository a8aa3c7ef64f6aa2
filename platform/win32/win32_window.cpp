// The show window and its messages over USER32: the window class, the host's procedure behind a native one, the
// message queue, the cursor and message boxes.
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "platform/window.h"

namespace {

using platform::Message;
using platform::MessageKind;
using platform::Window;

struct ClassRecord {
  char name[64];
  platform::WindowProcedure procedure;
};

// The native message the host's procedure is handling now, handed on unchanged by DefWindowProc.
struct NativeMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct WindowState {
  std::vector<ClassRecord> classes;
  // Records are never freed: the host keeps its handle after destroying a window, as it may.
  std::vector<std::unique_ptr<Window>> windows;
  const NativeMessage* handling = nullptr;
  MSG peeked = {};
};

WindowState& State() {
  static WindowState* state = new WindowState;
  return *state;
}

MessageKind KindOf(UINT message) {
  switch (message) {
    case WM_ACTIVATEAPP: return MessageKind::kActivateApp;
    case WM_KEYDOWN: return MessageKind::kKeyDown;
    case WM_CLOSE: return MessageKind::kClose;
    case WM_DESTROY: return MessageKind::kDestroy;
    case WM_QUIT: return MessageKind::kQuit;
    default: return MessageKind::kOther;
  }
}

Window* RecordOf(HWND handle) {
  return handle != nullptr ? reinterpret_cast<Window*>(GetWindowLongPtrA(handle, GWLP_USERDATA)) : nullptr;
}

// Every window of a registered class comes here first: the message goes to the host's procedure as the host's
// kind of message, and the host's DefWindowProc passes the native one on.
LRESULT CALLBACK NativeProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* record = static_cast<Window*>(create->lpCreateParams);
    record->handle = handle;
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
  }
  Window* record = RecordOf(handle);
  if (record == nullptr || record->procedure == nullptr) return DefWindowProcA(handle, message, wParam, lParam);
  WindowState& state = State();
  const NativeMessage native = {handle, message, wParam, lParam};
  const NativeMessage* outer = state.handling;
  state.handling = &native;
  const LRESULT result = record->procedure({record, KindOf(message), static_cast<uint32_t>(wParam)});
  state.handling = outer;
  // However the window goes (DestroyWindow, or the default handling of its close box), the record forgets it.
  if (message == WM_NCDESTROY) record->handle = nullptr;
  return result;
}

}  // namespace

namespace platform {

bool RegisterWindowClass(const char* className, WindowProcedure procedure) {
  if (className == nullptr || procedure == nullptr || std::strlen(className) >= sizeof ClassRecord{}.name) {
    return false;
  }
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = NativeProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = className;
  if (RegisterClassA(&windowClass) == 0) return false;
  ClassRecord record = {};
  std::strcpy(record.name, className);
  record.procedure = procedure;
  State().classes.push_back(record);
  return true;
}

Window* CreateShowWindow(const WindowDescription& description) {
  if (description.className == nullptr) return nullptr;
  WindowProcedure procedure = nullptr;
  for (const ClassRecord& known : State().classes) {
    if (std::strcmp(known.name, description.className) == 0) procedure = known.procedure;
  }
  if (procedure == nullptr) return nullptr;
  auto record = std::make_unique<Window>();
  record->procedure = procedure;
  const bool popup = description.style == WindowStyle::kPopup;
  const DWORD exStyle = popup ? 0 : WS_EX_DLGMODALFRAME;
  const DWORD style = popup ? WS_POPUP : WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX;
  const HWND handle = CreateWindowExA(exStyle, description.className, description.title != nullptr ? description.title : "",
                                      style, CW_USEDEFAULT, CW_USEDEFAULT, description.width, description.height,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), record.get());
  if (handle == nullptr) return nullptr;
  State().windows.push_back(std::move(record));
  return State().windows.back().get();
}

void FitClientArea(Window* window, int32_t width, int32_t height) {
  if (window == nullptr || window->handle == nullptr) return;
  RECT rect;
  SetRect(&rect, 0, 0, width, height);
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongA(window->handle, GWL_STYLE)),
                     GetMenu(window->handle) != nullptr, static_cast<DWORD>(GetWindowLongA(window->handle, GWL_EXSTYLE)));
  SetWindowPos(window->handle, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetWindowNotTopmost(Window* window) {
  if (window == nullptr || window->handle == nullptr) return;
  SetWindowPos(window->handle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ShowWindow(Window* window, int32_t showCommand) {
  if (window != nullptr && window->handle != nullptr) ::ShowWindow(window->handle, showCommand);
}

void UpdateWindow(Window* window) {
  if (window != nullptr && window->handle != nullptr) ::UpdateWindow(window->handle);
}

void DestroyWindow(Window* window) {
  if (window == nullptr || window->handle == nullptr) return;
  const HWND handle = window->handle;
  ::DestroyWindow(handle);
  window->handle = nullptr;
}

Point ClientToScreen(Window* window, Point point) {
  if (window == nullptr || window->handle == nullptr) return point;
  POINT native = {point.x, point.y};
  ::ClientToScreen(window->handle, &native);
  return {native.x, native.y};
}

int32_t ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

void MessageBox(Window* owner, const char* text, const char* caption) {
  MessageBoxA(owner != nullptr ? owner->handle : nullptr, text != nullptr ? text : "", caption, MB_OK);
}

bool PeekMessage(Message* message) {
  WindowState& state = State();
  if (PeekMessageA(&state.peeked, nullptr, 0, 0, PM_REMOVE) == 0) return false;
  const MessageKind kind = KindOf(state.peeked.message);
  *message = {kind == MessageKind::kQuit ? nullptr : RecordOf(state.peeked.hwnd), kind,
              static_cast<uint32_t>(state.peeked.wParam)};
  return true;
}

// The host translates and dispatches the message it has just peeked, so the native one is at hand.
void TranslateMessage(const Message&) { ::TranslateMessage(&State().peeked); }

intptr_t DispatchMessage(const Message&) { return DispatchMessageA(&State().peeked); }

intptr_t DefWindowProc(const Message& message) {
  const NativeMessage* native = State().handling;
  if (native != nullptr && message.window != nullptr && native->window == message.window->handle) {
    return DefWindowProcA(native->window, native->message, native->wParam, native->lParam);
  }
  if (message.kind == MessageKind::kClose) DestroyWindow(message.window);
  return 0;
}

void PostQuitMessage(int32_t exitCode) { ::PostQuitMessage(exitCode); }

}  // namespace platform
