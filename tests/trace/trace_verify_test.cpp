// Recording a frame trace and replaying it through the show: a faithful trace verifies, a changed frame or palette
// is found by index and can be dumped as pictures, a file that is not a whole trace from the start or holds a value
// its recorder cannot have written is refused.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/capture/capture_options.h"
#include "host/capture/capture_session.h"
#include "host/frame_observer.h"
#include "host/present_source.h"
#include "trace/trace_recorder.h"
#include "trace/trace_verify.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kRecordBytes = 64784;
constexpr size_t kHeaderBytes = 32;

class TraceVerify : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vesk_trace_verify_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // A capture's trace of the show at fps, to the given second or whole.
  std::string Capture(const std::string& name, uint32_t fps, double toSeconds, double fromSeconds = 0) {
    CaptureOptions options;
    options.progress = false;
    options.nosound = true;
    options.fps = fps;
    options.startupMs = 40;
    if (toSeconds > 0) options.toSeconds = toSeconds;
    if (fromSeconds > 0) options.fromSeconds = fromSeconds;
    options.traceFile = (folder_ / name).string();
    EXPECT_EQ(RunCapture(options), 0);
    return options.traceFile;
  }

  // Runs the verifier; its report goes to report_.
  int Verify(const std::string& path) {
    std::FILE* out = std::tmpfile();
    const int status = VerifyTrace(path, out, out);
    std::rewind(out);
    report_.clear();
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) report_ += buffer;
    std::fclose(out);
    return status;
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    return names;
  }

  static void Poke(const std::string& path, size_t offset, uint8_t value) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.put(static_cast<char>(value));
  }
  static void Poke32(const std::string& path, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) Poke(path, offset + i, static_cast<uint8_t>(value >> (8 * i)));
  }
  static uint32_t Peek32(const std::string& path, size_t offset) {
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    uint8_t bytes[4] = {};
    file.read(reinterpret_cast<char*>(bytes), 4);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }
  static size_t Clock(size_t record) { return kHeaderBytes + record * kRecordBytes + 4; }
  // What the real-time program would have recorded: its nominal header over the same readings and frames.
  static void MarkRealTime(const std::string& path) {
    Poke32(path, 12, 60);
    Poke32(path, 16, 0);
    Poke32(path, 20, 3);  // real time, silenced
  }
  std::string CopyOf(const std::string& path, const std::string& name) {
    const std::string copy = (folder_ / name).string();
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
    return copy;
  }

  fs::path folder_;
  std::string report_;
};

TEST_F(TraceVerify, AWholeShowReplaysFrameForFrameThroughItsPicturesAndEnd) {
  const std::string trace = Capture("whole.trc", 5, 0);
  EXPECT_EQ(Verify(trace), kVerifyMatch) << report_;
  const size_t records = (fs::file_size(trace) - kHeaderBytes) / kRecordBytes;
  EXPECT_NE(report_.find("0 of " + std::to_string(records) + " frames differ"), std::string::npos) << report_;
}

TEST_F(TraceVerify, ChangedFramesArePrintedWithIndexStageAndByteCount) {
  const std::string trace = Capture("part.trc", 60, 6);
  ASSERT_EQ(Verify(trace), kVerifyMatch) << report_;
  // A frame byte of record 100, two palette bytes of record 200 (palette at 16, frame at 784 in a record).
  Poke(trace, kHeaderBytes + 100 * kRecordBytes + 784 + 5000, 0xEE);
  Poke(trace, kHeaderBytes + 200 * kRecordBytes + 16 + 3, 0x3F);
  Poke(trace, kHeaderBytes + 200 * kRecordBytes + 16 + 4, 0x3F);
  EXPECT_EQ(Verify(trace), kVerifyMismatch);
  EXPECT_NE(report_.find("frame 100 (opening or orbit, show tick"), std::string::npos) << report_;
  EXPECT_NE(report_.find("1 frame bytes and 0 palette bytes differ"), std::string::npos) << report_;
  EXPECT_NE(report_.find("frame 200 ("), std::string::npos) << report_;
  EXPECT_NE(report_.find("0 frame bytes and 2 palette bytes differ"), std::string::npos) << report_;
  const size_t records = (fs::file_size(trace) - kHeaderBytes) / kRecordBytes;
  EXPECT_NE(report_.find("2 of " + std::to_string(records) + " frames differ"), std::string::npos) << report_;

  // Only the low 6 bits of a palette byte reach the screen, but the show's bytes are compared whole.
  const size_t paletteByte = kHeaderBytes + 250 * kRecordBytes + 16 + 100;
  Poke(trace, paletteByte, static_cast<uint8_t>(Peek32(trace, paletteByte) ^ 0x40));
  EXPECT_EQ(Verify(trace), kVerifyMismatch);
  EXPECT_NE(report_.find("frame 250 ("), std::string::npos) << report_;
  EXPECT_NE(report_.find("3 of " + std::to_string(records) + " frames differ"), std::string::npos) << report_;

  // A clock reading the show did not see, in a real-time trace whose clock is only held to its order: the frame
  // drawn from it differs from the one recorded.
  const std::string shifted = Capture("shifted.trc", 60, 6);
  MarkRealTime(shifted);
  Poke32(shifted, Clock(300), Peek32(shifted, Clock(301)));
  EXPECT_EQ(Verify(shifted), kVerifyMismatch);
  EXPECT_NE(report_.find("frame 300 ("), std::string::npos) << report_;
}

