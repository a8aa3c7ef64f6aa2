// The capture over the headless backend: the whole show's frames in order, their timing, repeatability, the span,
// the outputs and the command line.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/capture/capture_options.h"
#include "host/capture/capture_session.h"
#include "trace/frame_trace.h"
#include "host/present_source.h"

namespace {

constexpr uint64_t kUnitsPerFrame = 1000;

struct Frame {
  uint32_t source;
  uint32_t counter;
  int32_t order;
  uint64_t units;
  bool black;
};

class Recorder : public FrameListener {
 public:
  std::vector<Frame> frames;
  uint64_t hash = 1469598103934665603ull;

  void OnFrame(const FrameHandOver& r, uint64_t units) override {
    bool black = true;
    for (int i = 0; i < kFrameBytes && black; ++i) black = r.frame[i] == 0;
    frames.push_back({r.source, r.timeCounter, r.musicOrder, units, black});
    const auto fields = EncodeTraceFields(r);
    Mix(fields.data(), fields.size());
    Mix(r.palette, kPaletteBytes);
    Mix(r.frame, kFrameBytes);
  }

 private:
  void Mix(const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  }
};

CaptureOptions Quiet() {
  CaptureOptions o;
  o.progress = false;
  return o;
}

struct SourceRun {
  uint32_t source;
  size_t first;
  size_t count;
};

std::vector<SourceRun> Runs(const std::vector<Frame>& frames) {
  std::vector<SourceRun> runs;
  for (size_t i = 0; i < frames.size(); ++i) {
    if (runs.empty() || runs.back().source != frames[i].source) runs.push_back({frames[i].source, i, 0});
    ++runs.back().count;
  }
  return runs;
}

TEST(WholeShowCapture, FramesInTheirOrderAndLengthsAndTheSameTraceTwice) {
  Recorder first;
  CaptureSummary summary;
  ASSERT_EQ(RunCapture(Quiet(), &first, &summary), 0);
  const std::vector<Frame>& f = first.frames;
  ASSERT_GT(f.size(), 1000u);

  // The start-up frame, the core's frames, the pictures where the interlude puts them, the final scene.
  const std::vector<SourceRun> runs = Runs(f);
  std::vector<uint32_t> order;
  for (const SourceRun& r : runs) order.push_back(r.source);
  EXPECT_EQ(order, (std::vector<uint32_t>{0, 1, 2, 1, 3, 1, 4, 5, 1}));
  ASSERT_EQ(runs.size(), 9u);
  EXPECT_EQ(runs[0].count, 1u);

  // Every present ends at the next vertical blank; the clock counts whole 20 ms periods.
  for (size_t i = 0; i < f.size(); ++i) {
    ASSERT_EQ(f[i].units, i * kUnitsPerFrame) << i;
    ASSERT_EQ(f[i].counter, 17920u * static_cast<uint32_t>(f[i].units / 60 / 20)) << i;
  }
  EXPECT_EQ(summary.endUnits, f.size() * kUnitsPerFrame);
  EXPECT_EQ(summary.presents, f.size());

  // Nothing polls the music before the first picture.
  for (size_t i = 0; i < runs[2].first; ++i) ASSERT_EQ(f[i].order, -1) << i;
  // Each picture lasts until its order is four past where it began, and not one frame longer.
  for (size_t r : {2, 4, 6, 7}) {
    const int32_t start = f[runs[r].first].order;
    const size_t last = runs[r].first + runs[r].count - 1;
    EXPECT_EQ(f[last].order, start + 4) << "picture " << runs[r].source - 1;
    for (size_t i = runs[r].first; i < last; ++i) ASSERT_LT(f[i].order, start + 4);
    // Three to four orders of about 3.53 s each.
    EXPECT_GT(runs[r].count, 3 * 211u);
    EXPECT_LE(runs[r].count, 4 * 212u);
  }
  EXPECT_GE(f[runs[2].first].order, 0);
  // The interlude ends on a black frame; the final scene follows.
  EXPECT_TRUE(f[runs[8].first].black);

  // About two and a half minutes.
  const double seconds = static_cast<double>(summary.endUnits) / static_cast<double>(summary.unitsPerSecond);
  EXPECT_GT(seconds, 130.0);
  EXPECT_LT(seconds, 170.0);

  Recorder second;
  ASSERT_EQ(RunCapture(Quiet(), &second), 0);
  EXPECT_EQ(second.frames.size(), f.size());
  EXPECT_EQ(second.hash, first.hash);
}

TEST(Capture, AStartUpDelayMovesTheClockOnceWhenTheMusicStarts) {
  CaptureOptions o = Quiet();
  o.startupMs = 1000;
  o.fps = 50;
  o.toSeconds = 3.0;
  Recorder r;
  ASSERT_EQ(RunCapture(o, &r), 0);
  const std::vector<Frame>& f = r.frames;
  ASSERT_GT(f.size(), 3u);
  EXPECT_EQ(f[0].units, 0u);
  // Present 1 ends at 1/50 s, the start-up work takes 1 s, the core's first frame follows at once.
  EXPECT_EQ(f[1].units, 1000u + 1000u * 50);
  EXPECT_EQ(f[2].units, 52000u);
  EXPECT_EQ(f[1].counter, 17920u * 51);
  EXPECT_LT(f.back().units, 3u * 50000);
  EXPECT_EQ(f.back().units, 149000u);
}

TEST(Capture, OnlyTheSpanIsWrittenAndTheCaptureStopsAfterIt) {
  CaptureOptions o = Quiet();
  o.fromSeconds = 10.0;
  o.toSeconds = 12.0;
  Recorder r;
  CaptureSummary summary;
  ASSERT_EQ(RunCapture(o, &r, &summary), 0);
  ASSERT_EQ(r.frames.size(), 120u);
  EXPECT_EQ(r.frames.front().units, 600000u);
  EXPECT_EQ(r.frames.back().units, 719000u);
  EXPECT_EQ(summary.endUnits, 720000u);
}

class CaptureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vesk_capture_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  static std::vector<uint8_t> Bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
  }
  // The default video of from to to seconds at 640x400.
  CaptureOptions Video(double from, double to) const {
    CaptureOptions o = Quiet();
    o.fromSeconds = from;
    o.toSeconds = to;
    o.width = 640;
    o.height = 400;
    o.videoFile = (dir / "show.mp4").string();
    return o;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::filesystem::path dir;
};

