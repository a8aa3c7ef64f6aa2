// The real-time recorder's output: the header comes first, with the launch's choices, so a trace can stream.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "trace/trace_recorder.h"

namespace {

namespace fs = std::filesystem;

TEST(TraceRecorder, TheHeaderGoesFirstWithTheLaunchsChoicesSoATraceStreamsIntoAPipe) {
  const fs::path folder = fs::temp_directory_path() / ("vesk_trace_recorder_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path fifo = folder / "live.trc";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::vector<uint8_t> received;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), {});
  });
  TraceRecorder recorder;
  std::string error;
  ASSERT_TRUE(recorder.Open(fifo.string(), &error)) << error;
  recorder.OnShowStart({true, true});
  std::vector<uint8_t> palette(768, 9), frame(64000, 5);
  recorder.OnFrame({kSourceStartupFrame, 0, -1, palette.data(), frame.data()});
  recorder.OnFrame({kSourceCore, 17920, -1, palette.data(), frame.data()});
  const bool finished = recorder.Finish(&error);
  reader.join();
  EXPECT_TRUE(finished) << error;
  ASSERT_EQ(received.size(), 32u + 2 * 64784u);
  EXPECT_EQ(std::string(received.begin(), received.begin() + 8), "SHOWTRC1");
  EXPECT_EQ(received[12], 60);  // the nominal rate
  EXPECT_EQ(received[20], 3);   // real time, silenced
  EXPECT_EQ(received[32 + 64784], 1);
  EXPECT_EQ(received[32 + 64784 + 5], 70);  // 17920, little-endian
  EXPECT_TRUE(fs::is_fifo(fifo));
  fs::remove_all(folder);
}

}  // namespace