TEST_F(TraceVerify, ClockReadingsAndHeaderFieldsNoRecorderCanWriteAreMalformed) {
  const std::string trace = Capture("clock.trc", 60, 1);
  ASSERT_EQ(Verify(trace), kVerifyMatch) << report_;
  const auto malformed = [&](const std::string& name, auto change, const std::string& says) {
    const std::string copy = CopyOf(trace, name);
    change(copy);
    EXPECT_EQ(Verify(copy), kVerifyMalformed) << name << ": " << report_;
    EXPECT_NE(report_.find(says), std::string::npos) << name << ": " << report_;
  };
  // The music starts within the first frames; its 40 ms of start-up put the clock 2.4 vertical blanks on, and the
  // next present rounds that up to 3, so record 30 is handed over at blank 32 of 60 per second, 533 ms: 26 periods.
  ASSERT_EQ(Peek32(trace, Clock(30)), 26u * 17920);
  malformed("zero.trc", [](const std::string& t) { Poke32(t, Clock(30), 0); },
            "record 30: field time_counter is 0, earlier than record 29's 448000");
  malformed("max.trc", [](const std::string& t) { Poke32(t, Clock(30), 0xFFFFFFFF); },
            "record 30: field time_counter is 4294967295");
  malformed("ahead.trc", [](const std::string& t) { Poke32(t, Clock(30), 27 * 17920); },
            "record 30: field time_counter is 483840, but the capture's clock read 465920");
  // A real-time trace's readings are its timer's, held only to their order.
  malformed("back.trc", [](const std::string& t) { MarkRealTime(t), Poke32(t, Clock(30), 0); },
            "record 30: field time_counter is 0, earlier than record 29's");
  malformed("wrapped.trc", [](const std::string& t) { MarkRealTime(t), Poke32(t, Clock(30), 0xFFFFFFFF); },
            "record 31: field time_counter is 483840, earlier than record 30's 4294967295");
  malformed("order.trc", [](const std::string& t) { Poke32(t, kHeaderBytes + 5 * kRecordBytes + 8, 0xFFFFFFFE); },
            "record 5: field music_order is -2");
  malformed("reserved.trc", [](const std::string& t) { Poke(t, kHeaderBytes + 7 * kRecordBytes + 12, 1); },
            "record 7: field reserved");
  malformed("nofps.trc", [](const std::string& t) { Poke32(t, 12, 0); }, "header field fps is 0, outside 1..1000");
  malformed("fastfps.trc", [](const std::string& t) { Poke32(t, 12, 1001); }, "header field fps is 1001");
  malformed("startup.trc", [](const std::string& t) { Poke32(t, 16, 600001); }, "header field startup_ms is 600001");
  malformed("flags.trc", [](const std::string& t) { Poke32(t, 20, 0x81); }, "header field flags is 0x81");
  malformed("hreserved.trc", [](const std::string& t) { Poke(t, 31, 1); }, "header field reserved");
  malformed("rtfps.trc", [](const std::string& t) { MarkRealTime(t), Poke32(t, 12, 30); }, "header field fps is 30");
  malformed("rtstartup.trc", [](const std::string& t) { MarkRealTime(t), Poke32(t, 16, 40); },
            "header field startup_ms is 40");

  // The same readings under a real-time header replay as they are.
  const std::string realTime = CopyOf(trace, "realtime.trc");
  MarkRealTime(realTime);
  EXPECT_EQ(Verify(realTime), kVerifyMatch) << report_;
}