// Standard output of a shell command.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

bool HaveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1") == 0; }

// Reads everything a FIFO receives until its writer closes it.
class FifoReader {
 public:
  explicit FifoReader(const std::filesystem::path& fifo)
      : thread_([this, fifo] {
          std::ifstream in(fifo, std::ios::binary);
          bytes.assign(std::istreambuf_iterator<char>(in), {});
        }) {}
  std::vector<uint8_t> Finish() {
    thread_.join();
    return bytes;
  }

 private:
  std::vector<uint8_t> bytes;
  std::thread thread_;
};

TEST_F(CaptureFiles, TheTraceHasItsHeaderAndARecordPerFrame) {
  CaptureOptions o = Quiet();
  o.toSeconds = 0.5;
  o.nosound = true;
  o.startupMs = 7;
  o.traceFile = (dir / "show.trc").string();
  ASSERT_EQ(RunCapture(o), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"show.trc"}));
  const std::vector<uint8_t> b = Bytes(dir / "show.trc");
  ASSERT_GE(b.size(), kTraceHeaderBytes);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 8), "SHOWTRC1");
  EXPECT_EQ(U32(b, 8), 1u);
  EXPECT_EQ(U32(b, 12), 60u);
  EXPECT_EQ(U32(b, 16), 7u);
  EXPECT_EQ(U32(b, 20), 1u);
  EXPECT_EQ(U32(b, 24) | U32(b, 28), 0u);
  ASSERT_EQ((b.size() - kTraceHeaderBytes) % kTraceRecordBytes, 0u);
  const size_t records = (b.size() - kTraceHeaderBytes) / kTraceRecordBytes;
  EXPECT_GT(records, 20u);
  EXPECT_EQ(U32(b, 32), 0u);             // the start-up frame
  EXPECT_EQ(U32(b, 40), 0xFFFFFFFFu);    // no poll yet
  EXPECT_EQ(U32(b, 32 + kTraceRecordBytes), 1u);
  EXPECT_EQ(U32(b, 32 + 12), 0u);
}

