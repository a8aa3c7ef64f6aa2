// The songs of the sound service over the show's own module: starting, silencing, stopping, freeing, real time.
#include "platform/sdl/song_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/resources.h"

namespace {

using sdlbackend::SongMixer;

constexpr int32_t kRate = 44100;
// Speed 3 and tempo 136: a 64-row pattern lasts 64 x 3 x 2.5 / 136 s, about 3.53 s.
constexpr double kSecondsPerOrder = 64 * 3 * 2.5 / 136;

class SongMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const platform::Resource module = platform::FindResource("XMFILE");
    if (module.data == nullptr) GTEST_SKIP() << "the program was built without its module";
    song_ = mixer_.Load(module.data, module.size);
    ASSERT_NE(song_, nullptr);
  }
  void TearDown() override {
    if (song_ != nullptr) mixer_.Free(song_);
  }

  // Renders seconds of sound; returns whether any sample was not silent.
  bool RenderSeconds(double seconds) {
    size_t left = static_cast<size_t>(seconds * kRate);
    bool heard = false;
    std::vector<int16_t> buffer(4096 * 2);
    while (left > 0) {
      const size_t frames = std::min<size_t>(left, 4096);
      mixer_.Render(kRate, buffer.data(), frames);
      heard = heard || std::any_of(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(frames * 2),
                                   [](int16_t s) { return s != 0; });
      left -= frames;
    }
    return heard;
  }

  SongMixer mixer_;
  platform::Song* song_ = nullptr;
};

TEST_F(SongMixerTest, APlayingSongAdvancesOneOrderPerPatternOfRenderedTime) {
  ASSERT_TRUE(mixer_.Play(song_));
  EXPECT_EQ(mixer_.Order(song_), 0);
  EXPECT_TRUE(RenderSeconds(kSecondsPerOrder * 2 + 0.5));
  EXPECT_EQ(mixer_.Order(song_), 2);
}

TEST_F(SongMixerTest, VolumeZeroIsSilentButStillAdvances) {
  mixer_.Play(song_);
  ASSERT_TRUE(mixer_.SetVolume(song_, 0));
  EXPECT_FALSE(RenderSeconds(kSecondsPerOrder + 0.5));
  EXPECT_EQ(mixer_.Order(song_), 1);
}

TEST_F(SongMixerTest, NothingPlaysBeforePlayOrAfterStopOrFree) {
  EXPECT_FALSE(RenderSeconds(0.5));
  mixer_.Play(song_);
  RenderSeconds(kSecondsPerOrder + 0.5);
  ASSERT_TRUE(mixer_.Stop(song_));
  EXPECT_FALSE(RenderSeconds(kSecondsPerOrder));
  EXPECT_EQ(mixer_.Order(song_), 1);
  // Playing again starts from the beginning.
  mixer_.Play(song_);
  EXPECT_EQ(mixer_.Order(song_), 0);
  // Freeing the playing song leaves silence, not a dangling song.
  ASSERT_TRUE(mixer_.Free(song_));
  song_ = nullptr;
  EXPECT_FALSE(RenderSeconds(0.5));
}

TEST(SongMixerNull, EveryCallOnNoSongFailsHarmlessly) {
  SongMixer mixer;
  EXPECT_EQ(mixer.Load(nullptr, 10), nullptr);
  EXPECT_FALSE(mixer.SetPanSeparation(nullptr, 0.0f));
  EXPECT_FALSE(mixer.Play(nullptr));
  EXPECT_FALSE(mixer.SetVolume(nullptr, 0));
  EXPECT_EQ(mixer.Order(nullptr), -1);
  EXPECT_FALSE(mixer.Stop(nullptr));
  EXPECT_FALSE(mixer.Free(nullptr));
}

TEST(SongMixerNull, AnUnreadableModuleBehavesAsNoSong) {
  SongMixer mixer;
  static const unsigned char garbage[64] = {1, 2, 3};
  // The module is read beside start-up, so the handle comes back first and the calls find out.
  platform::Song* song = mixer.Load(garbage, sizeof garbage);
  ASSERT_NE(song, nullptr);
  EXPECT_FALSE(mixer.Play(song));
  EXPECT_FALSE(mixer.SetVolume(song, 0));
  EXPECT_EQ(mixer.Order(song), -1);
  EXPECT_FALSE(mixer.Stop(song));
  std::vector<int16_t> buffer(512, 1);
  mixer.Render(kRate, buffer.data(), 256);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int16_t s) { return s == 0; }));
  EXPECT_FALSE(mixer.Free(song));
}

TEST(SongMixerRealTime, FramesDueFollowTheClock) {
  using std::chrono::milliseconds;
  EXPECT_EQ(sdlbackend::FramesDue(milliseconds(0), kRate), 0u);
  EXPECT_EQ(sdlbackend::FramesDue(milliseconds(-5), kRate), 0u);
  EXPECT_EQ(sdlbackend::FramesDue(milliseconds(1000), kRate), 44100u);
  EXPECT_EQ(sdlbackend::FramesDue(milliseconds(10), kRate), 441u);
  EXPECT_EQ(sdlbackend::FramesDue(std::chrono::hours(1), kRate), 44100u * 3600u);
}

}  // namespace
