// Plays the whole show at 60 Hz and checks what each scene puts on screen at chosen stage clocks;
// with VESK_SCENE_FRAMES_DIR set it also writes those frames there as PNG files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "tests/core/scene_png.h"
#include "tests/core/show_test_host.h"

extern "C" const unsigned char vesk_core_title_picture_bin[];

namespace vesk_test {
namespace {

enum class Stage { kOpening, kOrbitBlack, kOrbit, kBetween, kCaption, kFinal };

struct Snapshot {
  int32_t t = 0;
  std::vector<uint8_t> frame;
  std::array<uint8_t, kPaletteBytes> palette{};
};

// Follows the stages through the presents and keeps the first frame at or after each wanted clock.
class StageRecorder {
 public:
  explicit StageRecorder(ShowTestHost& host) : host_(host) {
    host.onPresent = [this](const PresentedFrame& f) { OnPresent(f); };
  }

  // Keys "opening", "orbit", "caption1".."caption3", "final".
  std::map<std::string, std::map<int32_t, Snapshot>> shots;
  std::map<std::string, std::vector<int32_t>> wanted = {
      {"opening", {400, 890, 1000, 1156, 1600, 2000, 2400, 2700}},
      {"orbit", {10, 100, 400, 900, 1300, 1700, 2020}},
      {"caption1", {0, 60, 250, 600, 790, 980}},
      {"caption2", {0, 60, 250, 600, 980}},
      {"caption3", {0, 60, 250, 600, 790}},
      {"final", {10, 300, 700, 1200, 1800, 2500, 2990}},
  };

 private:
  void Keep(const std::string& scene, int32_t t) {
    for (int32_t w : wanted[scene]) {
      auto& slot = shots[scene];
      if (t >= w && !slot.count(w)) {
        Snapshot s;
        s.t = t;
        s.frame.assign(frameBuffer, frameBuffer + kFrameBytes);
        std::memcpy(s.palette.data(), palette, kPaletteBytes);
        slot[w] = std::move(s);
      }
    }
  }

  void OnPresent(const PresentedFrame& f) {
    if (f.source != 0) {
      if (f.source == 4) afterLastPicture_ = true;
      stage_ = Stage::kBetween;
      return;
    }
    const auto& calls = host_.calls;
    const bool afterGrey = calls.size() >= 2 && calls[calls.size() - 2] == "SetGreyPalette";
    switch (stage_) {
      case Stage::kOpening: {
        const int32_t t = f.tick + 345;
        Keep("opening", t);
        if (t > 2848) stage_ = Stage::kOrbitBlack;
        break;
      }
      case Stage::kOrbitBlack:
        stage_ = Stage::kOrbit;
        start_ = -1;
        break;
      case Stage::kOrbit: {
        if (start_ < 0) start_ = f.tick;
        const int32_t t = f.tick - start_;
        Keep("orbit", t);
        if (t > 2090) stage_ = Stage::kBetween;
        break;
      }
      case Stage::kBetween:
      case Stage::kCaption:
        if (afterGrey) {
          ++caption_;
          stage_ = Stage::kCaption;
          start_ = -1;
        } else if (afterLastPicture_ && stage_ == Stage::kBetween) {
          stage_ = Stage::kFinal;  // the black frame that closes the interlude
          start_ = -1;
        } else if (stage_ == Stage::kCaption) {
          if (start_ < 0) start_ = f.tick;
          Keep("caption" + std::to_string(caption_), f.tick - start_);
        }
        break;
      case Stage::kFinal:
        if (start_ < 0) start_ = f.tick;
        Keep("final", f.tick - start_);
        break;
    }
  }

  ShowTestHost& host_;
  Stage stage_ = Stage::kOpening;
  int32_t start_ = -1;
  int caption_ = 0;
  bool afterLastPicture_ = false;
};

int CountIf(const std::vector<uint8_t>& frame, bool (*pred)(uint8_t)) {
  int n = 0;
  for (uint8_t v : frame) n += pred(v) ? 1 : 0;
  return n;
}

class SceneFrames : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    host_ = new ShowTestHost(60);
    recorder_ = new StageRecorder(*host_);
    host_->Run();
    if (const char* dir = std::getenv("VESK_SCENE_FRAMES_DIR")) {
      for (const auto& [scene, byClock] : recorder_->shots) {
        for (const auto& [wantedClock, shot] : byClock) {
          char name[96];
          std::snprintf(name, sizeof name, "%s/%s_t%04d.png", dir, scene.c_str(), shot.t);
          WriteFramePng(name, shot.frame.data(), shot.palette.data());
        }
      }
    }
  }
  static void TearDownTestSuite() {
    delete recorder_;
    delete host_;
  }
  static const Snapshot& Shot(const std::string& scene, int32_t wanted) {
    return recorder_->shots.at(scene).at(wanted);
  }
  static inline ShowTestHost* host_ = nullptr;
  static inline StageRecorder* recorder_ = nullptr;
};