TEST_F(CaptureFiles, TheSoundIsAWavOfTheSpansLengthSilentBeforeTheMusic) {
  CaptureOptions o = Quiet();
  o.toSeconds = 2.0;
  o.audioFile = (dir / "show.wav").string();
  ASSERT_EQ(RunCapture(o), 0);
  const std::vector<uint8_t> b = Bytes(dir / "show.wav");
  ASSERT_EQ(b.size(), 44u + 2 * 44100 * 4);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(U32(b, 40), 2u * 44100 * 4);
  EXPECT_EQ(U32(b, 24), 44100u);
  // The music starts when the core calls for it, after the first present: 1/60 s in.
  for (size_t i = 44; i < 44 + 735 * 4; ++i) ASSERT_EQ(b[i], 0) << i;
  bool sound = false;
  for (size_t i = 44 + 735 * 4; i < b.size() && !sound; ++i) sound = b[i] != 0;
  EXPECT_TRUE(sound);
  // In mono: both channels alike.
  for (size_t i = 44; i + 3 < b.size(); i += 4) ASSERT_EQ(U32(b, i) & 0xFFFF, U32(b, i) >> 16) << i;

  o.nosound = true;
  ASSERT_EQ(RunCapture(o), 0);
  const std::vector<uint8_t> quiet = Bytes(dir / "show.wav");
  ASSERT_EQ(quiet.size(), b.size());
  for (size_t i = 44; i < quiet.size(); ++i) ASSERT_EQ(quiet[i], 0) << i;
}

TEST_F(CaptureFiles, EveryPresentedFrameBecomesAPngOfTheOutputSize) {
  CaptureOptions o = Quiet();
  o.toSeconds = 0.05;
  o.width = 64;
  o.height = 40;
  o.framesDir = (dir / "frames").string();
  ASSERT_EQ(RunCapture(o), 0);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(o.framesDir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame_000001.png", "frame_000002.png", "frame_000003.png"}));
  const std::vector<uint8_t> png = Bytes(std::filesystem::path(o.framesDir) / "frame_000001.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png[1], 'P');
  const auto big = [&png](size_t at) {
    return (static_cast<uint32_t>(png[at]) << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
  };
  EXPECT_EQ(big(16), 64u);
  EXPECT_EQ(big(20), 40u);
}

TEST_F(CaptureFiles, AVideoWithoutFfmpegIsAClearErrorAndLeavesNoFile) {
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", dir.c_str(), 1);
  CaptureOptions o = Quiet();
  o.videoFile = (dir / "show.mp4").string();
  ::testing::internal::CaptureStderr();
  const int status = RunCapture(o);
  const std::string message = ::testing::internal::GetCapturedStderr();
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(status, 1);
  EXPECT_NE(message.find("ffmpeg"), std::string::npos) << message;
  EXPECT_TRUE(Names().empty());
}

TEST_F(CaptureFiles, AnOutputThatCannotBeWrittenIsAnError) {
  CaptureOptions o = Quiet();
  o.traceFile = (dir / "missing" / "show.trc").string();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunCapture(o), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
}

TEST_F(CaptureFiles, AVideoHasBothStreamsAndItsLength) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  const CaptureOptions o = Video(20.0, 21.0);
  ASSERT_EQ(RunCapture(o), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"show.mp4"}));
  const std::string streams = Output("ffprobe -v error -show_entries stream=codec_type,codec_name,width,height"
                                     " -of compact=nk=0 '" + o.videoFile + "'");
  EXPECT_NE(streams.find("codec_name=h264|codec_type=video|width=640|height=400"), std::string::npos) << streams;
  EXPECT_NE(streams.find("codec_name=aac|codec_type=audio"), std::string::npos) << streams;
  const double seconds = std::stod(Output("ffprobe -v error -show_entries format=duration -of csv=p=0 '" +
                                          o.videoFile + "'"));
  EXPECT_NEAR(seconds, 1.0, 0.03);
}

