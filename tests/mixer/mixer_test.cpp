// The mixer over the show's own module and a fake output: starting, silencing, stopping, freeing, no device.
#include "platform/mixer/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/resources.h"

namespace {

using platform::Mixer;

constexpr int32_t kRate = 44100;
// Speed 3 and tempo 136: a 64-row pattern lasts 64 x 3 x 2.5 / 136 s, about 3.53 s.
constexpr double kSecondsPerOrder = 64 * 3 * 2.5 / 136;

// An output whose render the test pulls itself; or, with opens false, no device at all.
class FakeOutput : public platform::AudioOutput {
 public:
  explicit FakeOutput(bool opens) : opens_(opens) {}
  bool Open(int32_t rate, Render render, const char** why) override {
    std::lock_guard<std::mutex> lock(mutex_);
    rate_ = rate;
    if (opens_) render_ = std::move(render);
    if (!opens_) *why = "the fake has none";
    asked_ = true;
    changed_.notify_all();
    return opens_;
  }
  void Close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    render_ = nullptr;
    ++closes_;
  }
  // Waits for the mixer's thread to have asked for the device.
  void AwaitOpen() {
    std::unique_lock<std::mutex> lock(mutex_);
    ASSERT_TRUE(changed_.wait_for(lock, std::chrono::seconds(5), [this] { return asked_; }));
  }
  bool Pull(int16_t* interleaved, size_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (render_ == nullptr) return false;
    render_(interleaved, frames);
    return true;
  }
  int32_t Rate() const { return rate_; }
  int32_t Closes() const { return closes_; }

 private:
  const bool opens_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Render render_;
  bool asked_ = false;
  int32_t rate_ = 0;
  int32_t closes_ = 0;
};

std::span<const uint8_t> ShowModule() {
  const platform::Resource module = platform::FindResource("XMFILE");
  return {module.data, module.data != nullptr ? module.size : 0};
}

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ShowModule().empty()) GTEST_SKIP() << "the program was built without its module";
    ASSERT_TRUE(mixer_.Load(ShowModule()));
    ASSERT_TRUE(mixer_.OpenDevice());
    output_.AwaitOpen();
  }

  // Renders seconds of sound through the output; returns whether any sample was not silent.
  bool RenderSeconds(double seconds) {
    size_t left = static_cast<size_t>(seconds * kRate);
    bool heard = false;
    std::vector<int16_t> buffer(4096 * 2);
    while (left > 0) {
      const size_t frames = std::min<size_t>(left, 4096);
      EXPECT_TRUE(output_.Pull(buffer.data(), frames));
      heard = heard || std::any_of(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(frames * 2),
                                   [](int16_t s) { return s != 0; });
      left -= frames;
    }
    return heard;
  }

  FakeOutput output_{true};
  Mixer mixer_{output_};
};

TEST_F(MixerTest, APlayingSongAdvancesOneOrderPerPatternOfRenderedTime) {
  EXPECT_EQ(output_.Rate(), kRate);
  ASSERT_TRUE(mixer_.Play(0.0f));
  EXPECT_EQ(mixer_.Order(), 0);
  EXPECT_TRUE(RenderSeconds(kSecondsPerOrder * 2 + 0.5));
  EXPECT_EQ(mixer_.Order(), 2);
}

TEST_F(MixerTest, VolumeZeroIsSilentButStillAdvances) {
  mixer_.Play(0.0f);
  ASSERT_TRUE(mixer_.SetVolume(0));
  EXPECT_FALSE(RenderSeconds(kSecondsPerOrder + 0.5));
  EXPECT_EQ(mixer_.Order(), 1);
}

TEST_F(MixerTest, NothingPlaysBeforePlayOrAfterStopOrFree) {
  EXPECT_FALSE(RenderSeconds(0.5));
  mixer_.Play(0.0f);
  RenderSeconds(kSecondsPerOrder + 0.5);
  ASSERT_TRUE(mixer_.Stop());
  EXPECT_FALSE(RenderSeconds(kSecondsPerOrder));
  EXPECT_EQ(mixer_.Order(), 1);
  // Playing again starts from the beginning.
  mixer_.Play(0.0f);
  EXPECT_EQ(mixer_.Order(), 0);
  // Freeing the playing song leaves silence and no song.
  ASSERT_TRUE(mixer_.Free());
  EXPECT_FALSE(RenderSeconds(0.5));
  EXPECT_EQ(mixer_.Order(), -1);
  EXPECT_FALSE(mixer_.Free());
}

