// The real-time program: the launch dialog (or the command line's choices), then the show on the display and the
// sound device.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/interface_block.h"
#include "display/presentation.h"
#include "host/host_main.h"
#include "host/launch_dialog_gtk.h"
#include "host/launch_options.h"
#include "host/message_pump.h"
#include "host/music.h"
#include "host/present_source.h"
#include "platform/process.h"
#include "trace/trace_recorder.h"

namespace {

using platform::kBadOptionStatus;
constexpr int kTraceFailedStatus = 1;
// A real-time trace's clock is the timer, not simulated vertical blanks; its header names the usual rate.
constexpr uint32_t kNominalTraceFps = 60;

// GTK's own options, which its initialisation takes off the command line.
constexpr const char* kToolkitOptions[] = {"--display", "--class", "--name", "--gtk-module", "--g-fatal-warnings",
                                           "--gtk-debug", "--gtk-no-debug", "--gdk-debug", "--gdk-no-debug"};

bool IsToolkitOption(const std::string& argument) {
  for (const char* option : kToolkitOptions) {
    const size_t length = std::strlen(option);
    if (argument.compare(0, length, option) == 0 && (argument.size() == length || argument[length] == '=')) {
      return true;
    }
  }
  return false;
}

TraceRecorder recorder;
bool recording = false;

void RecordPresent() {
  recorder.OnFrame({presentSource, ReadTimeCounter(), musicPollCount == 0 ? -1 : musicOrder, palette, frameBuffer});
}

// Every way out of the program ends the process through exit; the trace is completed there.
void FinishRecording() {
  if (!recording) return;
  recording = false;
  const uint32_t flags = kTraceFlagRealTime | (interfaceBlock.soundOn == 0 ? kTraceFlagNosound : 0);
  std::string error;
  if (recorder.Records() == 0) {
    // Left in the dialog: nothing was presented, and an empty trace would prove nothing.
    recorder.Discard();
    std::fprintf(stderr, "vesk: nothing was presented; no frame trace was written\n");
    return;
  }
  if (!recorder.Finish({kNominalTraceFps, 0, flags}, &error)) {
    std::fprintf(stderr, "vesk: the frame trace was not written completely: %s\n", error.c_str());
    std::fflush(nullptr);
    std::_Exit(kTraceFailedStatus);
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Plays the show. A launch dialog offers the display modes (full screen, or \"Windowed\") and \"Nosound\";\n"
      "\"Run Demo\" or Enter starts the show, \"Exit\" or Escape leaves. During the show, Escape or closing the\n"
      "window ends it. --mode, --windowed and --nosound preset the dialog; with --run it is skipped.",
      "vesk"};
  LaunchChoices choices;
  bool run = false;
  bool stretch = false;
  std::string modeText;
  std::string tracePath;
  app.add_flag("--run", run, "Start the show at once, without the launch dialog");
  app.add_option("--mode", modeText, "The display mode WxH or WxHxD (default: the desktop's mode)")
      ->option_text("WxH[xD]");
  app.add_flag("--windowed", choices.windowed, "Play in a window of the mode's size instead of full screen");
  app.add_flag("--nosound", choices.nosound, "Play the music silenced");
  app.add_flag("--stretch", stretch,
               "Stretch the picture over the whole screen or window; by default it keeps its 4:3 shape, centred\n"
               "between black bars on a screen of another shape");
  app.add_option("--record-trace", tracePath,
                 "Write the frame trace of every presented frame to FILE (docs/trace-format.md); check it with\n"
                 "vesk-capture --verify FILE")
      ->option_text("FILE");
  app.footer(
      "Exit status: 0 when the show ends or is left, 1 when the trace could not be written, 2 after a bad option.\n"
      "Environment:\n"
      "  VESK_TRACE=1        timestamped start-up and presentation events on standard error, and which renderer\n"
      "                      was chosen and why; VESK_TRACE=presents also times every present\n"
      "  SDL_AUDIODRIVER     the SDL audio driver to use; with no audio device the music plays silently\n"
      "  SDL_RENDER_DRIVER   the SDL renderer to use (opengl, opengles2, software)");
  // GTK's own options (--display and the like) are left for it.
  app.allow_extras();
  try {
    app.parse(argc, argv);
    for (const std::string& extra : app.remaining()) {
      if (!IsToolkitOption(extra)) throw CLI::ExtrasError({extra});
    }
    if (!modeText.empty()) {
      std::string error;
      choices.mode = ParseModeRequest(modeText, &error);
      if (!choices.mode) throw CLI::ValidationError("--mode", error);
    }
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "vesk: %s\nRun with --help for the options.\n", error.what());
    return kBadOptionStatus;
  }

  if (!tracePath.empty()) {
    std::string error;
    if (!recorder.Open(tracePath, {kNominalTraceFps, 0, kTraceFlagRealTime}, &error)) {
      std::fprintf(stderr, "vesk: --record-trace: %s\n", error.c_str());
      return kBadOptionStatus;
    }
    recording = true;
    framePresented = RecordPresent;
    std::atexit(FinishRecording);
  }
  // The core reads one clock value per frame, the one a trace records with it.
  HoldClockAtFrameBoundaries(true);
  if (!stretch) pictureShape = PictureShape::kFourThree;

  // The dialogs draw with cairo; letting GTK probe GL would load a whole GL driver (a CPU rasteriser where there
  // is no GPU) into a program that never uses it.
  setenv("GDK_GL", "disable", 0);
  int status = 0;
  if (run) {
    CommandLineLaunch launch(choices);
    status = HostMain(launch);
  } else {
    GtkLaunchDialog dialog(&argc, &argv, choices);
    status = HostMain(dialog);
  }
  return status;
}
