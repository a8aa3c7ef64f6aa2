// The headless window and message queue: one invisible show window, active from the moment it is shown.
#include <cstdio>

#include "platform/headless/headless_internal.h"
#include "platform/process.h"
#include "platform/window.h"

namespace platform {

struct Window {
  WindowProcedure procedure;
  int32_t width;
  int32_t height;
  bool active = false;
};

}  // namespace platform

namespace headless {

void ResetWindows() {
  // Windows the host never destroyed belong to the run that ends here.
  State().queue.clear();
}

}  // namespace headless

namespace platform {

bool RegisterWindowClass(const char* className, WindowProcedure procedure) {
  headless::Backend& b = headless::State();
  b.className = className;
  b.procedure = procedure;
  return procedure != nullptr;
}

Window* CreateShowWindow(const WindowDescription& description) {
  headless::Backend& b = headless::State();
  if (b.procedure == nullptr) return nullptr;
  static Window window{};
  window = Window{b.procedure, description.width, description.height, false};
  return &window;
}

void FitClientArea(Window* window, int32_t width, int32_t height) {
  if (window == nullptr) return;
  window->width = width;
  window->height = height;
}

void SetWindowNotTopmost(Window*) {}

void ShowWindow(Window* window, int32_t) {
  if (window == nullptr || window->active) return;
  window->active = true;
  window->procedure({window, MessageKind::kActivateApp, 1});
}

void UpdateWindow(Window*) {}

void DestroyWindow(Window* window) {
  if (window == nullptr || window->procedure == nullptr) return;
  const WindowProcedure procedure = window->procedure;
  procedure({window, MessageKind::kDestroy, 0});
  window->procedure = nullptr;
}

Point ClientToScreen(Window*, Point point) { return point; }

int32_t ShowCursor(bool show) {
  headless::Backend& b = headless::State();
  b.cursorCount += show ? 1 : -1;
  return b.cursorCount;
}

void MessageBox(Window*, const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error", text != nullptr ? text : "");
}

bool PeekMessage(Message* message) {
  headless::Backend& b = headless::State();
  if (b.queue.empty()) return false;
  *message = b.queue.front();
  b.queue.pop_front();
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
  headless::State().queue.push_back({nullptr, MessageKind::kQuit, static_cast<uint32_t>(exitCode)});
}

void ExitProcess(int status) { throw ProcessExit{status}; }

}  // namespace platform