// The pixels of a PNG as red, green, blue bytes.
std::vector<uint8_t> ReadPng(const fs::path& path, uint32_t& width, uint32_t& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> pixels;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return pixels;
  image.format = PNG_FORMAT_RGB;
  pixels.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) pixels.clear();
  width = image.width;
  height = image.height;
  return pixels;
}

TEST_F(TraceVerify, DifferingFramesAreDumpedAsPicturesMarkingExactlyTheChangedPixels) {
  const std::string trace = Capture("dump.trc", 60, 1);
  // Pixels changed in records 20, 40 and 50: a run at the top left, one pixel mid-picture, one at the end.
  const size_t frame20 = kHeaderBytes + 20 * kRecordBytes + 784;
  const std::vector<size_t> changed = {0, 1, 2, 3, 100 * 320 + 160, 64000 - 1};
  for (const size_t pixel : changed) {
    Poke(trace, frame20 + pixel, static_cast<uint8_t>(Peek32(trace, frame20 + pixel) + 1));
  }
  Poke(trace, kHeaderBytes + 40 * kRecordBytes + 784 + 7, 0x55);
  Poke(trace, kHeaderBytes + 50 * kRecordBytes + 784 + 9, 0x66);

  CaptureOptions options;
  options.verifyFile = trace;
  options.dumpDir = (folder_ / "pictures" / "of").string();
  options.maxReport = 2;
  EXPECT_EQ(RunVerify(options), kVerifyMismatch);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(options.dumpDir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame_000020_difference.png", "frame_000020_expected.png",
                                             "frame_000020_recorded.png", "frame_000040_difference.png",
                                             "frame_000040_expected.png", "frame_000040_recorded.png"}));

  uint32_t width = 0, height = 0;
  const fs::path dir = options.dumpDir;
  const std::vector<uint8_t> expected = ReadPng(dir / "frame_000020_expected.png", width, height);
  EXPECT_EQ(width, 320u);
  EXPECT_EQ(height, 200u);
  const std::vector<uint8_t> recorded = ReadPng(dir / "frame_000020_recorded.png", width, height);
  const std::vector<uint8_t> difference = ReadPng(dir / "frame_000020_difference.png", width, height);
  ASSERT_EQ(expected.size(), 64000u * 3);
  ASSERT_EQ(recorded.size(), 64000u * 3);
  ASSERT_EQ(difference.size(), 64000u * 3);
  std::vector<size_t> marked;
  for (size_t pixel = 0; pixel < 64000; ++pixel) {
    const uint8_t* d = &difference[pixel * 3];
    if (d[0] == 255 && d[1] == 255 && d[2] == 255) {
      marked.push_back(pixel);
    } else {
      EXPECT_LE(std::max({d[0], d[1], d[2]}), 63) << "pixel " << pixel;
      const uint8_t* e = &expected[pixel * 3];
      EXPECT_TRUE(std::equal(e, e + 3, &recorded[pixel * 3])) << "pixel " << pixel;
    }
  }
  EXPECT_EQ(marked, changed);
  // The recorded picture shows the changed record in its colours, 4 x (level mod 64).
  std::ifstream file(trace, std::ios::binary);
  std::vector<char> record(kRecordBytes);
  file.seekg(static_cast<std::streamoff>(kHeaderBytes + 20 * kRecordBytes));
  file.read(record.data(), static_cast<std::streamsize>(record.size()));
  for (const size_t pixel : changed) {
    const auto index = static_cast<uint8_t>(record[784 + pixel]);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(recorded[pixel * 3 + c], 4 * (static_cast<uint8_t>(record[16 + 3 * index + c]) % 64)) << pixel;
    }
  }
}

