// The show on the page: one show window, its messages from the page's keys and full-screen changes, and the end.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <deque>
#include <string>

#include "platform/process.h"
#include "platform/web/web.h"
#include "platform/web/web_internal.h"
#include "platform/window.h"

namespace platform {

struct Window {
  WindowProcedure procedure = nullptr;
  bool fullScreen = false;
  bool active = false;
  std::string title;
};

}  // namespace platform

// The page's input since the last call: 0 none, 1 Escape, 2 the show was closed (full screen left).
EM_JS(int, vesk_web_take_input, (), { return VeskPage.takeInput(); });
EM_JS(void, vesk_web_show, (int fullScreen, const char* title), {
  VeskPage.showShow(fullScreen != 0, UTF8ToString(title));
});
EM_JS(void, vesk_web_hide, (), { VeskPage.hideShow(); });
EM_JS(void, vesk_web_message, (const char* text, const char* caption), {
  VeskPage.message(UTF8ToString(text), caption ? UTF8ToString(caption) : "Error");
});
// The program has ended: the page goes back to its launch form with a fresh program, and this one waits forever.
EM_ASYNC_JS(void, vesk_web_end, (int status), {
  VeskPage.ended(status);
  await new Promise(() => {});
});

namespace {

struct WindowState {
  platform::WindowProcedure procedure = nullptr;
  platform::Window window;
  bool exists = false;
  std::deque<platform::Message> queue;
  int32_t cursorCount = 0;
  web::PresentObserver observer = nullptr;
};

WindowState& State() {
  static WindowState state;
  return state;
}

constexpr int kInputEscape = 1;
constexpr int kInputClose = 2;

void TakePageInput() {
  WindowState& s = State();
  for (int input = vesk_web_take_input(); input != 0; input = vesk_web_take_input()) {
    if (!s.exists) continue;
    if (input == kInputEscape) s.queue.push_back({&s.window, platform::MessageKind::kKeyDown, 27});
    if (input == kInputClose) s.queue.push_back({&s.window, platform::MessageKind::kClose, 0});
  }
}

}  // namespace

namespace web {

void SetPresentObserver(PresentObserver observer) { State().observer = observer; }

void NotifyPresented() {
  if (State().observer != nullptr) State().observer();
}

}  // namespace web

namespace platform {

bool RegisterWindowClass(const char*, WindowProcedure procedure) {
  State().procedure = procedure;
  return procedure != nullptr;
}

Window* CreateShowWindow(const WindowDescription& description) {
  WindowState& s = State();
  if (s.procedure == nullptr) return nullptr;
  s.window = Window{s.procedure, description.style == WindowStyle::kPopup, false,
                    description.title != nullptr ? description.title : ""};
  s.exists = true;
  return &s.window;
}

void FitClientArea(Window*, int32_t, int32_t) {}
void SetWindowNotTopmost(Window*) {}

// The page is the program's one window: it stays active while the show runs. (A hidden page simply gets no
// animation frames, so the show waits rather than running unseen.)
void ShowWindow(Window* window, int32_t) {
  if (window == nullptr || window->active) return;
  window->active = true;
  vesk_web_show(window->fullScreen ? 1 : 0, window->title.c_str());
  window->procedure({window, MessageKind::kActivateApp, 1});
}

void UpdateWindow(Window*) {}

void DestroyWindow(Window* window) {
  if (window == nullptr || window->procedure == nullptr) return;
  const WindowProcedure procedure = window->procedure;
  procedure({window, MessageKind::kDestroy, 0});
  window->procedure = nullptr;
  State().exists = false;
  vesk_web_hide();
}

Point ClientToScreen(Window*, Point point) { return point; }

int32_t ShowCursor(bool show) {
  State().cursorCount += show ? 1 : -1;
  return State().cursorCount;
}

void MessageBox(Window*, const char* text, const char* caption) {
  vesk_web_message(text != nullptr ? text : "", caption);
}

bool PeekMessage(Message* message) {
  TakePageInput();
  WindowState& s = State();
  if (s.queue.empty()) return false;
  *message = s.queue.front();
  s.queue.pop_front();
  return true;
}

void TranslateMessage(const Message&) {}

intptr_t DispatchMessage(const Message& message) {
  if (message.window == nullptr || message.window->procedure == nullptr) return 0;
  return message.window->procedure(message);
}

intptr_t DefWindowProc(const Message& message) {
  if (message.kind == MessageKind::kClose) DestroyWindow(message.window);
  return 0;
}

void PostQuitMessage(int32_t exitCode) {
  State().queue.push_back({nullptr, MessageKind::kQuit, static_cast<uint32_t>(exitCode)});
}

void ExitProcess(int status) {
  vesk_web_end(status);
  // Never reached: the page has started over with a fresh program.
  std::abort();
}

}  // namespace platform