// Keeps the indices and palette of every frame the trace sees.
class PictureRecorder : public FrameListener {
 public:
  struct Picture {
    std::vector<uint8_t> frame;
    std::vector<uint8_t> palette;
    bool operator==(const Picture&) const = default;
  };
  std::vector<Picture> pictures;
  void OnFrame(const FrameHandOver& r, uint64_t) override {
    pictures.push_back({{r.frame, r.frame + kFrameBytes}, {r.palette, r.palette + kPaletteBytes}});
  }
};

// Mean absolute difference between decoded RGB and the picture stretched to width x height by repeating each
// pixel, its 6-bit palette levels made 8-bit by four.
double MeanError(const uint8_t* rgb, const PictureRecorder::Picture& p, int width, int height) {
  uint64_t sum = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t index = p.frame[static_cast<size_t>(y * 200 / height) * 320 + x * 320 / width];
      for (int c = 0; c < 3; ++c) {
        const int expected = static_cast<uint8_t>(p.palette[3 * index + c] * 4);
        sum += static_cast<uint64_t>(std::abs(rgb[(static_cast<size_t>(y) * width + x) * 3 + c] - expected));
      }
    }
  }
  return static_cast<double>(sum) / (3.0 * width * height);
}

TEST_F(CaptureFiles, AVideoShowsEachPictureAtItsTimeOnceAndKeepsItsLengthAndSound) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  // From the core's frames into the first picture, which then holds for seconds.
  const CaptureOptions o = Video(50.75, 52.75);
  PictureRecorder recorder;
  ASSERT_EQ(RunCapture(o, &recorder), 0);
  const std::vector<PictureRecorder::Picture>& shown = recorder.pictures;
  ASSERT_EQ(shown.size(), 120u);

  // A picture is encoded once however long it holds; the last one again, at the last frame time, to end the video.
  size_t changes = 1;
  for (size_t i = 1; i < shown.size(); ++i) changes += shown[i] == shown[i - 1] ? 0 : 1;
  ASSERT_LT(changes, 60u) << "the span holds no still picture";
  const size_t closing = shown[119] == shown[118] ? 1 : 0;
  EXPECT_EQ(Output("ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets"
                   " -of csv=p=0 '" + o.videoFile + "'"),
            std::to_string(changes + closing) + "\n");

  for (const char* stream : {"format", "stream"}) {
    std::istringstream lengths(Output(std::string("ffprobe -v error -show_entries ") + stream +
                                      "=duration -of csv=p=0 '" + o.videoFile + "'"));
    for (double seconds; lengths >> seconds;) EXPECT_NEAR(seconds, 2.0, 1.0 / 60) << stream;
  }

  // Seen at the show's frame rate: a frame per 1/60 s, each the picture presented then.
  constexpr size_t kRgbFrame = 640 * 400 * 3;
  const std::string decoded =
      Output("ffmpeg -v error -i '" + o.videoFile + "' -vf fps=60 -f rawvideo -pix_fmt rgb24 -");
  ASSERT_EQ(decoded.size(), shown.size() * kRgbFrame);
  for (const size_t i : {0, 15, 30, 31, 32, 45, 70, 95, 118, 119}) {
    const auto* rgb = reinterpret_cast<const uint8_t*>(decoded.data()) + i * kRgbFrame;
    EXPECT_LT(MeanError(rgb, shown[i], 640, 400), 1.5) << "frame " << i;
  }
}

// Decodes a PNG into 8-bit RGB.
std::vector<uint8_t> PngPixels(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return {};
  return pixels;
}

