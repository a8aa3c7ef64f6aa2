// Recording a frame trace and replaying it through the show: a faithful trace verifies, a changed frame or palette
// is found by index, a file that is not a whole trace from the start is refused.
#include <gtest/gtest.h>

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

  // A clock reading the show did not see: the frame drawn from it differs from the one recorded.
  const std::string shifted = Capture("shifted.trc", 60, 6);
  Poke(shifted, kHeaderBytes + 300 * kRecordBytes + 6, 0x40);
  EXPECT_EQ(Verify(shifted), kVerifyMismatch);
  EXPECT_NE(report_.find("frame 300 ("), std::string::npos) << report_;
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
