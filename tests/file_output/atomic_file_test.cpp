// The atomic output: the target holds its old content or all of the new, never a part; links are followed and
// pipes written in place.
#include "file_output/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
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
  std::string Content(const char* name = "out.bin") const {
    std::ifstream in(dir / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t Files() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }
  fs::path dir;
};

TEST_F(AtomicFile, ReplacesTheWholeFile) {
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(dir / "out.bin", "new", 3, error)) << error;
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
  const bool written = WriteFileAtomically(dir / "out.bin", big, error);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("out.bin"), std::string::npos) << error;
  EXPECT_EQ(Content(), "old content");
  EXPECT_EQ(Files(), 1u);
}

TEST_F(AtomicFile, ALinkStaysAndItsTargetIsReplaced) {
  fs::create_symlink(dir / "out.bin", dir / "link.bin");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(dir / "link.bin", "through the link", 16, error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
  EXPECT_EQ(Content(), "through the link");
  EXPECT_EQ(Files(), 2u);
}

TEST_F(AtomicFile, ALinkToAFileNotYetThereStaysAndCreatesIt) {
  fs::create_symlink("new.bin", dir / "link.bin");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(dir / "link.bin", "made", 4, error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
  EXPECT_EQ(Content("new.bin"), "made");
  EXPECT_EQ(Files(), 3u);
}

TEST_F(AtomicFile, APipeIsWrittenInPlaceAndStaysAPipe) {
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([this, &received] { received = Content("pipe"); });
  std::string error;
  const bool written = WriteFileAtomically(dir / "pipe", "piped", 5, error);
  reader.join();
  EXPECT_TRUE(written) << error;
  EXPECT_EQ(received, "piped");
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
  EXPECT_EQ(Files(), 2u);
}

TEST_F(AtomicFile, ANameInAMissingFolderIsRefusedBeforeAnythingIsWritten) {
  // An encoder fills a pending output only later: the missing folder must be found when the output is chosen.
  try {
    PendingOutput output((dir / "no" / "such" / "show.mp4").string());
    ADD_FAILURE() << "a name in a missing folder was taken";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
  }
  EXPECT_THROW(PendingOutput((dir / "out.bin" / "show.mp4").string()), std::runtime_error);
  EXPECT_EQ(Files(), 1u);
}

TEST_F(AtomicFile, AFolderOfOutputsAppearsOnlyWhenCommittedAndADroppedOneLeavesNothing) {
  {
    PendingFolder dropped((dir / "frames").string());
    std::ofstream(fs::path(dropped.temporary()) / "frame_1.png") << "1";
  }
  EXPECT_EQ(Files(), 1u);

  PendingFolder fresh((dir / "frames").string());
  std::ofstream(fs::path(fresh.temporary()) / "frame_1.png") << "1";
  EXPECT_FALSE(fs::exists(dir / "frames"));
  fresh.Commit();
  EXPECT_EQ(Content("frames/frame_1.png"), "1");
  EXPECT_EQ(Files(), 2u);

  // Into a folder that exists (given with a trailing slash): its other files stay, same names are replaced.
  std::ofstream(dir / "frames" / "notes.txt") << "mine";
  PendingFolder again((dir / "frames").string() + "/");
  std::ofstream(fs::path(again.temporary()) / "frame_1.png") << "new";
  std::ofstream(fs::path(again.temporary()) / "frame_2.png") << "2";
  again.Commit();
  EXPECT_EQ(Content("frames/frame_1.png"), "new");
  EXPECT_EQ(Content("frames/frame_2.png"), "2");
  EXPECT_EQ(Content("frames/notes.txt"), "mine");
  EXPECT_EQ(Files(), 2u);
}

TEST_F(AtomicFile, AFolderOfOutputsThatCannotWorkIsRefusedAtOnce) {
  EXPECT_THROW(PendingFolder((dir / "out.bin").string()), std::runtime_error);
  EXPECT_THROW(PendingFolder((dir / "no" / "frames").string()), std::runtime_error);
  // A temporary folder that is already there may be another run's: it is left alone.
  fs::create_directory(dir / "frames.partial");
  std::ofstream(dir / "frames.partial" / "theirs") << "x";
  {
    PendingFolder folder((dir / "frames").string());
    EXPECT_NE(folder.temporary(), (dir / "frames.partial").string());
  }
  EXPECT_EQ(Content("frames.partial/theirs"), "x");
  EXPECT_EQ(Files(), 2u);
}

}  // namespace
