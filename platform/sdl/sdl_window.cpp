// The show window and its messages over SDL: window classes, SDL events turned into the host's messages, the
// cursor and message boxes.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_renderer.h"
#include "platform/window.h"

namespace {

using platform::Message;
using platform::MessageKind;
using platform::Window;

struct WindowClass {
  std::string name;
  platform::WindowProcedure procedure;
};

struct WindowState {
  std::vector<WindowClass> classes;
  // Window records are never freed: the host keeps its handle after destroying a window, as it may.
  std::vector<std::unique_ptr<Window>> windows;
  std::deque<Message> queue;
  int32_t cursorCount = 0;
};

WindowState& State() {
  static WindowState* state = new WindowState;
  return *state;
}

bool IsVirtualDriver(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// The host reads only Escape; the rest get their usual virtual-key numbers where there is an obvious one.
uint32_t VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>(key);
  switch (key) {
    case SDLK_ESCAPE: return platform::kVirtualKeyEscape;
    case SDLK_RETURN: return 13;
    case SDLK_SPACE: return 32;
    case SDLK_TAB: return 9;
    case SDLK_BACKSPACE: return 8;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    default: return 0;
  }
}

// The newest window that still exists: where a request to quit the whole program goes.
Window* ShowWindowRecord() {
  std::vector<std::unique_ptr<Window>>& windows = State().windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->native != nullptr) return it->get();
  }
  return nullptr;
}

void Post(Window* window, MessageKind kind, uint32_t wParam) {
  if (window != nullptr) State().queue.push_back({window, kind, wParam});
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  Window* window = sdlbackend::FindWindow(event.windowID);
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: Post(window, MessageKind::kClose, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED: Post(window, MessageKind::kActivateApp, 1); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED: Post(window, MessageKind::kActivateApp, 0); break;
    default: break;
  }
}

bool windowDestroyedByOthers = false;

// Which display the program tried, for the messages that say why it could not open one.
std::string DisplayName() {
  const char* x = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  if (x != nullptr && x[0] != '\0') return std::string("\"") + x + "\" (DISPLAY)";
  if (wayland != nullptr && wayland[0] != '\0') return std::string("\"") + wayland + "\" (WAYLAND_DISPLAY)";
  return "none named (DISPLAY and WAYLAND_DISPLAY are not set)";
}

// At exit. SDL would tidy up a window another program destroyed, and the window system's errors for it would end
// the program at its last step; the window system frees what is left of it when the program disconnects.
void QuitSdl() {
  if (windowDestroyedByOthers) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    return;
  }
  SDL_Quit();
}

// Another program destroyed the window (a window manager's "destroy", xdotool windowclose): SDL goes on drawing
// into nothing, so the window hears of its destruction here, as it would from DestroyWindow, and is forgotten.
// Its SDL record is left alone; there is no window left to give back.
void TranslateSystemEvent(const SDL_SysWMmsg* message) {
  const uint64_t destroyed = sdlbackend::DestroyedSystemWindow(message);
  if (destroyed == 0) return;
  for (const std::unique_ptr<Window>& window : State().windows) {
    if (window->native == nullptr || window->systemId != destroyed) continue;
    sdlbackend::Trace("window-destroyed-by-another-program");
    window->procedure({window.get(), MessageKind::kDestroy, 0});
    sdlbackend::ForgetWindowRenderer(window.get());
    window->orphan = window->native;
    window->native = nullptr;
    windowDestroyedByOthers = true;
  }
}

// Moves what SDL has gathered into the host's queue, without waiting.
void PumpSdlEvents() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_KEYDOWN:
        Post(sdlbackend::FindWindow(event.key.windowID), MessageKind::kKeyDown, VirtualKey(event.key.keysym.sym));
        break;
      case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
      case SDL_QUIT:
        // An interrupt or terminate signal, or the session ending: handled as closing the show window.
        if (Window* window = ShowWindowRecord()) {
          Post(window, MessageKind::kClose, 0);
        } else {
          platform::PostQuitMessage(0);
        }
        break;
      case SDL_RENDER_DEVICE_RESET: sdlbackend::MarkDisplayLost(); break;
      case SDL_SYSWMEVENT: TranslateSystemEvent(event.syswm.msg); break;
      default: break;
    }
  }
}

}  // namespace

namespace sdlbackend {

bool StartVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Vesk");
  // Which renderer the show gets is asked of GL in a process of its own, while the dialog is up (sdl_renderer.h).
  // SDL's own GL probe behind the window surface would load a whole GL driver into this one, which on a machine
  // without a GPU rasterises on the CPU and costs more than the show itself.
  if (!IsVirtualDriver(SDL_getenv("SDL_VIDEODRIVER"))) StartRendererProbe();
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The host's message names only the failing call; the cause goes to standard error beside it.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    const std::string reason = SDL_GetError();
    const std::string x = WhyDisplayFails();
    std::fprintf(stderr, "vesk: the display %s cannot be opened: %s\n", DisplayName().c_str(),
                 x.empty() ? reason.c_str() : x.c_str());
    return false;
  }
  // Without an X or Wayland session SDL falls back to drawing off screen; that is no display for a show, unless
  // asked for by name.
  if (IsVirtualDriver(SDL_GetCurrentVideoDriver()) && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // SDL keeps no reason for the real drivers it passed over; asking the X one again gives it.
    std::string reason = WhyDisplayFails();
    if (reason.empty()) reason = "no X or Wayland session";
    std::fprintf(stderr, "vesk: the display %s cannot be opened: %s\n", DisplayName().c_str(), reason.c_str());
    return false;
  }
  static bool quitAtExit = false;
  if (!quitAtExit) {
    std::atexit(QuitSdl);
    quitAtExit = true;
  }
  // The system's own window events, for the one that SDL does not pass on: a window destroyed by another program.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  Trace("video-started");
  return true;
}

