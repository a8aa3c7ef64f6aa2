// The show's session: everything prepared in a fixed order, the show run once, and the ways out.
#include "host/session.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/interface_block.h"
#include "core/scenes.h"
#include "core/timeline.h"
#include "display/display_setup.h"
#include "display/mode_list.h"
#include "host/pictures.h"
#include "platform/threading.h"

namespace {

// Thrown by the frame boundary that takes a quit request, after the shutdown, and caught by Run: the show ends
// there without running any more of the core.
struct QuitUnwind {};

// The show's start-up tables take tens of milliseconds. They touch nothing the launch and the display set-up use,
// so they are built on a thread of their own meanwhile, and the show waits for them before its first frame: a
// key pressed in between is still taken at that frame.
class TablesAhead {
 public:
  explicit TablesAhead(bool wanted) {
    if (wanted && platform::kThreadsAvailable) worker_ = std::thread(PrepareShowTables);
  }
  ~TablesAhead() {
    if (worker_.joinable()) worker_.join();
  }
  TablesAhead(const TablesAhead&) = delete;
  TablesAhead& operator=(const TablesAhead&) = delete;

  // What runs the show: all of it, or, once the tables are done, the rest.
  ShowEntry Ready(ShowEntry show) {
    if (!worker_.joinable()) return show;
    worker_.join();
    return RunPreparedShow;
  }

 private:
  std::thread worker_;
};

}  // namespace

HostSession* HostSession::running_ = nullptr;

HostSession::HostSession(const Platform& platform)
    : platform_(platform), music_(platform.music), frame_(new uint8_t[kFrameBytes]()) {
  ResetInterfaceBlock();
}

HostSession::~HostSession() {
  // The end of the program ends the ticker on the normal way out; here that is the end of the session.
  if (tickerRunning_) platform_.ticker.Stop();
  platform_.events.SetSink(nullptr);
  if (running_ == this) running_ = nullptr;
}

int32_t HostSession::ModeCount() const { return interfaceBlock.modeCount; }

int HostSession::Run(platform::LaunchView& view, const LaunchPreset& preset, ShowEntry show) {
  running_ = this;
  platform_.events.SetSink(this);
  int status = kStatusOk;
  try {
    status = RunToEnd(view, preset, show != nullptr ? show : RunShow);
  } catch (const QuitUnwind&) {
    status = kStatusOk;
  }
  running_ = nullptr;
  return status;
}

bool HostSession::BuildModes() {
  int32_t count = 0;
  const bool built = BuildModeList(platform_.video, modeTable_, count);
  interfaceBlock.modeCount = count;
  if (!built) return false;
  if (count == 0) {
    platform_.video.MessageBox("EnumDisplayModes error", kDisplayErrorCaption, false);
    return false;
  }
  return true;
}

bool HostSession::Launch(platform::LaunchView& view, const LaunchPreset& preset, int32_t presetMode) {
  platform::LaunchChoice choice;
  if (preset.skipDialog) {
    choice = {true, presetMode - 1, preset.windowed, false, preset.nosound};
  } else {
    choice = view.Run(BuildLaunchOffer(modeTable_, interfaceBlock.modeCount, preset, presetMode));
    if (!choice.runDemo) return false;
  }
  // No line chosen (an empty list) picks record 0, the desktop's own mode.
  const bool inList = choice.item >= 0 && choice.item + 1 < interfaceBlock.modeCount;
  selectedMode_ = inList ? choice.item + 1 : 0;
  shown_ = modeTable_[selectedMode_];
  // The preset's window size holds while the dialog's window stays on the line it preset.
  if (windowSize_ && choice.windowed && (preset.skipDialog || choice.item == (presetMode > 0 ? presetMode - 1 : 0))) {
    shown_ = modeTable_[0];
    shown_.width = windowSize_->width;
    shown_.height = windowSize_->height;
  }
  interfaceBlock.windowed = choice.windowed ? 1 : 0;
  interfaceBlock.loopRequested = choice.loop ? 1 : 0;
  interfaceBlock.soundOn = choice.nosound ? 0 : 1;
  return true;
}

