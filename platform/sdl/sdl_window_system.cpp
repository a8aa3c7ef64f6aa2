// What SDL does not pass on from the window system: the ids of its windows, their destruction by other programs,
// and the errors that drawing into a window destroyed that way raises before the program has heard of it.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_internal.h"

#if defined(SDL_VIDEO_DRIVER_X11) && !defined(VESK_WITHOUT_XLIB)
#include <X11/Xatom.h>

namespace sdlbackend {

namespace {

bool windowGone = false;
XErrorHandler previousHandler = nullptr;

// A window destroyed by another program goes on receiving the renderer's requests until its destruction is read
// from the queue; those fail with BadWindow or BadDrawable, which Xlib's default handler would end the program
// for; once one is known gone, so do the renderer's resources that lived with it (its graphics contexts). Every
// other error goes where it went before.
int IgnoreGoneWindows(Display* display, XErrorEvent* error) {
  if (windowGone || error->error_code == BadWindow || error->error_code == BadDrawable) {
    Trace(("x-error-ignored " + std::to_string(static_cast<int>(error->error_code))).c_str());
    return 0;
  }
  return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

// The X11 side of a window, or false when it has none.
bool X11Info(SDL_Window* window, SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  return window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11;
}

}  // namespace

uint64_t SystemWindowId(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!X11Info(window, info)) return 0;
  // Installed last, over whatever a toolkit set up before the show window existed.
  static bool installed = false;
  if (!installed) {
    installed = true;
    previousHandler = XSetErrorHandler(IgnoreGoneWindows);
    if (previousHandler == IgnoreGoneWindows) previousHandler = nullptr;
  }
  return static_cast<uint64_t>(info.info.x11.window);
}

std::string WhyDisplayFails() {
  const char* name = SDL_getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return "";
  errno = 0;
  Display* display = XOpenDisplay(name);
  if (display != nullptr) {
    XCloseDisplay(display);
    return "";
  }
  // Xlib says nothing of its own; what the connection attempt left in errno is the nearest to a reason.
  return errno != 0 ? std::string("cannot connect to the X server: ") + std::strerror(errno)
                    : "the X server refused the connection";
}

bool ClearToBlack(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!X11Info(window, info)) return false;
  // Pixel 0 of a true-colour visual is black. Clearing a window not mapped yet does nothing: mapping it fills it.
  XSetWindowBackground(info.info.x11.display, info.info.x11.window, 0);
  XClearWindow(info.info.x11.display, info.info.x11.window);
  return true;
}

bool RequestFullScreenBeforeMapping(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!X11Info(window, info) || (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0) return false;
  // The window manager's protocol: a state set on a window before it is mapped is taken up as it maps it.
  Display* display = info.info.x11.display;
  Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
  XChangeProperty(display, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&fullScreen), 1);
  return true;
}

uint64_t DestroyedSystemWindow(const SDL_SysWMmsg* message) {
  if (message == nullptr || message->subsystem != SDL_SYSWM_X11 || message->msg.x11.event.type != DestroyNotify) {
    return 0;
  }
  windowGone = true;
  return static_cast<uint64_t>(message->msg.x11.event.xdestroywindow.window);
}

}  // namespace sdlbackend

#else

namespace sdlbackend {

// Without Xlib: no ids, no requests, and nothing more said of a display that does not open.
uint64_t SystemWindowId(SDL_Window*) { return 0; }
std::string WhyDisplayFails() { return ""; }
bool RequestFullScreenBeforeMapping(SDL_Window*) { return false; }
bool ClearToBlack(SDL_Window*) { return false; }
uint64_t DestroyedSystemWindow(const SDL_SysWMmsg*) { return 0; }

}  // namespace sdlbackend

#endif
