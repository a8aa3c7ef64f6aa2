// The SDL sound service without an audio device: the music still advances in real time, silently.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/resources.h"
#include "platform/sound.h"

namespace {

TEST(SdlSoundWithoutDevice, TheModuleStillAdvancesInRealTime) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const platform::Resource module = platform::FindResource("XMFILE");
  if (module.data == nullptr) GTEST_SKIP() << "the program was built without its module";
  ASSERT_TRUE(platform::SoundInit(platform::kMixRate, platform::kSoftwareChannels, platform::kSoundGlobalFocus));
  EXPECT_FALSE(platform::SoundInit(platform::kMixRate, platform::kSoftwareChannels, 0));
  platform::Song* song = platform::LoadSongMemory(module.data, module.size);
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(platform::PlaySong(song));
  EXPECT_TRUE(platform::SetMasterVolume(song, 0));
  EXPECT_EQ(platform::GetOrder(song), 0);
  // One order lasts about 3.53 s.
  std::this_thread::sleep_for(std::chrono::milliseconds(3900));
  EXPECT_EQ(platform::GetOrder(song), 1);
  EXPECT_TRUE(platform::StopSong(song));
  EXPECT_TRUE(platform::FreeSong(song));
  platform::SoundClose();
  platform::SoundClose();
}

}  // namespace
