// The ticker on its own thread, and SDL's audio device as an output: pulled while open, never after closing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/music.h"
#include "platform/sdl/sdl_platform.h"

namespace {

using std::chrono::milliseconds;

TEST(ThreadTicker, TicksEveryPeriodUntilStoppedAndNeverAfter) {
  std::atomic<uint32_t> ticks{0};
  platform::ThreadTicker ticker;
  ASSERT_TRUE(ticker.Start(20, [&ticks] { ticks.fetch_add(1); }));
  EXPECT_FALSE(ticker.Start(20, [] {}));
  std::this_thread::sleep_for(milliseconds(210));
  ticker.Stop();
  const uint32_t delivered = ticks.load();
  // Ten periods fit; a loaded machine may deliver fewer, never more.
  EXPECT_GE(delivered, 5u);
  EXPECT_LE(delivered, 11u);
  std::this_thread::sleep_for(milliseconds(60));
  EXPECT_EQ(ticks.load(), delivered);
  ticker.Stop();
}

TEST(ThreadTicker, RefusesWhatItCannotDo) {
  platform::ThreadTicker ticker;
  EXPECT_FALSE(ticker.Start(20, nullptr));
  EXPECT_FALSE(ticker.Start(0, [] {}));
  ticker.Stop();
}

TEST(SdlAudioOutput, WithoutADeviceSaysWhy) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  platform::SdlAudioOutput output;
  const char* why = nullptr;
  EXPECT_FALSE(output.Open(platform::kMixRate, [](int16_t*, size_t) {}, &why));
  ASSERT_NE(why, nullptr);
  EXPECT_FALSE(std::string(why).empty());
  output.Close();
}

TEST(SdlAudioOutput, RendersWhileOpenAndNotAfterClosing) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::SdlAudioOutput output;
  std::atomic<size_t> frames{0};
  const char* why = nullptr;
  // Opened from a thread of its own, as the mixer does.
  bool opened = false;
  std::thread([&] {
    opened = output.Open(platform::kMixRate, [&frames](int16_t* samples, size_t count) {
      samples[2 * count - 1] = 0;
      frames.fetch_add(count);
    }, &why);
  }).join();
  ASSERT_TRUE(opened) << why;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (frames.load() < 4096 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  EXPECT_GE(frames.load(), 4096u);
  output.Close();
  const size_t closed = frames.load();
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(frames.load(), closed);
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