int HostSession::RunToEnd(platform::LaunchView& view, const LaunchPreset& preset, ShowEntry show) {
  TablesAhead tables(show == RunShow);
  music_.Prepare();
  if (!BuildModes()) {
    // Without a display nothing can be shown: the program ends after the message, with nothing left running.
    platform_.video.Release();
    return kStatusOk;
  }
  int32_t presetMode = FindRequestedMode(modeTable_, interfaceBlock.modeCount, preset.mode);
  if (!AcceptWindowSize(preset, presetMode)) return kStatusBadPreset;
  if (presetMode < 0) {
    std::fputs(PresetNotOffered(modeTable_, interfaceBlock.modeCount, *preset.mode).c_str(), stderr);
    return kStatusBadPreset;
  }
  if (!Launch(view, preset, presetMode)) return kStatusOk;
  if (observer_ != nullptr) observer_->OnShowStart({interfaceBlock.windowed != 0, interfaceBlock.soundOn == 0});

  music_.OpenDevice();
  music_.Load();
  interfaceBlock.hooks[kHookStartMusic] = StartMusicHook;
  const bool windowed = interfaceBlock.windowed != 0;
  platform_.video.SetPictureFilter(FilterFor(scale_));
  if (SetupDisplay(platform_.video, shown_, windowed)) {
    interfaceBlock.hooks[kHookRefreshPalette] = RefreshPaletteHook;
    interfaceBlock.hooks[kHookPresentFrame] = PresentFrameHook;
  } else if (windowed) {
    // A failed windowed set-up leaves its window open and nothing to present with: end through the quit path.
    // (A failed full-screen set-up destroys its window, which asks to quit at the first present.)
    ShutDownForQuit();
    return kStatusOk;
  }
  frameBuffer = frame_.get();
  platform_.video.ShowWindow();
  tickerRunning_ = platform_.ticker.Start(kTimerPeriodMs, [this] { clock_.Tick(); });
  interfaceBlock.hooks[kHookSpare] = SpareHook;
  interfaceBlock.hooks[kHookShowPicture1] = ShowPictureHook<1>;
  interfaceBlock.hooks[kHookShowPicture2] = ShowPictureHook<2>;
  interfaceBlock.hooks[kHookShowPicture3] = ShowPictureHook<3>;
  interfaceBlock.hooks[kHookShowPicture4] = ShowPictureHook<4>;
  interfaceBlock.hooks[kHookSetGreyPalette] = SetGreyPaletteHook;

  source_ = kSourceStartupFrame;
  PresentFrame();
  // A set-up that failed without a window to destroy asked for no quit: there is nothing to present with, so the
  // show must not start.
  if (interfaceBlock.hooks[kHookPresentFrame] == nullptr) {
    ShutDownForQuit();
    return kStatusOk;
  }
  source_ = kSourceCore;
  tables.Ready(show)();

  FreeMusic();
  music_.CloseDevice();
  platform_.video.Release();
  return kStatusOk;
}

bool HostSession::AcceptWindowSize(const LaunchPreset& preset, int32_t& presetMode) {
  if (!preset.windowed || !preset.mode) return true;
  const DisplayMode& desktop = modeTable_[0];
  if (preset.mode->width > desktop.width || preset.mode->height > desktop.height) {
    std::fprintf(stderr, "vesk: --mode: a %dx%d window does not fit on the %dx%d desktop\n", preset.mode->width,
                 preset.mode->height, desktop.width, desktop.height);
    return false;
  }
  // A window takes any size; only full screen needs a mode the display offers.
  if (presetMode < 0) {
    windowSize_ = preset.mode;
    presetMode = 0;
  }
  return true;
}

void HostSession::PresentFrame() {
  if (observer_ != nullptr) {
    observer_->OnFrame({source_, clock_.Read(), music_.PolledOrder(), palette, frameBuffer});
  }
  ShowOnScreen();
  PumpMessages();
}

void HostSession::ShowOnScreen() {
  if (!appActive_) return;
  // In a window the work surface has the desktop's layout, which record 0 describes.
  const DisplayMode& format = interfaceBlock.windowed != 0 ? modeTable_[0] : modeTable_[selectedMode_];
  presenter_.Show(platform_.video, palette, frameBuffer, format, shown_, shape_, scale_);
}

