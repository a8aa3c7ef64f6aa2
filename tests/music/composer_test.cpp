// The composer program: a rerun reproduces the committed module byte for byte; its command line.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<char> ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct RunResult {
  int status = -1;
  std::string output;
};

RunResult RunComposer(const std::string& arguments) {
  const std::string command = std::string("'") + VESK_COMPOSE_MUSIC + "' " + arguments + " 2>&1";
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

class MusicComposerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vesk_compose_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(MusicComposerRun, RerunWritesTheCommittedBytes) {
  const fs::path out = dir_ / "xmfile.xm";
  const RunResult run = RunComposer("--output '" + out.string() + "'");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::vector<char> committed = ReadBytes(VESK_MUSIC_MODULE);
  const std::vector<char> fresh = ReadBytes(out);
  ASSERT_EQ(fresh.size(), committed.size());
  EXPECT_TRUE(fresh == committed) << "the composer no longer writes the committed module; rerun it";
}

TEST_F(MusicComposerRun, TwoRunsAgreeAndShortOptionWorks) {
  const fs::path a = dir_ / "a.xm";
  const fs::path b = dir_ / "b.xm";
  ASSERT_EQ(RunComposer("-o '" + a.string() + "'").status, 0);
  ASSERT_EQ(RunComposer("--output='" + b.string() + "'").status, 0);
  EXPECT_TRUE(ReadBytes(a) == ReadBytes(b));
}

TEST_F(MusicComposerRun, HelpDescribesTheOptions) {
  const RunResult run = RunComposer("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("--output"), std::string::npos);
  EXPECT_NE(run.output.find("79327"), std::string::npos);
}

TEST_F(MusicComposerRun, BadArgumentsAndUnwritablePathsFail) {
  EXPECT_EQ(RunComposer("--bogus").status, 2);
  EXPECT_EQ(RunComposer("--output").status, 2);
  const RunResult run = RunComposer("-o '" + (dir_ / "missing" / "x.xm").string() + "'");
  EXPECT_EQ(run.status, 1);
  // The missing folder is named, with the system's reason.
  EXPECT_NE(run.output.find("missing: " + std::string(std::strerror(ENOENT))), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

}  // namespace
