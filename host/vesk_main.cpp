// The real-time program: the launch dialog, then the show on the display and the sound device.
#include <CLI/CLI.hpp>

#include <cstdlib>

#include "host/host_main.h"
#include "host/launch_dialog_gtk.h"

namespace {

constexpr int kBadOptionStatus = 2;

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Plays the show. A launch dialog offers the display modes (full screen, or \"Windowed\") and \"Nosound\";\n"
      "\"Run Demo\" or Enter starts the show, \"Exit\" or Escape leaves. During the show, Escape or closing the\n"
      "window ends it. The program reads no other options and no files.",
      "vesk"};
  app.footer(
      "Environment:\n"
      "  VESK_TRACE=1        timestamped start-up and presentation events on standard error\n"
      "  SDL_AUDIODRIVER     the SDL audio driver to use; with no audio device the music plays silently\n"
      "  SDL_RENDER_DRIVER   the SDL renderer to use (opengl, opengles2, software)");
  // Whatever else is on the command line is GTK's to take or leave, as it always was.
  app.allow_extras();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : kBadOptionStatus;
  }
  // The dialogs draw with cairo; letting GTK probe GL would load a whole GL driver (a CPU rasteriser where there
  // is no GPU) into a program that never uses it.
  setenv("GDK_GL", "disable", 0);
  GtkLaunchDialog dialog(&argc, &argv);
  return HostMain(dialog);
}
