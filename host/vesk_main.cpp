// The real-time program on Linux: the command line, then the session over SDL, the mixer and the GTK launch view.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/interface_block.h"
#include "host/session.h"
#include "host/vesk_command_line.h"
#include "platform/gtk/gtk_launch_view.h"
#include "platform/mixer/mixer.h"
#include "platform/sdl/sdl_platform.h"
#include "trace/trace_recorder.h"

namespace {

constexpr int kTraceFailedStatus = 1;
constexpr int kBadOptionStatus = 2;
// A real-time trace's clock is the timer, not simulated vertical blanks; its header names the usual rate.
constexpr uint32_t kNominalTraceFps = 60;

// Completes the trace once the show is over; 1 when it could not be written whole.
int FinishTrace(TraceRecorder& recorder, int status) {
  if (recorder.Records() == 0) {
    // Left in the dialog: nothing was presented, and an empty trace would prove nothing.
    recorder.Discard();
    std::fprintf(stderr, "vesk: nothing was presented; no frame trace was written\n");
    return status;
  }
  const uint32_t flags = kTraceFlagRealTime | (interfaceBlock.soundOn == 0 ? kTraceFlagNosound : 0);
  std::string error;
  if (recorder.Finish({kNominalTraceFps, 0, flags}, &error)) return status;
  std::fprintf(stderr, "vesk: the frame trace was not written completely: %s\n", error.c_str());
  return kTraceFailedStatus;
}

}  // namespace

int main(int argc, char** argv) {
  VeskCommandLine line;
  std::string text;
  const int parsed = ParseVeskCommandLine(argc, argv, true, line, &text);
  if (parsed >= 0) {
    std::fputs(text.c_str(), parsed == 0 ? stdout : stderr);
    return parsed;
  }
  TraceRecorder recorder;
  const bool recording = !line.tracePath.empty();
  if (recording) {
    std::string error;
    if (!recorder.Open(line.tracePath, {kNominalTraceFps, 0, kTraceFlagRealTime}, &error)) {
      std::fprintf(stderr, "vesk: --record-trace: cannot create %s\n", error.c_str());
      return kBadOptionStatus;
    }
  }
  // The dialogs draw with cairo; letting GTK probe GL would load a whole GL driver (a CPU rasteriser where there
  // is no GPU) into a program that never uses it.
  setenv("GDK_GL", "disable", 0);

  platform::SdlVideo video;
  platform::ThreadTicker ticker;
  platform::SdlAudioOutput output;
  platform::Mixer music(output, platform::TraceEvent);
  // With --run the session skips the dialog; GTK starts only when it runs.
  platform::GtkLaunchView view(&argc, &argv, platform::TraceEvent);
  HostSession session(Platform{video, video, ticker, music});
  if (!line.stretch) session.SetPictureShape(PictureShape::kFourThree);
  if (recording) session.SetObserver(&recorder);
  int status = session.Run(view, line.preset);
  if (recording) status = FinishTrace(recorder, status);
  platform::TraceEvent("exit");
  return status;
}
