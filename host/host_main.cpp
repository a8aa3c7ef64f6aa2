// The host's entry: everything prepared in a fixed order, the show run once, and the ways out.
#include "host/host_main.h"

#include <cstring>
#include <memory>

#include "core/interface_block.h"
#include "core/timeline.h"
#include "display/display_setup.h"
#include "display/mode_list.h"
#include "display/pixel_conversion.h"
#include "display/presentation.h"
#include "host/message_pump.h"
#include "host/music.h"
#include "host/pictures.h"
#include "host/present_source.h"
#include "platform/process.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/window.h"

PresentSource presentSource = kSourceStartupFrame;

namespace {

constexpr uint32_t kSoundOptions = platform::kSoundGlobalFocus;

void SpareHook() {}

// The two frame buffers live for the whole process; a program that runs the host again reuses them. They start
// zeroed, so that the start-up frame (shown black whatever it holds) is the same bytes on every run.
void AllocateFrameBuffers() {
  static const std::unique_ptr<uint8_t[]> expanded(new uint8_t[kExpandedFrameBytes]);
  static const std::unique_ptr<uint8_t[]> frame(new uint8_t[kFrameBytes]);
  std::memset(expanded.get(), 0, kExpandedFrameBytes);
  std::memset(frame.get(), 0, kFrameBytes);
  expandedFrame = expanded.get();
  frameBuffer = frame.get();
}

// When the display cannot be used at all, the program ends after the message, with nothing left running.
[[noreturn]] void EndWithoutDisplay() {
  ReleaseDisplay();
  platform::ExitProcess(0);
}

[[noreturn]] void RunHost(LaunchDialog& dialog, ShowEntry show) {
  messagePump = PumpMessages;
  if (BuildModeList(nullptr) == 0) EndWithoutDisplay();
  if (interfaceBlock.modeCount == 0) {
    platform::MessageBox(nullptr, "EnumDisplayModes error", kDisplayErrorCaption);
    EndWithoutDisplay();
  }
  platform::RegisterWindowClass(kWindowClassName, ShowWindowProc);
  const int32_t launch = dialog.RunModal();
  if (launch != kLaunchRunDemo) throw platform::ProcessExit{launch == kLaunchBadChoice ? 2 : 0};

  platform::SoundInit(platform::kMixRate, platform::kSoftwareChannels, kSoundOptions);
  LoadMusic();
  SetupDisplay();
  // A failed windowed set-up leaves its window open and nothing to present with: end through the quit path.
  // (A failed full-screen set-up destroys its window, which posts the quit request handled at the first present.)
  if (interfaceBlock.windowed != 0 && interfaceBlock.hooks[kHookPresentFrame] == nullptr) {
    ShutDownForQuit();
    platform::ExitProcess(0);
  }
  AllocateFrameBuffers();
  platform::ShowWindow(showWindow, platform::kShowDefault);
  platform::UpdateWindow(showWindow);
  platform::TimeBeginPeriod(kTimerResolutionMs);
  timerId = platform::TimeSetEvent(kTimerPeriodMs, kTimerResolutionMs, TimerTick, 0, platform::kTimePeriodic);
  interfaceBlock.hooks[kHookSpare] = SpareHook;
  interfaceBlock.hooks[kHookShowPicture1] = ShowPicture1;
  interfaceBlock.hooks[kHookShowPicture2] = ShowPicture2;
  interfaceBlock.hooks[kHookShowPicture3] = ShowPicture3;
  interfaceBlock.hooks[kHookShowPicture4] = ShowPicture4;
  interfaceBlock.hooks[kHookSetGreyPalette] = SetGreyPalette;

  presentSource = kSourceStartupFrame;
  PresentFrame();
  // A set-up that failed without a window to destroy posted no quit request: there is nothing
  // to present with, so the show must not start.
  if (interfaceBlock.hooks[kHookPresentFrame] == nullptr) {
    ShutDownForQuit();
    platform::ExitProcess(0);
  }
  presentSource = kSourceCore;
  show();

  FreeMusic();
  platform::SoundClose();
  ReleaseDisplay();
  platform::ExitProcess(0);
}

}  // namespace

int HostMain(LaunchDialog& dialog, ShowEntry show) {
  try {
    RunHost(dialog, show);
  } catch (const platform::ProcessExit& exit) {
    return exit.status;
  }
}

int HostMain(LaunchDialog& dialog) { return HostMain(dialog, RunShow); }

void ResetHostState() {
  ResetInterfaceBlock();
  ResetDisplayState();
  ResetMusicState();
  messagePump = nullptr;
  framePresented = nullptr;
  presentSource = kSourceStartupFrame;
}
