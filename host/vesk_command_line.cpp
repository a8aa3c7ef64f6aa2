// The real-time program's command line over CLI11: the options, their help, and the toolkit's own let through.
#include "host/vesk_command_line.h"

#include <CLI/CLI.hpp>

#include <cstring>
#include <map>

#include "host/exit_status.h"
#include "host/version.h"

namespace {

constexpr int kGoOn = -1;

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

}  // namespace

int ParseVeskCommandLine(int argc, char** argv, const CommandLineHost& host, VeskCommandLine& line,
                         std::string* text) {
  CLI::App app{
      "Plays the show. A launch dialog offers the display modes (full screen, or \"Windowed\") and \"Nosound\";\n"
      "\"Run Demo\" or Enter starts the show, \"Exit\" or Escape leaves. During the show, Escape or closing the\n"
      "window ends it. --mode, --windowed and --nosound preset the dialog; with --run it is skipped.",
      "vesk"};
  std::string modeText;
  app.set_version_flag("--version", std::string("vesk ") + VeskVersion(), "Print the version and exit");
  app.add_flag("--run", line.preset.skipDialog, "Start the show at once, without the launch dialog");
  app.add_option("--mode", modeText, "The display mode WxH or WxHxD (default: the desktop's mode)")
      ->option_text("WxH[xD]");
  app.add_flag("--windowed", line.preset.windowed,
               "Play in a window of the mode's size instead of full screen; windowed, --mode takes any size that\n"
               "fits on the desktop");
  app.add_flag("--nosound", line.preset.nosound, "Play the music silenced");
  app.add_flag("--stretch", line.stretch,
               "Stretch the picture over the whole screen or window; by default it keeps its 4:3 shape, centred\n"
               "between black bars on a screen of another shape");
  const std::map<std::string, PictureScale> scales = {
      {"sharp", PictureScale::kSharp}, {"nearest", PictureScale::kNearest}, {"integer", PictureScale::kInteger}};
  app.add_option("--scale", line.scale,
                 "How the picture's pixels are scaled: sharp (default: whole pixels first, then smoothly to the\n"
                 "picture's place, every row as thick as the next), nearest (nearest pixel, rows of uneven\n"
                 "thickness), integer (the largest whole multiple that fits, centred on black)")
      ->transform(CLI::CheckedTransformer(scales))
      ->option_text("sharp|nearest|integer");
  app.add_option("--max-fps", line.maxFps,
                 "Present at most N pictures a second (default " + std::to_string(platform::kDefaultMaxPresentRate) +
                     "): on a faster display each picture stays for\nseveral refreshes; 0 presents at every refresh")
      ->check(CLI::Range(0, 1000))
      ->option_text("N");
  app.add_option("--record-trace", line.tracePath,
                 "Write the frame trace of every presented frame to FILE (docs/trace-format.md); check it with\n"
                 "vesk-capture --verify FILE")
      ->option_text("FILE");
  std::string footer =
      "Exit status: 0 when the show ends or is left, 1 when the trace could not be written, 2 after a bad option.";
  if (host.keys != nullptr) footer += std::string("\nKeys during the show:\n") + host.keys;
  if (host.environment != nullptr) footer += std::string("\nEnvironment:\n") + host.environment;
  app.footer(footer);
  // The toolkit's own options (--display and the like) are left for it.
  app.allow_extras(host.toolkitOptions);
  try {
    app.parse(argc, argv);
    for (const std::string& extra : app.remaining()) {
      if (!IsToolkitOption(extra)) throw CLI::ExtrasError({extra});
    }
    if (!modeText.empty()) {
      std::string error;
      line.preset.mode = ParseModeRequest(modeText, &error);
      if (!line.preset.mode) throw CLI::ValidationError("--mode", error);
    }
  } catch (const CLI::CallForHelp&) {
    *text = app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    *text = std::string(version.what()) + "\n";
    return 0;
  } catch (const CLI::ParseError& error) {
    *text = std::string("vesk: ") + error.what() + "\nRun with --help for the options.\n";
    return kStatusBadOption;
  }
  return kGoOn;
}