TEST_F(CaptureFiles, AnArchiveVideoDecodesToThePngFramesExactly) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  CaptureOptions o = Quiet();
  // The opening's pictures hold for several frames each; the one after the last comes at the span's end.
  constexpr size_t kFrames = 32;
  o.fromSeconds = 1.0;
  o.toSeconds = (60.0 + kFrames) / 60;
  o.width = 320;
  o.height = 200;
  o.quality = VideoQuality::kArchive;
  o.videoFile = (dir / "show.mkv").string();
  o.framesDir = (dir / "frames").string();
  ASSERT_EQ(RunCapture(o), 0);
  const std::string decoded =
      Output("ffmpeg -v error -i '" + o.videoFile + "' -vf fps=60 -f rawvideo -pix_fmt rgb24 -");
  constexpr size_t kRgbFrame = 320 * 200 * 3;
  ASSERT_EQ(decoded.size(), kFrames * kRgbFrame);
  // At 60 presents a second, the frames from 1 s on are presents 61 on.
  for (size_t i = 0; i < kFrames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06zu.png", 61 + i);
    const std::vector<uint8_t> png = PngPixels((dir / "frames" / name).string());
    ASSERT_EQ(png.size(), kRgbFrame) << i;
    ASSERT_EQ(0, std::memcmp(png.data(), decoded.data() + i * kRgbFrame, kRgbFrame)) << "frame " << i;
  }
  const std::string sound = Output("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" + o.videoFile + "'");
  EXPECT_EQ(sound, "ffv1\nflac\n");
}

TEST_F(CaptureFiles, AVideoOntoALinkOrAFifoLeavesThemInPlace) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  CaptureOptions o = Quiet();
  o.toSeconds = 0.2;
  o.width = 64;
  o.height = 40;
  // A link to a device: the device is written, the link stays.
  std::filesystem::create_symlink("/dev/null", dir / "null.mp4");
  o.videoFile = (dir / "null.mp4").string();
  ASSERT_EQ(RunCapture(o), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "null.mp4"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  // A link to a file: the file is replaced, the link stays.
  std::ofstream(dir / "target.mp4") << "old";
  std::filesystem::create_symlink(dir / "target.mp4", dir / "link.mp4");
  o.videoFile = (dir / "link.mp4").string();
  ASSERT_EQ(RunCapture(o), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.mp4"));
  EXPECT_GT(std::filesystem::file_size(dir / "target.mp4"), 1000u);
  // A FIFO gets the whole video and stays a FIFO.
  ASSERT_EQ(mkfifo((dir / "pipe.mp4").c_str(), 0600), 0);
  FifoReader reader(dir / "pipe.mp4");
  o.videoFile = (dir / "pipe.mp4").string();
  EXPECT_EQ(RunCapture(o), 0);
  const std::vector<uint8_t> video = reader.Finish();
  ASSERT_GT(video.size(), 1000u);
  EXPECT_EQ(std::string(video.begin() + 4, video.begin() + 8), "ftyp");
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe.mp4"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"link.mp4", "null.mp4", "pipe.mp4", "target.mp4"}));
}

TEST_F(CaptureFiles, VideoNamesThatLookLikeOptionsOrProtocolsAreFileNames) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
  const std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  CaptureOptions o = Quiet();
  o.toSeconds = 0.1;
  o.width = 64;
  o.height = 40;
  std::vector<int> statuses;
  for (const char* name : {"-dash.mp4", "file:y.mp4", "pipe:3.mp4"}) {
    o.videoFile = name;
    statuses.push_back(RunCapture(o));
  }
  std::filesystem::current_path(home);
  EXPECT_EQ(statuses, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"-dash.mp4", "file:y.mp4", "pipe:3.mp4"}));
}

