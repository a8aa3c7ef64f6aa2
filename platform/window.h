// The show window, its message queue, the mouse cursor and message boxes: the windowing service of the host.
#pragma once

#include <cstdint>

namespace platform {

struct Window;  // defined by each backend

struct Point {
  int32_t x;
  int32_t y;
};

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

enum class MessageKind : uint32_t {
  kOther = 0,       // anything the host does not act on; still dispatched
  kActivateApp,     // wParam: non-zero when the program becomes active, 0 when it loses activation
  kKeyDown,         // wParam: the virtual key
  kClose,           // the window's close box; the default handling destroys the window
  kDestroy,         // the window is being destroyed
  kQuit,            // the quit request; never dispatched to a window
};

inline constexpr uint32_t kVirtualKeyEscape = 27;

struct Message {
  Window* window;   // null for kQuit
  MessageKind kind;
  uint32_t wParam;
};

// The procedure of a window class. Backends call it for dispatched (posted) messages and directly, at once,
// for sent ones: kDestroy from DestroyWindow, and kActivateApp when activation changes (ShowWindow of the
// show window activates the program, so the procedure sees kActivateApp 1 before ShowWindow returns).
using WindowProcedure = intptr_t (*)(const Message& message);

enum class WindowStyle : uint32_t {
  kPopup,   // full screen: borderless pop-up
  kFramed,  // windowed: dialog frame, border, system menu and minimise box, no sizing border
};

struct WindowDescription {
  const char* className;
  const char* title;
  WindowStyle style;
  int32_t width;
  int32_t height;
};

// Show commands for ShowWindow.
inline constexpr int32_t kShowShow = 5;
inline constexpr int32_t kShowDefault = 10;

bool RegisterWindowClass(const char* className, WindowProcedure procedure);
// Creates a hidden window of a registered class; null on failure.
Window* CreateShowWindow(const WindowDescription& description);
// Resizes the window so that its client area is width x height, without moving it or changing its place in the
// stacking order.
void FitClientArea(Window* window, int32_t width, int32_t height);
// Makes the window an ordinary one, not kept above the others.
void SetWindowNotTopmost(Window* window);
void ShowWindow(Window* window, int32_t showCommand);
void UpdateWindow(Window* window);
// Sends kDestroy to the window's procedure, then forgets the window. Null does nothing.
void DestroyWindow(Window* window);
Point ClientToScreen(Window* window, Point point);
// Shows or hides the mouse cursor; returns the new display count as the system keeps it.
int32_t ShowCursor(bool show);
// A modal box with an OK button. owner may be null; a null caption gives the system's default caption.
void MessageBox(Window* owner, const char* text, const char* caption);

// Takes the next message off the queue; false when there is none. Never waits for a message. It is called at the
// end of every present, so a backend that presents in real time keeps the frame loop to the display's rate here
// when the frame presented nothing (the program is not active): the SDL backend then sleeps until the next refresh
// slot before it answers "none", instead of letting the show spin.
bool PeekMessage(Message* message);
void TranslateMessage(const Message& message);
// Hands the message to its window's procedure and returns what that returns.
intptr_t DispatchMessage(const Message& message);
// The default handling every procedure passes its messages on to: kClose destroys the window.
intptr_t DefWindowProc(const Message& message);
// Queues the quit request (kQuit) behind the messages already waiting.
void PostQuitMessage(int32_t exitCode);

}  // namespace platform