Window* FindWindow(uint32_t sdlWindowId) {
  for (const std::unique_ptr<Window>& window : State().windows) {
    if (window->native != nullptr && SDL_GetWindowID(window->native) == sdlWindowId) return window.get();
  }
  return nullptr;
}

}  // namespace sdlbackend

namespace platform {

bool RegisterWindowClass(const char* className, WindowProcedure procedure) {
  if (className == nullptr || procedure == nullptr) return false;
  for (WindowClass& known : State().classes) {
    if (known.name == className) return false;
  }
  State().classes.push_back({className, procedure});
  return true;
}

Window* CreateShowWindow(const WindowDescription& description) {
  if (!sdlbackend::StartVideo() || description.className == nullptr) return nullptr;
  WindowProcedure procedure = nullptr;
  for (const WindowClass& known : State().classes) {
    if (known.name == description.className) procedure = known.procedure;
  }
  if (procedure == nullptr) return nullptr;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (description.style == WindowStyle::kPopup) flags |= SDL_WINDOW_BORDERLESS;
  // A window made for GL from the start, so that the accelerated renderer does not make SDL build it again.
  if (sdlbackend::WantsGlWindow()) flags |= SDL_WINDOW_OPENGL;
  SDL_Window* native = SDL_CreateWindow(description.title != nullptr ? description.title : "", SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, description.width, description.height, flags);
  if (native == nullptr) {
    std::fprintf(stderr, "vesk: the show window cannot be created: %s\n", SDL_GetError());
    return nullptr;
  }
  auto window = std::make_unique<Window>();
  window->native = native;
  window->systemId = sdlbackend::SystemWindowId(native);
  sdlbackend::Trace("window-created");
  window->procedure = procedure;
  window->style = description.style;
  State().windows.push_back(std::move(window));
  return State().windows.back().get();
}

void FitClientArea(Window* window, int32_t width, int32_t height) {
  // An SDL window's size is its client area already.
  if (window != nullptr && window->native != nullptr) SDL_SetWindowSize(window->native, width, height);
}

void SetWindowNotTopmost(Window* window) {
  if (window != nullptr && window->native != nullptr) SDL_SetWindowAlwaysOnTop(window->native, SDL_FALSE);
}

void ShowWindow(Window* window, int32_t /*showCommand*/) {
  if (window == nullptr || window->native == nullptr) return;
  const bool wasShown = (SDL_GetWindowFlags(window->native) & SDL_WINDOW_SHOWN) != 0;
  SDL_ShowWindow(window->native);
  SDL_RaiseWindow(window->native);
  // Showing the show window activates the program, and the window hears of it before this returns.
  if (!wasShown) window->procedure({window, MessageKind::kActivateApp, 1});
  sdlbackend::Trace("window-shown");
}

void UpdateWindow(Window*) {}

void DestroyWindow(Window* window) {
  if (window == nullptr || window->native == nullptr) return;
  window->procedure({window, MessageKind::kDestroy, 0});
  sdlbackend::ForgetWindowRenderer(window);
  SDL_DestroyWindow(window->native);
  window->native = nullptr;
}

Point ClientToScreen(Window* window, Point point) {
  if (window == nullptr || window->native == nullptr) return point;
  int x = 0, y = 0;
  SDL_GetWindowPosition(window->native, &x, &y);
  return {point.x + x, point.y + y};
}

int32_t ShowCursor(bool show) {
  WindowState& state = State();
  state.cursorCount += show ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(state.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return state.cursorCount;
}

void MessageBox(Window* owner, const char* text, const char* caption) {
  const char* title = caption != nullptr ? caption : "Error";
  const char* body = text != nullptr ? text : "";
  // Standard error too, so that a machine without a display still says why the program stopped.
  std::fprintf(stderr, "%s: %s\n", title, body);
  std::fflush(stderr);
  SDL_Window* parent = owner != nullptr ? owner->native : nullptr;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, body, parent);
}

bool PeekMessage(Message* message) {
  WindowState& state = State();
  PumpSdlEvents();
  if (state.queue.empty()) {
    // The end of a frame's pump: a frame that drew nothing (the program is not active) still keeps to the
    // display's rate instead of spinning.
    if (!sdlbackend::TakePresentedSinceLastPump()) sdlbackend::PaceFrameWithoutPresent();
    return false;
  }
  *message = state.queue.front();
  state.queue.pop_front();
  return true;
}

void TranslateMessage(const Message&) {}

intptr_t DispatchMessage(const Message& message) {
  Window* window = message.window;
  if (window == nullptr || window->native == nullptr || window->procedure == nullptr) return 0;
  return window->procedure(message);
}

intptr_t DefWindowProc(const Message& message) {
  if (message.kind == MessageKind::kClose) DestroyWindow(message.window);
  return 0;
}

void PostQuitMessage(int32_t exitCode) {
  State().queue.push_back({nullptr, MessageKind::kQuit, static_cast<uint32_t>(exitCode)});
}

}  // namespace platform