TEST_F(CaptureFiles, AnEncoderThatTakesNothingIsGivenUpOn) {
  // An "ffmpeg" that never reads its input.
  {
    std::ofstream fake(dir / "ffmpeg");
    fake << "#!/bin/sh\nexec /bin/sleep 60\n";
  }
  std::filesystem::permissions(dir / "ffmpeg", std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", dir.c_str(), 1);
  CaptureOptions o = Quiet();
  o.encoderTimeoutMs = 500;
  o.videoFile = (dir / "show.mp4").string();
  ::testing::internal::CaptureStderr();
  const int status = RunCapture(o);
  const std::string message = ::testing::internal::GetCapturedStderr();
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(status, 1);
  EXPECT_NE(message.find("ffmpeg took no frame for 0.5 s; giving up"), std::string::npos) << message;
  EXPECT_EQ(Names(), (std::vector<std::string>{"ffmpeg"}));
}

TEST_F(CaptureFiles, AWavThatCannotBeCompletedFailsTheRun) {
  CaptureOptions o = Quiet();
  // Short enough that every sample fits the output's buffer: only the final header rewrite meets the full disk.
  o.toSeconds = 0.02;
  o.audioFile = "/dev/full";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunCapture(o), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
}

TEST_F(CaptureFiles, AWavIntoAPipeMarksItsSizesUnknown) {
  ASSERT_EQ(mkfifo((dir / "sound.wav").c_str(), 0600), 0);
  FifoReader reader(dir / "sound.wav");
  CaptureOptions o = Quiet();
  o.toSeconds = 1.0;
  o.audioFile = (dir / "sound.wav").string();
  EXPECT_EQ(RunCapture(o), 0);
  const std::vector<uint8_t> b = reader.Finish();
  ASSERT_EQ(b.size(), 44u + 44100 * 4);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(U32(b, 4), 0xFFFFFFFFu);
  EXPECT_EQ(U32(b, 40), 0xFFFFFFFFu);
}

// Interrupts the capture from inside after a few frames, as Ctrl+C or kill would.
class Interrupter : public FrameListener {
 public:
  explicit Interrupter(int signal) : signal_(signal) {}
  void OnFrame(const FrameHandOver&, uint64_t) override {
    if (++frames_ == 30) std::raise(signal_);
  }

 private:
  int signal_;
  int frames_ = 0;
};

TEST_F(CaptureFiles, CtrlCOrTerminationRemovesThePartialOutputs) {
  CaptureOptions o = Quiet();
  o.toSeconds = 5.0;
  o.width = 64;
  o.height = 40;
  o.traceFile = (dir / "show.trc").string();
  o.audioFile = (dir / "show.wav").string();
  o.framesDir = (dir / "frames").string();
  if (HaveFfmpeg()) o.videoFile = (dir / "show.mp4").string();
  for (const auto& [signal, status] :
       {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}, std::pair{SIGQUIT, 131}}) {
    Interrupter interrupter(signal);
    EXPECT_EQ(RunCapture(o, &interrupter), status);
    EXPECT_TRUE(Names().empty());
  }
  // The encoder is gone too: nothing appears later.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(Names().empty());
}

// Lets no file grow past a byte from the given frame on, as a disk that has just filled up.
class DiskFullFrom : public FrameListener {
 public:
  explicit DiskFullFrom(int frame) : frame_(frame) { getrlimit(RLIMIT_FSIZE, &old_); }
  ~DiskFullFrom() override {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, SIG_DFL);
  }
  void OnFrame(const FrameHandOver&, uint64_t) override {
    if (++frames_ != frame_) return;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old_;
    tiny.rlim_cur = 1;
    setrlimit(RLIMIT_FSIZE, &tiny);
  }

 private:
  int frame_;
  int frames_ = 0;
  rlimit old_{};
};

TEST_F(CaptureFiles, FramesThatCannotAllBeWrittenLeaveNoneAndTheReasonIsSaid) {
  CaptureOptions o = Quiet();
  o.toSeconds = 1.0;
  o.width = 64;
  o.height = 40;
  o.framesDir = (dir / "frames").string();
  DiskFullFrom full(10);
  // Standard error through a pipe, which the size limit does not reach (a captured one goes to a file).
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  std::fflush(stderr);
  const int savedStderr = dup(2);
  dup2(pipeEnds[1], 2);
  const int status = RunCapture(o, &full);
  std::fflush(stderr);
  dup2(savedStderr, 2);
  close(savedStderr);
  close(pipeEnds[1]);
  std::string message;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) message.append(buffer, static_cast<size_t>(n));
  close(pipeEnds[0]);
  EXPECT_EQ(status, 1);
  EXPECT_NE(message.find("frame_000010"), std::string::npos) << message;
  EXPECT_NE(message.find(std::strerror(EFBIG)), std::string::npos) << message;
  EXPECT_TRUE(Names().empty());
}

