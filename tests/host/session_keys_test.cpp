// The keys beyond Escape over the recording fakes: the pause at a frame boundary, screenshots of the frame on
// screen, and the full-screen switch.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/screenshot.h"
#include "session_fixture.h"

namespace {

using namespace host_test;
using platform::ShowEvent;

constexpr uint32_t kPeriod = 17920;

// What each handed-over frame showed: its clock and its first pixel.
class FrameLog : public FrameObserver {
 public:
  void OnFrame(const FrameHandOver& frame) override {
    clocks.push_back(frame.timeCounter);
    firstPixels.push_back(frame.frame[0]);
  }
  std::vector<uint32_t> clocks;
  std::vector<uint8_t> firstPixels;
};

class Keys : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    observer = &log;
    // Present n draws colour n + 1, red level 10 (n + 1), into its first pixel; the one numbered pauseAt presses
    // the pause key before it.
    script.beforePresent = [this](int present) {
      frameBuffer[0] = static_cast<uint8_t>(present + 1);
      palette[3 * (present + 1)] = static_cast<uint8_t>(10 * (present + 1));
      if (present == pauseAt) PressPause();
    };
    // Dispatches are counted from the one that takes the pause; whilePaused posts events at them.
    fake.onCall = [this](const std::string& call) {
      if (call != "DispatchPending" || !pausePressed) return;
      ++dispatchesSincePause;
      if (auto event = whilePaused.find(dispatchesSincePause); event != whilePaused.end()) {
        fake.Device().Post(event->second);
      }
      if (session->Paused()) heldScreens.push_back(fake.Device().Screen().bytes);
    };
  }
  void PressPause() {
    fake.Device().Post(ShowEvent::kPause);
    pausePressed = true;
  }

  FrameLog log;
  int pauseAt = -1;
  bool pausePressed = false;
  int dispatchesSincePause = 0;
  std::map<int, ShowEvent> whilePaused;
  std::vector<std::vector<uint8_t>> heldScreens;  // the screen at each dispatch while paused
};

TEST_F(Keys, APauseStopsClockMusicAndShowAndGoesOnFromWhereItStopped) {
  fake.ticksPerDispatch = 1;
  script.presents = 5;
  pauseAt = 2;
  whilePaused[6] = ShowEvent::kPause;
  ASSERT_EQ(Run(), 0);
  // The periods that passed while paused are dropped: the clock goes on one period per present as before.
  EXPECT_EQ(log.clocks, (std::vector<uint32_t>{0, 1 * kPeriod, 2 * kPeriod, 3 * kPeriod, 4 * kPeriod, 5 * kPeriod}));
  EXPECT_EQ(log.firstPixels, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5}));
  // The song held from the pause's dispatch to the one that ended it; the held frame presented at each dispatch
  // in between, none of it handed over.
  const Strings paused = CallsFrom("Pause 1");
  ASSERT_GE(paused.size(), 22u);
  const Strings held = {"Lock", "Unlock", "Present 0,0,800,600", "DispatchPending"};
  EXPECT_EQ(Strings(paused.begin(), paused.begin() + 1 + 5 * 4),
            Concat({{"Pause 1"}, held, held, held, held, held}));
  EXPECT_EQ(paused.at(21), "Pause 0");
  ASSERT_EQ(heldScreens.size(), 5u);
  for (const auto& screen : heldScreens) EXPECT_EQ(screen, heldScreens.front());
  EXPECT_EQ(heldScreens.front()[2], 4 * 30);  // the red of present 2's first pixel, top left
  EXPECT_FALSE(session->Paused());
}

TEST_F(Keys, EscapeWhilePausedQuitsWithNothingMoreOfTheShow) {
  pauseAt = 1;
  whilePaused[3] = ShowEvent::kEscape;
  EXPECT_EQ(Run(EndlessShow), 0);
  EXPECT_EQ(script.presentsMade, 1);
  EXPECT_EQ(log.firstPixels, (std::vector<uint8_t>{0, 1, 2}));
  EXPECT_EQ(CallsFrom("Stop"), kQuitTeardown);
}

