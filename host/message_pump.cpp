// Messages during the show: Escape and closing the window become the quit request, handled at a frame boundary.
#include "host/message_pump.h"

#include "core/interface_block.h"
#include "display/display_setup.h"
#include "display/presentation.h"
#include "host/music.h"
#include "platform/process.h"
#include "platform/sound.h"
#include "platform/timer.h"

HookOperation framePresented = nullptr;

intptr_t ShowWindowProc(const platform::Message& message) {
  switch (message.kind) {
    case platform::MessageKind::kDestroy:
      platform::PostQuitMessage(0);
      break;
    case platform::MessageKind::kActivateApp:
      appActive = static_cast<int32_t>(message.wParam & 0xFFFF);
      break;
    case platform::MessageKind::kKeyDown:
      if ((message.wParam & 0xFFFF) == platform::kVirtualKeyEscape) platform::PostQuitMessage(0);
      break;
    default:
      break;
  }
  return platform::DefWindowProc(message);
}

void PumpMessages() {
  if (framePresented != nullptr) framePresented();
  platform::Message message;
  while (platform::PeekMessage(&message)) {
    if (message.kind == platform::MessageKind::kQuit) {
      ShutDownForQuit();
      platform::ExitProcess(0);
    }
    platform::TranslateMessage(message);
    platform::DispatchMessage(message);
  }
  PublishTimeCounter();
}

void ShutDownForQuit() {
  StopMusic();
  FreeMusic();
  platform::SoundClose();
  ReleaseDisplay();
  if (interfaceBlock.windowed == 0) platform::ShowCursor(true);
  // A set-up that failed before the timer started ends here too; there is then no timer to stop.
  if (timerId != 0) {
    platform::TimeKillEvent(timerId);
    timerId = 0;
    platform::TimeEndPeriod(kTimerResolutionMs);
  }
}
