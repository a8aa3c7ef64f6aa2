// The module player: loading, mono at separation 0, silence that still advances, rewinding.
#include "platform/openmpt/module_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/resources.h"

namespace {

constexpr int32_t kRate = 44100;

std::unique_ptr<platform::ModulePlayer> LoadShowModule() {
  const platform::Resource r = platform::FindResource("xmfile");
  return platform::ModulePlayer::Load(r.data, r.size);
}

TEST(ModulePlayer, WhatIsNotAModuleDoesNotLoad) {
  const std::vector<uint8_t> junk(1000, 0x5A);
  EXPECT_EQ(platform::ModulePlayer::Load(junk.data(), junk.size()), nullptr);
  EXPECT_EQ(platform::ModulePlayer::Load(nullptr, 0), nullptr);
}

TEST(ModulePlayer, NoSeparationIsMonoAndTheOrderAdvances) {
  auto player = LoadShowModule();
  ASSERT_NE(player, nullptr);
  player->SetPanSeparation(0.0f);
  EXPECT_EQ(player->CurrentOrder(), 0);
  std::vector<int16_t> samples(2 * kRate);
  bool sound = false;
  for (int second = 0; second < 8; ++second) {
    EXPECT_EQ(player->Render(kRate, samples.data(), kRate), static_cast<size_t>(kRate));
    for (int i = 0; i < kRate; ++i) {
      ASSERT_EQ(samples[2 * i], samples[2 * i + 1]);
      sound = sound || samples[2 * i] != 0;
    }
  }
  EXPECT_TRUE(sound);
  // One order is 64 rows of 3 ticks at tempo 136, about 3.5 s.
  EXPECT_EQ(player->CurrentOrder(), 2);
  player->Rewind();
  EXPECT_EQ(player->CurrentOrder(), 0);
}

TEST(ModulePlayer, SilencedItKeepsTheSamePace) {
  auto loud = LoadShowModule();
  auto quiet = LoadShowModule();
  quiet->SetVolume(0);
  std::vector<int16_t> a(2 * 4096), b(2 * 4096);
  for (int block = 0; block < 200; ++block) {
    loud->Render(kRate, a.data(), 4096);
    quiet->Render(kRate, b.data(), 4096);
    for (int16_t s : b) ASSERT_EQ(s, 0);
    ASSERT_EQ(loud->CurrentOrder(), quiet->CurrentOrder()) << block;
  }
  EXPECT_GT(quiet->CurrentOrder(), 3);
}

TEST(ModulePlayer, TheSameModuleRendersTheSameSamples) {
  auto one = LoadShowModule();
  auto two = LoadShowModule();
  std::vector<int16_t> a(2 * kRate), b(2 * kRate);
  one->Render(kRate, a.data(), kRate);
  two->Render(kRate, b.data(), kRate);
  EXPECT_EQ(a, b);
}

}  // namespace
