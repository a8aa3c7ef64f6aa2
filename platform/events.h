// The few things that happen to the show window and that the show reacts to.
#pragma once

#include <cstdint>

namespace platform {

enum class ShowEvent : uint8_t {
  kEscape,          // the Escape key
  kOtherKey,        // any other key
  // Keys beyond Escape that only the Linux and web programs read; none of them changes the show unless pressed.
  kToggleFullScreen,  // Alt+Enter or F11: between the window and the desktop's full screen
  kScreenshot,        // F12: save the picture on screen
  kPause,             // Space: hold the show, or go on with it
  kCloseRequested,  // the window's close box; the host answers by destroying the window
  kDestroyed,       // the show window is gone
  kActivated,       // the program became the active one
  kDeactivated,     // the program lost activation
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnEvent(ShowEvent event) = 0;
};

class EventSource {
 public:
  virtual ~EventSource() = default;
  // Where events go; null drops them. Events that happen inside a device call (kActivated while the window is
  // shown, kDestroyed while it is destroyed) reach the sink before that call returns.
  virtual void SetSink(EventSink* sink) = 0;
  // Hands every waiting event to the sink, in order, and returns when none is left. Never waits for one.
  virtual void DispatchPending() = 0;
};

}  // namespace platform
