// The Windows backend's services as the Windows programs assemble them: the DirectDraw port with the show
// window's events, the multimedia-timer ticker, the waveOut output and the launch dialog.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/audio_output.h"
#include "platform/events.h"
#include "platform/launch_view.h"
#include "platform/ticker.h"
#include "platform/win32/ddraw_port.h"

namespace platform::win32 {

// DirectDraw 7 over COM, its library loaded when asked for, and the show window over USER32: the window's
// messages become the show's events, handed to the sink as the window procedure receives them.
class NativePort : public DirectDrawPort, public EventSource {
 public:
  NativePort();  // registers the show window's class

  Result DirectDrawCreate(DirectDraw** object) override;
  Result GetDisplayMode(DirectDraw* object, Description* mode) override;
  Result EnumDisplayModes(DirectDraw* object, uint32_t flags,
                          const std::function<int32_t(const Description&)>& each) override;
  Result SetCooperativeLevel(DirectDraw* object, Window* window, uint32_t level) override;
  Result SetDisplayMode(DirectDraw* object, int32_t width, int32_t height, int32_t bitsPerPixel) override;
  Result CreateSurface(DirectDraw* object, Description* description, Surface** surface) override;
  Result GetAttachedSurface(Surface* surface, uint32_t caps, Surface** attached) override;
  Result CreateClipper(DirectDraw* object, Clipper** clipper) override;
  Result SetHWnd(Clipper* clipper, Window* window) override;
  Result SetClipper(Surface* surface, Clipper* clipper) override;
  Result Lock(Surface* surface, Description* description, uint32_t flags) override;
  Result Unlock(Surface* surface) override;
  Result WaitForVerticalBlank(DirectDraw* object, uint32_t flags) override;
  uint32_t MonitorFrequency(DirectDraw* object) override;
  Result Blt(Surface* destination, const Rect& to, Surface* source, const Rect& from, uint32_t flags) override;
  Result Restore(Surface* surface) override;
  void Release(Clipper* clipper) override;
  void Release(Surface* surface) override;
  void Release(DirectDraw* object) override;

  Window* CreateWindowEx(uint32_t exStyle, const char* title, uint32_t style, int32_t x, int32_t y, int32_t width,
                         int32_t height) override;
  uint32_t GetWindowLong(Window* window, int32_t index) override;
  bool HasMenu(Window* window) override;
  Rect AdjustWindowRectEx(Rect rect, uint32_t style, bool menu, uint32_t exStyle) override;
  void SetWindowPos(Window* window, intptr_t insertAfter, int32_t x, int32_t y, int32_t width, int32_t height,
                    uint32_t flags) override;
  void ShowWindow(Window* window, int32_t command) override;
  void UpdateWindow(Window* window) override;
  void DestroyWindow(Window* window) override;
  Point ClientToScreen(Window* window, Point point) override;
  void ShowCursor(bool shown) override;
  void MessageBox(Window* owner, const char* text, const char* caption) override;

  void SetSink(EventSink* sink) override { sink_ = sink; }
  // Translates and dispatches every message waiting in the thread's queue.
  void DispatchPending() override;
  // False when there is no sink: the window then handles the message as any window does.
  bool Deliver(ShowEvent event);

 private:
  EventSink* sink_ = nullptr;
};

// WINMM's periodic timer at a resolution of a millisecond; the tick runs on the system's timer thread.
class MultimediaTicker : public Ticker {
 public:
  ~MultimediaTicker() override { Stop(); }
  bool Start(int32_t periodMs, std::function<void()> tick) override;
  void Stop() override;
  void Tick();  // the timer's callback

 private:
  std::mutex mutex_;  // a tick under way holds it, so Stop waits for that tick to end
  std::function<void()> tick_;
  uint32_t id_ = 0;
};

// waveOut through a ring of buffers that a thread of its own keeps filled.
class WaveOutput : public AudioOutput {
 public:
  ~WaveOutput() override { Close(); }
  bool Open(int32_t rate, Render render, const char** why) override;
  void Close() override;

 private:
  void Feed(void* device);

  Render render_;
  int32_t rate_ = 0;
  std::thread thread_;
  std::atomic<bool> closing_{false};
  void* wake_ = nullptr;  // an event: signalled by the device when a buffer is done, and by Close
};

// The launch dialog and the About box from the program's dialog resources.
class Win32LaunchView : public LaunchView {
 public:
  LaunchChoice Run(const LaunchOffer& offer) override;
};

}  // namespace platform::win32
