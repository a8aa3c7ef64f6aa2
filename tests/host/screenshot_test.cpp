// Where screenshots go: the user's pictures folder as user-dirs.dirs names it, and what the program says.
#include "host/screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/screen.h"

namespace {

namespace fs = std::filesystem;

class PicturesFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::path(testing::TempDir()) / "vesk-pictures-folder";
    fs::remove_all(root);
    fs::create_directories(root / "home" / ".config");
    fs::create_directories(root / "config");
    home = (root / "home").string();
    config = (root / "config").string();
  }
  void TearDown() override { fs::remove_all(root); }
  static void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

  fs::path root;
  std::string home;
  std::string config;
};

TEST_F(PicturesFolderTest, TheLastPicturesLineOfTheConfigFolderCountsWithHomeExpanded) {
  Write(root / "config" / "user-dirs.dirs",
        "# XDG_PICTURES_DIR=\"/not/this\"\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_PICTURES_DIR=\"/first\"\n"
        "XDG_PICTURES_DIR=\"$HOME/My \\\"Pictures\\\"\"\n");
  Write(root / "home" / ".config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"/from/home\"\n");
  EXPECT_EQ(PicturesFolder(home.c_str(), config.c_str()), fs::path(home + "/My \"Pictures\""));
  // Without an absolute XDG_CONFIG_HOME, the file in ~/.config.
  EXPECT_EQ(PicturesFolder(home.c_str(), nullptr), fs::path("/from/home"));
  EXPECT_EQ(PicturesFolder(home.c_str(), "relative"), fs::path("/from/home"));
}

TEST_F(PicturesFolderTest, NoFileNoLineOrNoAbsoluteFolderMeansNone) {
  EXPECT_EQ(PicturesFolder(home.c_str(), config.c_str()), fs::path());
  Write(root / "config" / "user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
  EXPECT_EQ(PicturesFolder(home.c_str(), config.c_str()), fs::path());
  for (const char* value : {"Pictures", "$HOMEPAGE/x"}) {
    Write(root / "config" / "user-dirs.dirs", std::string("XDG_PICTURES_DIR=\"") + value + "\"\n");
    EXPECT_EQ(PicturesFolder(home.c_str(), config.c_str()), fs::path()) << value;
  }
  Write(root / "config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
  EXPECT_EQ(PicturesFolder(nullptr, config.c_str()), fs::path());
  EXPECT_EQ(PicturesFolder(nullptr, nullptr), fs::path());
}

TEST_F(PicturesFolderTest, TheKeySavesIntoTheFolderMadeIfMissingAndAFailureIsOneLineOnly) {
  const std::vector<uint8_t> levels(768, 0);
  const std::vector<uint8_t> frame(kFrameBytes, 0);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  Write(root / "config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures/vesk\"\n");
  testing::internal::CaptureStderr();
  TakeScreenshot(levels.data(), frame.data());
  const std::string shots = home + "/Pictures/vesk/vesk-0001";
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vesk: screenshot saved as " + shots + ".png and " + shots + "-4x3.png\n");
  EXPECT_TRUE(fs::is_regular_file(shots + "-4x3.png"));

  // A file where the folder should be.
  Write(root / "home" / "file", "");
  Write(root / "config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/file/shots\"\n");
  testing::internal::CaptureStderr();
  TakeScreenshot(levels.data(), frame.data());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("vesk: no screenshot: cannot make the folder " + home + "/file/shots: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

}  // namespace
