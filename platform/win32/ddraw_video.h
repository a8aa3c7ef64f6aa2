// The video device over DirectDraw: the set-up, lock, present and release sequences, run over a DirectDraw port.
#pragma once

#include "platform/video.h"
#include "platform/win32/ddraw_port.h"

namespace platform::win32 {

class DirectDrawVideo : public VideoDevice {
 public:
  explicit DirectDrawVideo(DirectDrawPort& port) : port_(port) {}

  VideoStatus Create() override;
  VideoStatus CurrentMode(VideoMode& desktop) override;
  void ForEachMode(const std::function<void(const VideoMode&)>& each) override;
  void ShowCursor(bool shown) override { port_.ShowCursor(shown); }
  VideoStatus OpenFullScreen(const ShowWindowSpec& window, int32_t depth) override;
  VideoStatus OpenWindowed(const ShowWindowSpec& window) override;
  void ShowWindow() override;
  void DestroyWindow() override;
  Access Lock(WorkTarget& target) override;
  void Unlock() override;
  Access Present(const Rect& source, const Rect& picture) override;
  void Restore() override;
  void Release() override;
  void MessageBox(const char* text, const char* caption, bool ownedByShowWindow) override;

 private:
  void FitClientArea(int32_t width, int32_t height);

  DirectDrawPort& port_;
  DirectDraw* object_ = nullptr;
  Window* window_ = nullptr;
  Surface* primary_ = nullptr;
  Surface* work_ = nullptr;  // full screen: the primary's back buffer
  Clipper* clipper_ = nullptr;
  bool windowed_ = false;
  int32_t blanksPerPresent_ = 0;  // worked out at the first present after set-up
  Description setup_;  // as the last surface set-up left it; every lock starts from a copy
};

}  // namespace platform::win32