TEST_F(CaptureFiles, ASpanPastTheShowsEndIsWarnedAbout) {
  CaptureOptions o = Quiet();
  o.fromSeconds = 1000.0;
  o.traceFile = (dir / "show.trc").string();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunCapture(o), 0);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("warning: the show ended at"), std::string::npos);
}

int Parse(std::vector<std::string> args, CaptureOptions& o, std::string* message = nullptr) {
  args.insert(args.begin(), "vesk-capture");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int status = ParseCaptureOptions(static_cast<int>(argv.size()), argv.data(), o);
  ::testing::internal::GetCapturedStdout();
  const std::string error = ::testing::internal::GetCapturedStderr();
  if (message != nullptr) *message = error;
  return status;
}

TEST(CaptureOptionsParsing, DefaultsAndValues) {
  CaptureOptions o;
  EXPECT_EQ(Parse({}, o), -1);
  EXPECT_EQ(o.fps, 60u);
  EXPECT_EQ(o.width, 1600);
  EXPECT_EQ(o.height, 1200);
  EXPECT_FALSE(o.fromSeconds);
  EXPECT_EQ(o.encoderTimeoutMs, 30000);
  EXPECT_EQ(Parse({"--fps", "30", "--startup-ms", "250", "--nosound", "--size", "640x480", "--trace", "-",
                   "--from", "1.5", "--to", "3", "--ffmpeg-timeout", "5"},
                  o),
            -1);
  EXPECT_EQ(o.encoderTimeoutMs, 5000);
  EXPECT_EQ(o.fps, 30u);
  EXPECT_EQ(o.startupMs, 250u);
  EXPECT_TRUE(o.nosound);
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 480);
  EXPECT_EQ(o.traceFile, "-");
  EXPECT_DOUBLE_EQ(*o.fromSeconds, 1.5);
  EXPECT_DOUBLE_EQ(*o.toSeconds, 3.0);
}

TEST(CaptureOptionsParsing, HelpEndsWithZeroAndBadOptionsWithTwo) {
  CaptureOptions o;
  EXPECT_EQ(Parse({"--help"}, o), 0);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--fps", "0"}, {"--fps", "x"}, {"--size", "640"}, {"--size", "0x480"},
        {"--size", "640x480x32"}, {"--from", "-1"}, {"--from", "5", "--to", "2"}, {"--bogus"},
        {"--video", "a.mp4", "--size", "641x480"}, {"extra"}, {"--quality", "best"}}) {
    CaptureOptions fresh;
    EXPECT_EQ(Parse(bad, fresh), 2) << bad[0] << " " << (bad.size() > 1 ? bad[1] : "");
  }
}

TEST(CaptureOptionsParsing, SecondsThatAreNotNumbersAndCollidingOutputsAreRefused) {
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--from", "nan"}, {"--to", "nan"}, {"--to", "inf"}, {"--from", "-inf"},
        {"--audio", "s.bin", "--trace", "s.bin"}, {"--audio", "x.mp4", "--video", "./x.mp4"},
        {"--trace", "-", "--audio", "-"}, {"--frames", "out.mkv", "--video", "out.mkv"}}) {
    CaptureOptions fresh;
    EXPECT_EQ(Parse(bad, fresh), 2) << bad[0] << " " << bad[1] << " " << bad.back();
  }
  CaptureOptions o;
  EXPECT_EQ(Parse({"--quality", "archive", "--video", "a.mkv", "--size", "3200x2400"}, o), -1);
  EXPECT_EQ(o.quality, VideoQuality::kArchive);
}

