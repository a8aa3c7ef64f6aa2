// The show window's events over SDL: Escape, the full-screen, screenshot and pause keys, other keys, the close box,
// activation, a reset device, a window destroyed by another program, SDL's quit request taken as closing the
// window, and the watched signals.
#include <optional>
#include <thread>

#include "platform/interrupt.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace platform {

namespace {

// The event a key press stands for. A held key repeats; a repeat of a switch would flip it back and forth, so
// only its first press counts.
std::optional<ShowEvent> KeyEvent(const SDL_KeyboardEvent& key) {
  const SDL_Keycode sym = key.keysym.sym;
  const bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
  ShowEvent event = ShowEvent::kOtherKey;
  if (sym == SDLK_ESCAPE) return ShowEvent::kEscape;
  if (sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT) != 0)) {
    event = ShowEvent::kToggleFullScreen;
  } else if (sym == SDLK_F12) {
    event = ShowEvent::kScreenshot;
  } else if (sym == SDLK_SPACE) {
    event = ShowEvent::kPause;
  } else {
    return event;
  }
  if (key.repeat != 0) return std::nullopt;
  return event;
}

}  // namespace

void SdlVideo::Deliver(ShowEvent event) {
  if (sink_ != nullptr) sink_->OnEvent(event);
}

void SdlVideo::DispatchPending() {
  SDL_Event event;
  while (videoStarted_ && SDL_PollEvent(&event) != 0) Translate(event);
  // A signal the program watches for (platform/interrupt.h) ends the show as Escape does, wherever it arrived;
  // SDL's own handlers, which would turn only some into a quit event, are left out.
  if (InterruptStatus() != 0) Deliver(ShowEvent::kEscape);
  // The end of a frame's pump: a frame that drew nothing still keeps to the display's rate instead of spinning.
  if (renderer_ != nullptr && !presentedSincePump_) {
    std::this_thread::sleep_for(pacer_.WaitWithoutPresent(sdlbackend::FramePacer::Clock::now()));
  }
  presentedSincePump_ = false;
}

void SdlVideo::Translate(const SDL_Event& event) {
  const Uint32 shown = window_ != nullptr ? SDL_GetWindowID(window_) : 0;
  switch (event.type) {
    case SDL_KEYDOWN:
      if (shown != 0 && event.key.windowID == shown) {
        if (const std::optional<ShowEvent> key = KeyEvent(event.key)) Deliver(*key);
      }
      break;
    case SDL_WINDOWEVENT:
      if (shown == 0 || event.window.windowID != shown) break;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) Deliver(ShowEvent::kCloseRequested);
      // The window system may have lost what the window showed, or its size changed: the next present draws.
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN ||
          event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_RESTORED) {
        redraw_ = true;
      }
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || event.window.event == SDL_WINDOWEVENT_RESTORED) {
        Deliver(ShowEvent::kActivated);
      }
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST || event.window.event == SDL_WINDOWEVENT_MINIMIZED) {
        Deliver(ShowEvent::kDeactivated);
      }
      break;
    case SDL_QUIT:
      // The session ending (or a signal, where SDL handles them): handled as closing the show window, or, with
      // none left to close, as its end.
      Deliver(window_ != nullptr ? ShowEvent::kCloseRequested : ShowEvent::kDestroyed);
      break;
    case SDL_RENDER_DEVICE_RESET: lost_ = true; break;
    case SDL_SYSWMEVENT:
      // Another program destroyed the window (a window manager's "destroy", xdotool windowclose): SDL goes on
      // drawing into nothing, so the window is forgotten here, as after DestroyWindow. Its SDL record is left
      // alone; there is no window left to give back.
      if (const uint64_t destroyed = sdlbackend::DestroyedSystemWindow(event.syswm.msg);
          destroyed != 0 && destroyed == systemId_ && window_ != nullptr) {
        sdlbackend::Trace("window-destroyed-by-another-program");
        ForgetRenderer();
        orphan_ = window_;
        window_ = nullptr;
        Deliver(ShowEvent::kDestroyed);
      }
      break;
    default: break;
  }
}

}  // namespace platform
