// The show's session: start-up in its fixed order, the frames the core hands over, the quit path and the normal
// end, over the platform's neutral services. Run returns the exit status; nothing ends the process from inside.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "display/display_mode.h"
#include "display/presentation.h"
#include "host/exit_status.h"
#include "host/frame_observer.h"
#include "host/launch_options.h"
#include "host/show_music.h"
#include "host/show_clock.h"
#include "platform/events.h"
#include "platform/launch_view.h"
#include "platform/music.h"
#include "platform/ticker.h"
#include "platform/video.h"

// The services one platform gives the session.
struct Platform {
  platform::VideoDevice& video;
  platform::EventSource& events;
  platform::Ticker& ticker;
  platform::MusicPlayer& music;
};

using ShowEntry = void (*)();

// Saves the picture on screen (the screenshot key): the show's palette and frame as they were last presented.
using ScreenshotTaker = std::function<void(const uint8_t* palette, const uint8_t* frame)>;

inline constexpr int kStatusBadPreset = kStatusBadOption;

class HostSession : private platform::EventSink {
 public:
  explicit HostSession(const Platform& platform);
  ~HostSession() override;
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  void SetObserver(FrameObserver* observer) { observer_ = observer; }
  void SetPictureShape(PictureShape shape) { shape_ = shape; }
  // Without one, the screenshot key does nothing.
  void SetScreenshotTaker(ScreenshotTaker taker) { screenshot_ = std::move(taker); }
  // Before Run: how the picture is scaled, which also tells the device how to filter.
  void SetPictureScale(PictureScale scale) { scale_ = scale; }
  // The clock is held at frame boundaries by default (a trace records the one reading each frame is drawn at).
  ShowClock& Clock() { return clock_; }

  // The mode list, the launch (the view, or the preset alone when preset.skipDialog), sound and display, the
  // black frame, the show, and the way out. 0 on every way out the show defines; kStatusBadPreset when the preset
  // names a mode the display does not offer (said on standard error). Runs once per session.
  int Run(platform::LaunchView& view, const LaunchPreset& preset, ShowEntry show = nullptr);

  // Ends the show at the next frame boundary, the way Escape does. Callable from the observer.
  void RequestQuit() { quitRequested_ = true; }

  // What start-up and the dialog decided, for observers and tests.
  const DisplayMode* ModeTable() const { return modeTable_; }
  int32_t ModeCount() const;
  int32_t SelectedMode() const { return selectedMode_; }
  bool AppActive() const { return appActive_; }
  bool Paused() const { return paused_; }

 private:
  // The hooks of the interface block reach the session that is running.
  static HostSession* running_;
  static void PresentFrameHook();
  static void RefreshPaletteHook();
  static void StartMusicHook();
  static void SpareHook();
  static void SetGreyPaletteHook();
  template <int N>
  static void ShowPictureHook();

  int RunToEnd(platform::LaunchView& view, const LaunchPreset& preset, ShowEntry show);
  bool BuildModes();
  // The launch's choice applied to the interface block, selectedMode and shown_; false when the user left.
  bool Launch(platform::LaunchView& view, const LaunchPreset& preset, int32_t presetMode);
  // A windowed preset's size: refused (said on standard error) when larger than the desktop; a size no mode has
  // is kept in windowSize_. False when refused.
  bool AcceptWindowSize(const LaunchPreset& preset, int32_t& presetMode);
  void PresentFrame();
  // Shows palette and frameBuffer on the display; no observer hears of it, so the held frame may be shown again.
  void ShowOnScreen();
  void PumpMessages();
  void HoldWhilePaused();
  void DispatchEvents();
  void SetPaused(bool paused);
  void ShowPicture(int n);
  void FreeMusic();
  void ShutDownForQuit();
  void OnEvent(platform::ShowEvent event) override;

  Platform platform_;
  FrameObserver* observer_ = nullptr;
  PictureShape shape_ = PictureShape::kStretch;
  ScreenshotTaker screenshot_;
  PictureScale scale_ = PictureScale::kNearest;
  ShowClock clock_;
  ShowMusic music_;
  Presenter presenter_;
  std::unique_ptr<uint8_t[]> frame_;
  DisplayMode modeTable_[kModeTableSize] = {};
  int32_t selectedMode_ = 0;
  std::optional<ModeRequest> windowSize_;  // a window of a size the display offers no mode of
  DisplayMode shown_ = {};                 // the chosen mode, or the window's own size in the desktop's layout
  PresentSource source_ = kSourceStartupFrame;
  bool appActive_ = false;
  bool quitRequested_ = false;
  bool paused_ = false;
  bool tickerRunning_ = false;
};
