// The command line of vesk-capture.
#include "host/capture/capture_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "host/exit_status.h"
#include "file_output/atomic_file.h"
#include "host/version.h"
#include "trace/frame_trace.h"

namespace {

constexpr int32_t kMaxOutputSide = 8192;
constexpr uint32_t kMaxFfmpegTimeoutSeconds = 86400;

namespace fs = std::filesystem;

struct Container {
  const char* name;  // the extension and the --container word
  const char* format;  // ffmpeg's
  bool holdsArchive;   // FFV1 and FLAC
};
// .webm takes only VP8, VP9 or AV1 pictures with Vorbis or Opus sound, none of which these qualities are made of,
// and .avi has no proper place for AAC or FLAC sound: both are refused rather than quietly written as another.
constexpr Container kContainers[] = {{"mp4", "mp4", false}, {"mkv", "matroska", true}, {"mov", "mov", false}};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Said before the range check, which would call a word out of range.
std::string WholeNumber(const std::string& text) {
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) return {};
  return "expected a whole number, not '" + text + "'";
}

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

std::string FiniteSeconds(const std::string& text) {
  try {
    size_t used = 0;
    const double value = std::stod(text, &used);
    if (used == text.size() && std::isfinite(value) && value >= 0) return {};
  } catch (const std::exception&) {
  }
  return "expected a number of seconds, 0 or more, not '" + text + "'";
}

// Two outputs must not be one file, nor both standard output: the second would overwrite or interleave the first.
void CheckDistinctOutputs(const CaptureOptions& options) {
  const std::vector<std::pair<const char*, const std::string*>> outputs = {{"--frames", &options.framesDir},
                                                                          {"--video", &options.videoFile},
                                                                          {"--audio", &options.audioFile},
                                                                          {"--trace", &options.traceFile}};
  std::map<std::string, const char*> seen;
  for (const auto& [name, path] : outputs) {
    if (path->empty()) continue;
    const std::string key = *path == "-" ? *path : ResolvedOutputPath(*path);
    const auto [at, fresh] = seen.emplace(key, name);
    if (!fresh) {
      const std::string where = key == "-" ? "standard output" : "the same file, " + *path;
      throw CLI::ValidationError(name, std::string("writes to ") + where + ", as " + at->second + " does");
    }
  }
}

void CheckVideoFormat(const CaptureOptions& options) {
  if (options.videoFile.empty()) return;
  if (options.videoFile == "-" && options.container.empty()) {
    throw CLI::ValidationError("--video", "standard output needs --container mp4, mkv or mov");
  }
  if (!VideoFormat(options.videoFile, options.container, options.quality).empty()) return;
  const char* quality = options.quality == VideoQuality::kArchive ? "an archive"
                        : options.quality == VideoQuality::kFast  ? "a fast"
                                                                  : "a standard";
  const bool named = !options.container.empty();
  throw CLI::ValidationError(named ? "--container" : "--video",
                             std::string(quality) + " video cannot be written as " +
                                 (named ? options.container : options.videoFile) + "; accepted: " +
                                 kAcceptedContainers + (named ? "" : " (--container names one for any file name)"));
}

}  // namespace

const char* const kAcceptedContainers = "fast or standard as .mp4, .mkv or .mov; archive as .mkv";

std::string VideoFormat(const std::string& path, const std::string& container, VideoQuality quality) {
  std::string name = container;
  if (name.empty()) {
    const std::string extension = fs::path(path).extension().string();
    name = Lower(extension.empty() ? extension : extension.substr(1));
  }
  for (const Container& c : kContainers) {
    if (name == c.name && (quality != VideoQuality::kArchive || c.holdsArchive)) return c.format;
  }
  return {};
}