TEST_F(MixerTest, APausedSongIsSilentAndHeldWhereItWasThenGoesOnFromThere) {
  mixer_.Play(0.0f);
  RenderSeconds(kSecondsPerOrder + 0.5);
  ASSERT_TRUE(mixer_.Pause(true));
  EXPECT_FALSE(RenderSeconds(kSecondsPerOrder * 2));
  EXPECT_EQ(mixer_.Order(), 1);
  ASSERT_TRUE(mixer_.Pause(false));
  // Half an order was left of the second pattern before the pause.
  EXPECT_TRUE(RenderSeconds(kSecondsPerOrder - 0.25));
  EXPECT_EQ(mixer_.Order(), 2);
}

TEST_F(MixerTest, ClosingStopsTheOutputOnceAndReopens) {
  EXPECT_FALSE(mixer_.OpenDevice());
  mixer_.CloseDevice();
  mixer_.CloseDevice();
  EXPECT_EQ(output_.Closes(), 1);
  int16_t sample[2];
  EXPECT_FALSE(output_.Pull(sample, 1));
  EXPECT_TRUE(mixer_.OpenDevice());
}

TEST(MixerWithoutSong, EveryCallFailsHarmlessly) {
  FakeOutput output(true);
  Mixer mixer(output);
  EXPECT_FALSE(mixer.Play(0.0f));
  EXPECT_FALSE(mixer.SetVolume(0));
  EXPECT_EQ(mixer.Order(), -1);
  EXPECT_FALSE(mixer.Stop());
  EXPECT_FALSE(mixer.Free());
  EXPECT_FALSE(mixer.Load({}));
  static const uint8_t garbage[64] = {1, 2, 3};
  EXPECT_FALSE(mixer.Load(garbage));
  EXPECT_FALSE(mixer.Play(0.0f));
  EXPECT_EQ(mixer.Order(), -1);
  ASSERT_TRUE(mixer.OpenDevice());
  output.AwaitOpen();
  std::vector<int16_t> buffer(512, 1);
  ASSERT_TRUE(output.Pull(buffer.data(), 256));
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int16_t s) { return s == 0; }));
}

// Reading ahead changes nothing Load answers: the prepared song is taken only for the same data.
TEST(MixerPrepared, LoadTakesThePreparedSongOnlyForTheSameData) {
  if (ShowModule().empty()) GTEST_SKIP() << "the program was built without its module";
  static const uint8_t garbage[64] = {1, 2, 3};
  FakeOutput output(true);
  Mixer other(output);
  other.Prepare(ShowModule());
  EXPECT_FALSE(other.Load(garbage));
  EXPECT_EQ(other.Order(), -1);

  Mixer mixer(output);
  mixer.Prepare(garbage);
  ASSERT_TRUE(mixer.Load(ShowModule()));
  mixer.Prepare(ShowModule());
  ASSERT_TRUE(mixer.Load(ShowModule()));
  ASSERT_TRUE(mixer.Play(0.0f));
  EXPECT_EQ(mixer.Order(), 0);
}

TEST(MixerWithoutDevice, SaysSoOnceAndTheSongStillAdvancesInRealTime) {
  if (ShowModule().empty()) GTEST_SKIP() << "the program was built without its module";
  FakeOutput output(false);
  Mixer mixer(output);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(mixer.OpenDevice());
  output.AwaitOpen();
  ASSERT_TRUE(mixer.Load(ShowModule()));
  ASSERT_TRUE(mixer.Play(0.0f));
  EXPECT_TRUE(mixer.SetVolume(0));
  EXPECT_EQ(mixer.Order(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(3900));
  EXPECT_EQ(mixer.Order(), 1);
  mixer.CloseDevice();
  EXPECT_EQ(output.Closes(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vesk: no audio device (the fake has none); the music plays silently\n");
}

TEST(MixerRealTime, FramesDueFollowTheClock) {
  using std::chrono::milliseconds;
  EXPECT_EQ(platform::FramesDue(milliseconds(0), kRate), 0u);
  EXPECT_EQ(platform::FramesDue(milliseconds(-5), kRate), 0u);
  EXPECT_EQ(platform::FramesDue(milliseconds(1000), kRate), 44100u);
  EXPECT_EQ(platform::FramesDue(milliseconds(10), kRate), 441u);
  EXPECT_EQ(platform::FramesDue(std::chrono::hours(1), kRate), 44100u * 3600u);
}

}  // namespace
