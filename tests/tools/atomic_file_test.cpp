// The generators' atomic output: the target holds its old content or all of the new, never a part.
#include "tools/file_output/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vesk_atomic_file_test_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "out.bin") << "old content";
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Content() const {
    std::ifstream in(dir / "out.bin", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t Files() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }
  fs::path dir;
};

TEST_F(AtomicFile, ReplacesTheWholeFile) {
  std::string error;
  ASSERT_TRUE(vesk::tool::WriteFileAtomically(dir / "out.bin", "new", 3, error)) << error;
  EXPECT_EQ(Content(), "new");
  EXPECT_EQ(Files(), 1u);
}

TEST_F(AtomicFile, AFailedWriteKeepsTheOldFileAndLeavesNothingElse) {
  // A file size limit makes the write fail part way, as a full disk would.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::vector<uint8_t> big(100000, 7);
  std::string error;
  const bool written = vesk::tool::WriteFileAtomically(dir / "out.bin", big, error);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("out.bin"), std::string::npos) << error;
  EXPECT_EQ(Content(), "old content");
  EXPECT_EQ(Files(), 1u);
}

}  // namespace
