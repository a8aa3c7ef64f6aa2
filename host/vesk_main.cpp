// The real-time program on Linux: the command line, then the session over SDL, the mixer and the forked GTK dialog.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/screenshot.h"
#include "host/session.h"
#include "host/vesk_command_line.h"
#include "platform/gtk/gtk_launch_view.h"
#include "platform/interrupt.h"
#include "platform/mixer/mixer.h"
#include "platform/posix/forked_launch_view.h"
#include "platform/sdl/sdl_platform.h"
#include "trace/trace_recorder.h"

namespace {

constexpr CommandLineHost kLinux = {
    true,
    "  VESK_TRACE=1        timestamped start-up and presentation events on standard error, and which renderer\n"
    "                      was chosen and why; VESK_TRACE=presents also times every present\n"
    "  SDL_AUDIODRIVER     the SDL audio driver to use; with no audio device the music plays silently\n"
    "  SDL_RENDER_DRIVER   the SDL renderer to use (opengl, opengles2, software)",
    "  Escape              end the show\n"
    "  Space               pause the show and its music, or go on\n"
    "  F12                 save the picture on screen: vesk-NNNN.png (320x200) and vesk-NNNN-4x3.png\n"
    "                      (1600x1200) in the pictures folder (XDG_PICTURES_DIR), else the current folder\n"
    "  Alt+Enter, F11      switch between full screen and a window"};

}  // namespace

int main(int argc, char** argv) {
  VeskCommandLine line;
  std::string text;
  const int parsed = ParseVeskCommandLine(argc, argv, kLinux, line, &text);
  if (parsed >= 0) {
    std::fputs(text.c_str(), parsed == 0 ? stdout : stderr);
    return parsed;
  }
  // Before SDL starts, which would otherwise turn INT and TERM into its own quit event, and before anything is
  // shown: a request ends the show the same way however early it comes (platform/sdl/sdl_events.cpp).
  platform::WatchInterrupts();
  setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
  TraceRecorder recorder;
  const bool recording = !line.tracePath.empty();
  if (recording && !StartRealTimeTrace(recorder, line.tracePath, &text)) {
    std::fputs(text.c_str(), stderr);
    return kStatusBadPreset;
  }
  // With --run the session skips the dialog; GTK starts only when it runs, in a child process: its libraries'
  // state, fonts and display connection go with that child instead of weighing on the show.
  // The dialogs draw with cairo; letting GTK probe GL would load a whole GL driver (a CPU rasteriser where there
  // is no GPU) into a program that never uses it.
  setenv("GDK_GL", "disable", 0);

  // The dialog's child process is forked before anything else starts, while this one is small: see StartEarly.
  platform::GtkLaunchView dialog(&argc, &argv, platform::TraceEvent);
  platform::ForkedLaunchView view(dialog, platform::TraceEvent);
  if (!line.preset.skipDialog) view.StartEarly();

  platform::SdlVideo video;
  platform::ThreadTicker ticker;
  platform::SdlAudioOutput output;
  platform::Mixer music(output, platform::TraceEvent);
  HostSession session(Platform{video, video, ticker, music});
  if (!line.stretch) session.SetPictureShape(PictureShape::kFourThree);
  session.SetPictureScale(line.scale);
  video.SetMaxPresentRate(line.maxFps);
  if (recording) session.SetObserver(&recorder);
  session.SetScreenshotTaker(TakeScreenshot);
  int status = session.Run(view, line.preset);
  // Ctrl+\ leaves without a trace; the other requests end the show as Escape does, and the trace is kept.
  if (platform::InterruptStatus() == platform::kQuitStatus) {
    recorder.Discard();
    status = platform::kQuitStatus;
  } else if (recording) {
    text.clear();
    status = CompleteRealTimeTrace(recorder, status, &text);
    std::fputs(text.c_str(), stderr);
  }
  platform::TraceEvent("exit");
  return status;
}