TEST_F(SceneFrames, EveryWantedClockWasShown) {
  for (const auto& [scene, clocks] : recorder_->wanted) {
    ASSERT_TRUE(recorder_->shots.count(scene)) << scene;
    for (int32_t w : clocks) EXPECT_TRUE(recorder_->shots.at(scene).count(w)) << scene << " t " << w;
  }
}

TEST_F(SceneFrames, OpeningShowsOnlyThePictureBeforeTheBurstThenBoth) {
  const auto burst = [](uint8_t v) { return v >= 192; };
  const auto title = [](uint8_t v) { return v >= 1 && v <= 15; };
  EXPECT_EQ(CountIf(Shot("opening", 400).frame, burst), 0);
  for (int32_t t : {1000, 1156, 2000, 2400}) {
    EXPECT_GT(CountIf(Shot("opening", t).frame, burst), 300) << t;
  }
  // The dissolve: part of the picture at the lowest threshold, every pixel of it from t = 1156 on.
  int picturePixels = 0;
  for (int i = 0; i < 14250; ++i) {
    picturePixels += (vesk_core_title_picture_bin[i] >> 4 != 0) + ((vesk_core_title_picture_bin[i] & 15) != 0);
  }
  const int early = CountIf(Shot("opening", 890).frame, title);
  EXPECT_GT(early, picturePixels / 10);
  EXPECT_LT(early, picturePixels / 2);
  EXPECT_EQ(CountIf(Shot("opening", 1156).frame, title), picturePixels);
  EXPECT_EQ(CountIf(Shot("opening", 2400).frame, title), picturePixels);
}

TEST_F(SceneFrames, OrbitTrailsGlowInBothNibbles) {
  for (int32_t t : {100, 400, 900, 1700}) {
    const auto& frame = Shot("orbit", t).frame;
    EXPECT_GT(CountIf(frame, [](uint8_t v) { return (v & 15) >= 4; }), 500) << t;
    EXPECT_GT(CountIf(frame, [](uint8_t v) { return (v >> 4) >= 2; }), 500) << t;
  }
}

TEST_F(SceneFrames, CaptionsGatherDotsAndDrawTheirWord) {
  for (const char* scene : {"caption1", "caption2", "caption3"}) {
    EXPECT_EQ(CountIf(Shot(scene, 0).frame, [](uint8_t v) { return v != 0 && v != 255; }), 0) << scene;
    const auto& late = Shot(scene, 600).frame;
    EXPECT_GT(CountIf(late, [](uint8_t v) { return v == 255; }), 200) << scene;
    EXPECT_GT(CountIf(late, [](uint8_t v) { return v > 0 && v < 255; }), 5000) << scene;
  }
}

// A name whose letters reach an edge of its image draws dots, and their glow, at both edges of the
// screen through the plane's linear addressing. Once the dots have gathered, the edge columns below
// the spinning word stay dark.
TEST_F(SceneFrames, GatheredNamesLeaveTheScreenEdgesDark) {
  const std::pair<const char*, int32_t> shots[] = {
      {"caption1", 600}, {"caption1", 790}, {"caption1", 980}, {"caption2", 600}, {"caption3", 600}};
  for (const auto& [scene, t] : shots) {
    const Snapshot& shot = Shot(scene, t);
    int brightest = 0;
    for (int y = 40; y < kScreenHeight; ++y) {
      for (int x : {0, 1, 2, kScreenWidth - 3, kScreenWidth - 2, kScreenWidth - 1}) {
        const uint8_t* rgb = &shot.palette[3 * shot.frame[y * kScreenWidth + x]];
        brightest = std::max(brightest, (rgb[0] & 63) + (rgb[1] & 63) + (rgb[2] & 63));
      }
    }
    EXPECT_LE(brightest, 60) << scene << " t=" << t;
  }
}

TEST_F(SceneFrames, FinalSceneLightsTheLogo) {
  for (int32_t t : {10, 300, 700, 1200, 1800, 2500, 2990}) {
    const auto& frame = Shot("final", t).frame;
    EXPECT_GT(CountIf(frame, [](uint8_t v) { return v >= 40; }), 1500) << t;
  }
}

}  // namespace
}  // namespace vesk_test