TEST_F(Keys, TheFullScreenSwitchWorksAtAnyBoundaryAndWhilePaused) {
  script.presents = 3;
  script.beforePresent = [this](int present) {
    if (present == 0) fake.Device().Post(ShowEvent::kToggleFullScreen);
    if (present == 1) {
      EXPECT_FALSE(fake.Device().FullScreen());
      PressPause();
    }
  };
  whilePaused[2] = ShowEvent::kToggleFullScreen;
  whilePaused[3] = ShowEvent::kPause;
  ASSERT_EQ(Run(), 0);
  EXPECT_TRUE(fake.Device().FullScreen());
  EXPECT_EQ(script.presentsMade, 3);
}

// A PNG file's size and its pixels as red, green, blue.
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgb;
};

Picture ReadPng(const std::filesystem::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    ADD_FAILURE() << "cannot read " << path;
    return picture;
  }
  image.format = PNG_FORMAT_RGB;
  picture.width = image.width;
  picture.height = image.height;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  EXPECT_NE(png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr), 0);
  return picture;
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

class Screenshots : public Keys {
 protected:
  void SetUp() override {
    Keys::SetUp();
    folder = std::filesystem::path(testing::TempDir()) / "vesk-screenshots";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    screenshots = [this](const uint8_t* levels, const uint8_t* frame) { SaveScreenshot(folder, levels, frame); };
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
};

TEST_F(Screenshots, TwoPicturesOfTheFrameOnScreenInItsShownColoursNumberedPastEveryFileThere) {
  std::ofstream(folder / "vesk-0001.png") << "mine";
  std::ofstream(folder / "vesk-0003-4x3.png") << "mine too";
  script.presents = 3;
  script.beforePresent = [this](int present) {
    // Present 1 shows colour 7 on top and colour 9 in the last pixel; present 2 draws over both.
    std::fill(frameBuffer, frameBuffer + kFrameBytes, static_cast<uint8_t>(present == 1 ? 7 : 40));
    frameBuffer[kFrameBytes - 1] = 9;
    palette[7 * 3] = 63;  // the brightest red
    palette[7 * 3 + 1] = 1;
    palette[7 * 3 + 2] = 255;  // a flash: only its low six bits reach the screen
    palette[9 * 3] = 0;
    palette[9 * 3 + 1] = 32;
    palette[9 * 3 + 2] = 0;
    if (present == 1) {
      fake.Device().Post(ShowEvent::kScreenshot);
      PressPause();
    }
  };
  whilePaused[2] = ShowEvent::kScreenshot;
  whilePaused[3] = ShowEvent::kPause;
  ASSERT_EQ(Run(), 0);

  EXPECT_EQ(Contents(folder / "vesk-0001.png"), "mine");
  EXPECT_EQ(Contents(folder / "vesk-0003-4x3.png"), "mine too");
  EXPECT_FALSE(std::filesystem::exists(folder / "vesk-0001-4x3.png"));
  EXPECT_FALSE(std::filesystem::exists(folder / "vesk-0003.png"));
  for (const char* number : {"0002", "0004"}) {
    const Picture small = ReadPng(folder / ("vesk-" + std::string(number) + ".png"));
    ASSERT_EQ(small.width, 320u);
    ASSERT_EQ(small.height, 200u);
    EXPECT_EQ(std::vector<uint8_t>(small.rgb.begin(), small.rgb.begin() + 3), (std::vector<uint8_t>{252, 4, 252}));
    EXPECT_EQ(std::vector<uint8_t>(small.rgb.end() - 3, small.rgb.end()), (std::vector<uint8_t>{0, 128, 0}));

    const Picture large = ReadPng(folder / ("vesk-" + std::string(number) + "-4x3.png"));
    ASSERT_EQ(large.width, 1600u);
    ASSERT_EQ(large.height, 1200u);
    // The last pixel is the block of columns 1595..1599 and rows 1194..1199.
    const auto at = [&large](uint32_t x, uint32_t y) { return large.rgb[(y * 1600 + x) * 3 + 1]; };
    EXPECT_EQ(at(1599, 1199), 128);
    EXPECT_EQ(at(1595, 1194), 128);
    EXPECT_EQ(at(1594, 1199), 4);
    EXPECT_EQ(at(1599, 1193), 4);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 6);
}

}  // namespace
