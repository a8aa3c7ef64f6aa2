// The command line of vesk-capture.
#include "host/capture/capture_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

constexpr int kBadOptionStatus = 2;
constexpr int32_t kMaxOutputSide = 8192;
constexpr uint32_t kMaxFps = 1000;
constexpr uint32_t kMaxStartupMs = 600000;

// "WxH" with one to five digits on each side.
bool ParseSize(const std::string& text, int32_t& width, int32_t& height) {
  const size_t x = text.find('x');
  const auto digits = [](const std::string& part) {
    return !part.empty() && part.size() <= 5 &&
           part.find_first_not_of("0123456789") == std::string::npos;
  };
  if (x == std::string::npos || !digits(text.substr(0, x)) || !digits(text.substr(x + 1))) return false;
  width = std::stoi(text.substr(0, x));
  height = std::stoi(text.substr(x + 1));
  return true;
}

}  // namespace

int ParseCaptureOptions(int argc, char** argv, CaptureOptions& options) {
  CLI::App app{
      "Renders the whole show headless on a simulated clock and writes what it presents: PNG frames, a video,\n"
      "the sound, or a frame trace. With no output option it only runs the show."};
  app.name("vesk-capture");
  std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
  double from = 0;
  double to = 0;
  app.add_option("--fps", options.fps, "Vertical blanks per simulated second")
      ->check(CLI::Range(uint32_t{1}, kMaxFps))
      ->capture_default_str();
  app.add_option("--startup-ms", options.startupMs,
                 "Simulated time the show's start-up work takes before the music starts")
      ->check(CLI::Range(uint32_t{0}, kMaxStartupMs))
      ->capture_default_str();
  app.add_flag("--nosound", options.nosound, "Play the music silenced, as the dialog's Nosound box does");
  app.add_option("--size", size, "Output size WxH; the 320x200 frame is stretched to fill it")
      ->capture_default_str();
  app.add_option("--frames", options.framesDir, "Write a PNG per presented frame into this folder");
  app.add_option("--video", options.videoFile, "Write an H.264/AAC video (needs the ffmpeg program)");
  app.add_option("--audio", options.audioFile, "Write the sound as a 16-bit stereo WAV file");
  app.add_option("--trace", options.traceFile, "Write the frame trace (see docs/trace-format.md); - for stdout");
  app.add_option("--verify", options.verifyFile,
                 "Replay a frame trace (vesk --record-trace, or --trace) through the show and compare every frame;\n"
                 "exit 0 when all match, 1 on a difference, 2 when the file is not a whole trace");
  auto* fromOption = app.add_option("--from", from, "Write only from this simulated second on")
                         ->check(CLI::NonNegativeNumber);
  auto* toOption = app.add_option("--to", to, "Write only before this simulated second")->check(CLI::PositiveNumber);
  try {
    app.parse(argc, argv);
    if (!ParseSize(size, options.width, options.height)) {
      throw CLI::ValidationError("--size", "expected WxH, for example 1600x1200, not '" + size + "'");
    }
    if (options.width < 1 || options.height < 1 || options.width > kMaxOutputSide ||
        options.height > kMaxOutputSide) {
      throw CLI::ValidationError("--size", "each side must be 1 to " + std::to_string(kMaxOutputSide));
    }
    if (options.videoFile.size() > 0 && (options.width % 2 != 0 || options.height % 2 != 0)) {
      throw CLI::ValidationError("--size", "a video needs an even width and height");
    }
    if (fromOption->count() > 0) options.fromSeconds = from;
    if (toOption->count() > 0) options.toSeconds = to;
    if (options.fromSeconds && options.toSeconds && *options.toSeconds <= *options.fromSeconds) {
      throw CLI::ValidationError("--to", "must be later than --from");
    }
  } catch (const CLI::CallForHelp& help) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "vesk-capture: %s\nRun with --help for the options.\n", error.what());
    return kBadOptionStatus;
  }
  return -1;
}
