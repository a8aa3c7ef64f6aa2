// The memory device: a display whose surfaces are memory, with a configurable mode list, a nearest-pixel stretch
// and one event queue. The headless capture, the web canvas and the tests' fakes are thin users of it.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/video.h"

namespace platform {

struct MemorySurface {
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  PixelLayout layout;
  std::vector<uint8_t> bytes;
};

struct MemoryDisplay {
  VideoMode desktop;             // the mode the display is in; CurrentMode answers it
  std::vector<VideoMode> modes;  // what ForEachMode reports, in order
  int32_t refreshRate = 0;       // vertical blanks a second a present waits for; 0: presents wait for none
};

// The layout of a display mode of depth bits per pixel (32 and 24: red 0xFF0000, green 0xFF00, blue 0xFF;
// 16: 5-6-5); bitsPerPixel 0 for a depth the device cannot show.
PixelLayout MemoryLayout(int32_t depth);

// A desktop mode of width x height at 32 bits per pixel, and the usual sizes from 320 x 200 to 1600 x 1200 (with
// the desktop's own) at 16, 24 and 32 bits.
MemoryDisplay StandardMemoryDisplay(int32_t width, int32_t height);

class MemoryDevice : public VideoDevice, public EventSource {
 public:
  explicit MemoryDevice(MemoryDisplay display);

  // VideoDevice.
  VideoStatus Create() override;
  VideoStatus CurrentMode(VideoMode& desktop) override;
  void ForEachMode(const std::function<void(const VideoMode&)>& each) override;
  void ShowCursor(bool shown) override;
  // The window is there from the start, whichever step fails. Windowed, it is shown at once: kActivated reaches
  // the sink before the first step, as the show window activates before the display is set up.
  VideoStatus OpenFullScreen(const ShowWindowSpec& window, int32_t depth) override;
  VideoStatus OpenWindowed(const ShowWindowSpec& window) override;
  void ShowWindow() override;
  void DestroyWindow() override;
  Access Lock(WorkTarget& target) override;
  void Unlock() override {}
  Access Present(const Rect& source, const Rect& picture) override;
  void Restore() override {}
  // The screen's size, once there are surfaces.
  bool OutputSize(int32_t& width, int32_t& height) override;
  void Release() override;
  // Flips between the window and full screen, surfaces and mode left as they are: what an observer of the device
  // sees is FullScreen(). False without a window.
  bool ToggleFullScreen() override;
  void MessageBox(const char* text, const char* caption, bool /*owned*/) override { OnMessageBox(text, caption); }

  // EventSource.
  void SetSink(EventSink* sink) override { sink_ = sink; }
  void DispatchPending() override;

  // Queues an event for the next DispatchPending.
  void Post(ShowEvent event) { queue_.push_back(event); }
  // Whether anything looks at the screen's pixels. When nothing does, Lock answers kUnobserved and Present
  // stretches nothing.
  void SetObserved(bool observed) { observed_ = observed; }
  // Replaces the desktop and the mode list.
  void SetDisplay(MemoryDisplay display) { display_ = std::move(display); }
  // Scripted failures (the tests'): the step fails with the fault every time it is reached.
  void FailStep(VideoStep step, VideoFault fault = VideoFault::kOther);
  // The results of the next presents and locks, in order; kOk once used up.
  void ScriptPresents(std::deque<Access> results) { presentScript_ = std::move(results); }
  void ScriptLocks(std::deque<Access> results) { lockScript_ = std::move(results); }

  // What the device holds.
  const MemoryDisplay& Display() const { return display_; }
  bool Created() const { return created_; }
  bool WindowOpen() const { return window_; }
  bool FullScreen() const { return fullScreen_; }
  const std::string& Title() const { return title_; }
  int32_t CursorCount() const { return cursorCount_; }
  // The screen (full screen: the display mode; windowed: the window's client area), as the last present left it.
  const MemorySurface& Screen() const { return screen_; }
  const MemorySurface& Work() const { return work_; }
  bool Surfaces() const { return surfaces_; }
  // The vertical blanks the presents so far have waited for, on a display with a refresh rate: each present
  // waits for as many as BlanksPerPresent gives for the rate and the present cap.
  int64_t Blanks() const { return blanks_; }

 protected:
  // After a present that reached the screen; picture is where it went. The headless capture moves its clock
  // here, the web page shows the screen.
  virtual void OnPresented(const Rect& picture) { (void)picture; }
  // Every message box; by default one line on standard error.
  virtual void OnMessageBox(const char* text, const char* caption);
  // Shows source (in the work surface) on the screen's picture. A backend that scales the picture itself, as the
  // web page's canvas does, takes it from the work surface instead.
  virtual void Stretch(const Rect& source, const Rect& picture);
  void Deliver(ShowEvent event);

 private:
  VideoStatus Step(VideoStep step) const;
  VideoStatus OpenWindow(const ShowWindowSpec& window, bool fullScreen);
  void OpenSurfaces(int32_t width, int32_t height, const PixelLayout& layout);

  MemoryDisplay display_;
  EventSink* sink_ = nullptr;
  std::deque<ShowEvent> queue_;
  std::vector<std::pair<VideoStep, VideoFault>> failures_;
  std::deque<Access> presentScript_;
  std::deque<Access> lockScript_;
  bool observed_ = true;
  bool created_ = false;
  bool window_ = false;
  bool activated_ = false;
  bool fullScreen_ = false;
  bool surfaces_ = false;
  std::string title_;
  int32_t cursorCount_ = 0;
  int64_t blanks_ = 0;
  MemorySurface screen_;
  MemorySurface work_;
  // Source column and row of each picture column and row, kept while the sizes stay the same.
  int32_t mapSizes_[4] = {-1, -1, -1, -1};  // source width and height, picture width and height
  std::vector<int32_t> columns_;
  std::vector<int32_t> rows_;
};

}  // namespace platform