int ParseCaptureOptions(int argc, char** argv, CaptureOptions& options) {
  CLI::App app{
      "Renders the whole show headless on a simulated clock and writes what it presents: PNG frames, a video,\n"
      "the sound, or a frame trace. With no output option it only runs the show. Outputs appear under their\n"
      "names only once complete; after an error, Ctrl+C or a termination request none is left behind."};
  app.name("vesk-capture");
  std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
  std::string from;
  std::string to;
  std::string quality;
  uint32_t ffmpegTimeout = static_cast<uint32_t>(options.encoderTimeoutMs / 1000);
  // The same name as vesk's: both programs come from one build of the show.
  app.set_version_flag("--version", std::string("vesk ") + VeskVersion(), "Print the version and exit");
  app.add_option("--fps", options.fps, "Vertical blanks per simulated second")
      ->check(WholeNumber)
      ->check(CLI::Range(uint32_t{1}, kMaxTraceFps))
      ->capture_default_str();
  app.add_option("--startup-ms", options.startupMs,
                 "Simulated time the show's start-up work takes before the music starts")
      ->check(WholeNumber)
      ->check(CLI::Range(uint32_t{0}, kMaxTraceStartupMs))
      ->capture_default_str();
  app.add_flag("--nosound", options.nosound, "Play the music silenced, as the dialog's Nosound box does");
  app.add_option("--size", size,
                 "Size WxH of the PNG frames and of the fast and standard videos. The 320x200 picture is\n"
                 "stretched to fill it: 1600x1200 (5x6 screen pixels per picture pixel) and 3200x2400 (10x12)\n"
                 "keep the show's 4:3 shape with every pixel the same size; other sizes make some pixels a\n"
                 "row or column wider than others, and sizes that are not 4:3 distort the picture")
      ->capture_default_str();
  app.add_option("--frames", options.framesDir, "Write a PNG per presented frame into this folder");
  auto* videoOption = app.add_option(
      "--video", options.videoFile,
      "Write a video (needs the ffmpeg program); - for standard output. The container follows the name's\n"
      "extension: .mp4, .mkv or .mov for the fast and standard qualities, .mkv for the archive; other\n"
      "names are refused, .webm and .avi among them (WebM holds no H.264 or FFV1, AVI no AAC or FLAC)");
  app.add_option("--container", options.container,
                 "The video's container whatever its name says: mp4, mkv or mov (mkv for the archive).\n"
                 "Needed with --video -")
      ->check([](const std::string& name) {
        return name == "mp4" || name == "mkv" || name == "mov" ? std::string()
                                                               : "expected mp4, mkv or mov, not '" + name + "'";
      })
      ->type_name("NAME")
      ->needs(videoOption);
  const std::map<std::string, VideoQuality> qualities = {
      {"fast", VideoQuality::kFast}, {"standard", VideoQuality::kStandard}, {"archive", VideoQuality::kArchive}};
  auto* qualityOption = app.add_option("--quality", quality,
                 "The video's quality:\n"
                 "  fast      H.264 4:2:0 and AAC: quickest to make and plays everywhere; colours may bleed\n"
                 "            across pixel edges\n"
                 "  standard  H.264 4:4:4 and AAC: visually lossless with every pixel edge sharp (the default)\n"
                 "  archive   FFV1 and FLAC in Matroska at 320x200, whatever --size says: lossless, each\n"
                 "            decoded frame holds exactly the colours the show put on the screen")
      ->check([&qualities](const std::string& name) {
        return qualities.count(Lower(name)) != 0 ? std::string()
                                                 : "expected fast, standard or archive, not '" + name + "'";
      })
      ->type_name("fast|standard|archive")
      ->default_str("standard");
  app.add_option("--ffmpeg-timeout", ffmpegTimeout,
                 "Give up on ffmpeg, ending with status 1, when it takes no frame for this long")
      ->check(WholeNumber)
      ->check(CLI::Range(uint32_t{1}, kMaxFfmpegTimeoutSeconds))
      ->type_name("SECONDS")
      ->capture_default_str();
  app.add_option("--audio", options.audioFile,
                 "Write the sound as a 16-bit stereo WAV file; - for standard output. Where the output cannot\n"
                 "seek (a pipe), both sizes in the header are 0xFFFFFFFF, meaning 'up to the end of the data'");
  app.add_option("--trace", options.traceFile, "Write the frame trace (see docs/trace-format.md); - for stdout");
  auto* verifyOption = app.add_option("--verify", options.verifyFile,
                 "Replay a frame trace (vesk --record-trace, or --trace) through the show and compare every frame;\n"
                 "exit 0 when all match, 1 on a difference, 2 when the file is not a whole trace");
  app.add_option("--dump", options.dumpDir,
                 "Write each listed differing frame into this folder (made if missing) as three\n"
                 "PNGs, frame_N_expected.png (as the show draws it now), frame_N_recorded.png and\n"
                 "frame_N_difference.png (white where a pixel differs, the expected frame dimmed elsewhere)")
      ->needs(verifyOption)
      ->type_name("DIR");
  app.add_option("--max-report", options.maxReport, "Differing frames listed (and dumped) one by one")
      ->needs(verifyOption)
      ->check(CLI::Range(uint64_t{0}, uint64_t{1000000}))
      ->capture_default_str();
  auto* fromOption = app.add_option("--from", from, "Write only from this simulated second on")
                         ->check(FiniteSeconds)
                         ->type_name("SECONDS");
  auto* toOption = app.add_option("--to", to, "Write only before this simulated second")
                       ->check(FiniteSeconds)
                       ->type_name("SECONDS");
  try {
    app.parse(argc, argv);
    if (qualityOption->count() > 0) options.quality = qualities.at(Lower(quality));
    options.encoderTimeoutMs = static_cast<int32_t>(ffmpegTimeout * 1000);
    if (!ParseSize(size, options.width, options.height)) {
      throw CLI::ValidationError("--size", "expected WxH, for example 1600x1200, not '" + size + "'");
    }
    if (options.width < 1 || options.height < 1 || options.width > kMaxOutputSide ||
        options.height > kMaxOutputSide) {
      throw CLI::ValidationError("--size", "each side must be 1 to " + std::to_string(kMaxOutputSide));
    }
    if (!options.videoFile.empty() && options.quality != VideoQuality::kArchive &&
        (options.width % 2 != 0 || options.height % 2 != 0)) {
      throw CLI::ValidationError("--size", "a video needs an even width and height");
    }
    if (fromOption->count() > 0) options.fromSeconds = std::stod(from);
    if (toOption->count() > 0) {
      options.toSeconds = std::stod(to);
      if (*options.toSeconds <= 0) throw CLI::ValidationError("--to", "must be later than 0");
    }
    if (options.fromSeconds && options.toSeconds && *options.toSeconds <= *options.fromSeconds) {
      throw CLI::ValidationError("--to", "must be later than --from");
    }
    CheckVideoFormat(options);
    CheckDistinctOutputs(options);
  } catch (const CLI::CallForHelp& help) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "vesk-capture: %s\nRun with --help for the options.\n", error.what());
    return kStatusBadOption;
  }
  return -1;
}