TEST(CaptureOptionsParsing, RefusalsSayWhatWasExpected) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> said;
  } cases[] = {
      {{"--fps", "abc"}, {"--fps: expected a whole number, not 'abc'"}},
      {{"--startup-ms", "-5"}, {"--startup-ms: expected a whole number, not '-5'"}},
      {{"--ffmpeg-timeout", "1.5"}, {"--ffmpeg-timeout: expected a whole number, not '1.5'"}},
      {{"--quality", "foo"}, {"--quality: expected fast, standard or archive, not 'foo'"}},
      {{"--video", "x.avi"}, {"x.avi", ".mp4, .mkv or .mov", "archive as .mkv"}},
      {{"--video", "-"}, {"--container"}},
  };
  for (const auto& c : cases) {
    CaptureOptions o;
    std::string message;
    EXPECT_EQ(Parse(c.args, o, &message), 2) << c.args[0] << " " << c.args[1];
    for (const std::string& part : c.said) EXPECT_NE(message.find(part), std::string::npos) << message;
    EXPECT_EQ(message.find("range"), std::string::npos) << message;
    EXPECT_EQ(message.find("FAILED"), std::string::npos) << message;
  }
}

TEST(CaptureOptionsParsing, TheContainerFollowsTheExtensionOrTheNameGiven) {
  for (const VideoQuality q : {VideoQuality::kFast, VideoQuality::kStandard}) {
    EXPECT_EQ(VideoFormat("a.mp4", "", q), "mp4");
    EXPECT_EQ(VideoFormat("d/a.MKV", "", q), "matroska");
    EXPECT_EQ(VideoFormat("a.mov", "", q), "mov");
    EXPECT_EQ(VideoFormat("-", "mov", q), "mov");
    for (const char* refused : {"a.avi", "a.webm", "a", "a.mp4.part", ".mp4"}) EXPECT_EQ(VideoFormat(refused, "", q), "");
  }
  EXPECT_EQ(VideoFormat("a.mkv", "", VideoQuality::kArchive), "matroska");
  EXPECT_EQ(VideoFormat("a.mp4", "", VideoQuality::kArchive), "");
  EXPECT_EQ(VideoFormat("a.mov", "", VideoQuality::kArchive), "");
  EXPECT_EQ(VideoFormat("a.mkv", "mp4", VideoQuality::kArchive), "");
  EXPECT_EQ(VideoFormat("/dev/null", "mkv", VideoQuality::kArchive), "matroska");

  CaptureOptions o;
  EXPECT_EQ(Parse({"--video", "-", "--container", "mkv"}, o), -1);
  EXPECT_EQ(o.container, "mkv");
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--video", "a.mp4", "--quality", "archive"}, {"--video", "-", "--container", "webm"},
        {"--video", "a.mkv", "--container", "mov", "--quality", "archive"}, {"--container", "mkv"}}) {
    CaptureOptions fresh;
    EXPECT_EQ(Parse(bad, fresh), 2) << bad[0] << " " << bad[1] << " " << bad.back();
  }
}

TEST_F(CaptureFiles, ALinkToAnotherOutputClashesBeforeItsTargetExists) {
  const std::string trace = (dir / "show.trc").string();
  std::filesystem::create_directories(dir / "sub");
  std::filesystem::create_symlink("show.trc", dir / "relative.wav");
  std::filesystem::create_symlink(trace, dir / "absolute.wav");
  std::filesystem::create_symlink("relative.wav", dir / "chain.wav");
  std::filesystem::create_symlink("../show.trc", dir / "sub" / "up.wav");
  std::filesystem::create_symlink("other.trc", dir / "elsewhere.wav");
  for (const char* link : {"relative.wav", "absolute.wav", "chain.wav", "sub/up.wav"}) {
    CaptureOptions o;
    EXPECT_EQ(Parse({"--trace", trace, "--audio", (dir / link).string()}, o), 2) << link;
  }
  CaptureOptions o;
  EXPECT_EQ(Parse({"--trace", trace, "--audio", (dir / "elsewhere.wav").string()}, o), -1);
}

}  // namespace