void HostSession::PumpMessages() {
  DispatchEvents();
  HoldWhilePaused();
  clock_.Publish();
}

void HostSession::DispatchEvents() {
  platform_.events.DispatchPending();
  if (quitRequested_) {
    ShutDownForQuit();
    throw QuitUnwind{};
  }
}

// The pause is held here, at a frame boundary, so the core is never stopped halfway through drawing and the
// frame it last handed over is the one that stays on screen. The held frame is shown again at about the display's
// rate (its present waits for the refresh), so a window uncovered or switched to full screen meanwhile is painted.
void HostSession::HoldWhilePaused() {
  constexpr auto kInactiveWait = std::chrono::milliseconds(20);
  while (paused_) {
    if (appActive_) {
      ShowOnScreen();
    } else {
      std::this_thread::sleep_for(kInactiveWait);
    }
    DispatchEvents();
  }
}

void HostSession::SetPaused(bool paused) {
  paused_ = paused;
  clock_.Pause(paused);
  music_.Pause(paused);
}

void HostSession::OnEvent(platform::ShowEvent event) {
  switch (event) {
    case platform::ShowEvent::kEscape:
    case platform::ShowEvent::kDestroyed: quitRequested_ = true; break;
    // Closing the window destroys it, which is what asks to quit.
    case platform::ShowEvent::kCloseRequested: platform_.video.DestroyWindow(); break;
    case platform::ShowEvent::kActivated: appActive_ = true; break;
    case platform::ShowEvent::kDeactivated: appActive_ = false; break;
    case platform::ShowEvent::kToggleFullScreen: platform_.video.ToggleFullScreen(); break;
    // Keys reach the session only at a frame boundary, where palette and frameBuffer are what is on screen.
    case platform::ShowEvent::kScreenshot:
      if (screenshot_ && frameBuffer != nullptr) screenshot_(palette, frameBuffer);
      break;
    case platform::ShowEvent::kPause: SetPaused(!paused_); break;
    case platform::ShowEvent::kOtherKey: break;
  }
}

void HostSession::ShowPicture(int n) {
  const uint8_t* pixels = PicturePixels(n);
  source_ = static_cast<PresentSource>(kSourcePicture1 + n - 1);
  music_.Poll();
  const int32_t start = music_.Order();
  int32_t lastOrder = start;
  uint32_t unchangedSince = clock_.Read();
  // Nothing else draws while a picture holds, so the frame is filled once, not at every present.
  DrawPicture(pixels);
  while (music_.Order() < start + kOrdersPerPicture) {
    SetGreyPalette();
    music_.Poll();
    if (music_.Order() != lastOrder) {
      lastOrder = music_.Order();
      unchangedSince = clock_.Read();
    }
    PresentFrame();
    // A song that does not move (none loaded, or stalled) would hold the picture for ever.
    if (FourOrdersElapsed(clock_.Read() - unchangedSince)) break;
  }
  source_ = kSourceCore;
}

void HostSession::FreeMusic() {
  if (!music_.Free()) platform_.video.MessageBox("FreeSong", nullptr, true);
}

void HostSession::ShutDownForQuit() {
  if (!music_.Stop()) platform_.video.MessageBox("StopSong", nullptr, true);
  FreeMusic();
  music_.CloseDevice();
  platform_.video.Release();
  if (interfaceBlock.windowed == 0) platform_.video.ShowCursor(true);
  // A set-up that failed before the ticker started ends here too; there is then no ticker to stop.
  if (tickerRunning_) {
    platform_.ticker.Stop();
    tickerRunning_ = false;
  }
}

void HostSession::PresentFrameHook() { running_->PresentFrame(); }
void HostSession::RefreshPaletteHook() { running_->presenter_.Refresh(palette); }
void HostSession::StartMusicHook() {
  running_->music_.Start(interfaceBlock.soundOn != 0);
  running_->clock_.Publish();
}
void HostSession::SpareHook() {}
void HostSession::SetGreyPaletteHook() { SetGreyPalette(); }
template <int N>
void HostSession::ShowPictureHook() {
  running_->ShowPicture(N);
}
