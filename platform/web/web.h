// The browser's services: the canvas over the memory device, the page's clock, the audio worklet's player and
// the page's launch form.
//
// Everything runs on the page's one thread. Every wait (the launch form, the vertical blank) hands control back
// to the browser until the page resumes the program (asyncify), so the host's loops run unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/launch_view.h"
#include "platform/memory/memory_device.h"
#include "platform/music.h"
#include "platform/ticker.h"
#include "platform/web/sharp_scaling.h"

namespace platform {

// Periods of the page's monotonic clock, counted from Start and delivered by DeliverDue.
class WebTicker : public Ticker {
 public:
  bool Start(int32_t periodMs, std::function<void()> tick) override;
  void Stop() override { tick_ = nullptr; }
  // Delivers the periods that have passed. The page calls it after each presented frame, so the clock the show
  // reads stays what it was when the frame was handed over.
  void DeliverDue();

 private:
  std::function<void()> tick_;
  double periodMs_ = 0;
  double startMs_ = 0;
  uint64_t delivered_ = 0;
};

// The show window is the page's show box; the picture goes to its canvas at the browser's next animation frame,
// at the show's own size: the page stretches the canvas, as the screen would have been stretched.
// Escape and Space (pause) come from the page's keys; full screen and screenshots the page does itself, as only it
// may ask the browser for full screen and only it holds the canvas.
class WebVideo : public MemoryDevice {
 public:
  explicit WebVideo(WebTicker& ticker);

  void ShowWindow() override;
  void DestroyWindow() override;
  void DispatchPending() override;

 protected:
  void Stretch(const Rect& source, const Rect& picture) override;
  void OnPresented(const Rect& picture) override;
  void OnMessageBox(const char* text, const char* caption) override;

 private:
  WebTicker& ticker_;
  bool shown_ = false;  // the page shows the show box
  std::vector<uint8_t> rgba_;     // the canvas's pixels
  int32_t canvasWidth_ = 0;
  bool changed_ = false;
  SharpScaling scaling_;
  std::vector<uint8_t> scaled_;   // the canvas's pixels, where the program scales the picture
  int32_t scaledWidth_ = 0;
  int32_t scaledHeight_ = 0;
};

// The module plays in the page's audio worklet, which reports its order back.
class WebMusic : public MusicPlayer {
 public:
  bool OpenDevice() override;
  void CloseDevice() override;
  bool Load(std::span<const uint8_t> data) override;
  bool Play(float panSeparation) override;
  bool SetVolume(int32_t volume) override;
  int32_t Order() override;
  bool Pause(bool paused) override;
  bool Stop() override;
  bool Free() override;

 private:
  bool loaded_ = false;
};

// The page's launch form (web/page.js builds it from platform/launch_layout.h).
class WebLaunchView : public LaunchView {
 public:
  LaunchChoice Run(const LaunchOffer& offer) override;
};

}  // namespace platform