TEST_F(TraceVerify, FilesThatAreNotAWholeTraceFromTheStartAreMalformed) {
  EXPECT_EQ(Verify((folder_ / "missing.trc").string()), kVerifyMalformed);
  const std::string trace = Capture("short.trc", 60, 1);
  fs::resize_file(trace, kHeaderBytes + 10 * kRecordBytes + 7);
  EXPECT_EQ(Verify(trace), kVerifyMalformed);
  EXPECT_NE(report_.find("not a whole number"), std::string::npos) << report_;
  fs::resize_file(trace, kHeaderBytes + 10 * kRecordBytes);
  Poke(trace, kHeaderBytes + 3 * kRecordBytes, 9);  // no such presenter
  EXPECT_EQ(Verify(trace), kVerifyMalformed);
  Poke(trace, 0, 'X');
  EXPECT_EQ(Verify(trace), kVerifyMalformed);
  fs::resize_file(trace, kHeaderBytes);
  EXPECT_EQ(Verify(trace), kVerifyMalformed);
  // A span that misses the start cannot be replayed.
  EXPECT_EQ(Verify(Capture("late.trc", 60, 3, 2)), kVerifyMalformed);
}

TEST_F(TraceVerify, TheRecorderWritesEveryRecordAndNamesTheFileOnlyWhenFinished) {
  const std::string path = (folder_ / "recorded.trc").string();
  TraceRecorder recorder;
  std::string error;
  ASSERT_TRUE(recorder.Open(path, &error)) << error;
  recorder.Start({0, 0, 3});
  std::vector<uint8_t> palette(768), frame(64000);
  for (uint32_t i = 0; i < 300; ++i) {
    palette[i % 768] = static_cast<uint8_t>(i);
    frame[i] = static_cast<uint8_t>(i * 7);
    recorder.OnFrame({static_cast<PresentSource>(i % 6), i * 17920, static_cast<int32_t>(i) - 1, palette.data(),
                      frame.data()});
  }
  EXPECT_EQ(recorder.Records(), 300u);
  EXPECT_FALSE(fs::exists(path));
  ASSERT_TRUE(recorder.Finish(&error)) << error;
  EXPECT_EQ(Names(), (std::vector<std::string>{"recorded.trc"}));
  ASSERT_EQ(fs::file_size(path), kHeaderBytes + 300 * kRecordBytes);
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes[20], 3);  // the flags given at the start
  const uint8_t* last = bytes.data() + kHeaderBytes + 299 * kRecordBytes;
  EXPECT_EQ(last[0], 299 % 6);
  EXPECT_EQ(last[4] | last[5] << 8 | last[6] << 16 | last[7] << 24, 299 * 17920);
  EXPECT_EQ(last[8] | last[9] << 8, 298);
  EXPECT_EQ(last[16 + 299], 43);         // palette byte 299 = 299 mod 256
  EXPECT_EQ(last[784 + 299], (299 * 7) & 0xFF);

  TraceRecorder nowhere;
  EXPECT_FALSE(nowhere.Open((folder_ / "no" / "such" / "folder.trc").string(), &error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST_F(TraceVerify, ARecordingLeftUnfinishedLeavesNothing) {
  std::vector<uint8_t> palette(768), frame(64000);
  const FrameHandOver handOver{kSourceCore, 0, -1, palette.data(), frame.data()};
  std::string error;
  {
    TraceRecorder discarded;
    ASSERT_TRUE(discarded.Open((folder_ / "discarded.trc").string(), &error)) << error;
    discarded.Start({0, 0, 0});
    discarded.OnFrame(handOver);
    discarded.Discard();
    EXPECT_TRUE(Names().empty());
    TraceRecorder dropped;
    ASSERT_TRUE(dropped.Open((folder_ / "dropped.trc").string(), &error)) << error;
    dropped.Start({0, 0, 0});
    dropped.OnFrame(handOver);
  }
  EXPECT_TRUE(Names().empty());

  // A full disk: the records cannot be written, and the trace is not named.
  TraceRecorder full;
  ASSERT_TRUE(full.Open("/dev/full", &error)) << error;
  full.Start({0, 0, 0});
  for (int i = 0; i < 40; ++i) full.OnFrame(handOver);
  EXPECT_FALSE(full.Finish(&error));
  EXPECT_NE(error.find("/dev/full"), std::string::npos) << error;
}

}  // namespace
