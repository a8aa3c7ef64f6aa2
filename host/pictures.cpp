// The picture hooks: a stored picture shown on the grey ramp, frame after frame, for four orders of the music.
#include "host/pictures.h"

#include <cstring>

#include "core/interface_block.h"
#include "display/presentation.h"
#include "host/music.h"
#include "host/present_source.h"
#include "platform/resources.h"

namespace {

// Four orders at the module's nominal timing: 64 rows of 3 ticks, a tick being 2.5 / 136 s.
constexpr uint64_t kRowsPerOrder = 64;
constexpr uint64_t kTicksPerRow = 3;
constexpr uint64_t kTempo = 136;
constexpr uint64_t kCounterPerSecond = uint64_t{kCounterPerPeriod} * 1000 / kTimerPeriodMs;

void ShowPicture(int n, const char* name) {
  const platform::Resource resource = platform::FindResource(name);
  // A missing or short resource shows as black rather than reading past its end.
  const uint8_t* pixels =
      resource.data != nullptr && resource.size >= kPictureBytes ? resource.data + kPicturePixelOffset : nullptr;
  presentSource = static_cast<PresentSource>(kSourcePicture1 + n - 1);
  PollMusicPosition();
  const int32_t start = musicOrder;
  int32_t lastOrder = musicOrder;
  uint32_t unchangedSince = ReadTimeCounter();
  while (musicOrder < start + kOrdersPerPicture) {
    // Only the blue byte of each stored pixel is used, as a grey level; the first stored row is the top.
    if (pixels != nullptr) {
      for (int i = 0; i < kFrameBytes; ++i) frameBuffer[i] = pixels[3 * i];
    } else {
      std::memset(frameBuffer, 0, kFrameBytes);
    }
    SetGreyPalette();
    PollMusicPosition();
    if (musicOrder != lastOrder) {
      lastOrder = musicOrder;
      unchangedSince = ReadTimeCounter();
    }
    PresentFrame();
    if (FourOrdersElapsed(ReadTimeCounter() - unchangedSince)) break;
  }
  presentSource = kSourceCore;
}

}  // namespace

bool FourOrdersElapsed(uint32_t counterUnits) {
  // units / kCounterPerSecond >= 4 * 64 * 3 * 2.5 / 136, in whole numbers.
  return uint64_t{counterUnits} * kTempo * 2 >=
         kCounterPerSecond * kOrdersPerPicture * kRowsPerOrder * kTicksPerRow * 5;
}

void ShowPicture1() { ShowPicture(1, "olkpic1"); }
void ShowPicture2() { ShowPicture(2, "olkpic2"); }
void ShowPicture3() { ShowPicture(3, "olkpic3"); }
void ShowPicture4() { ShowPicture(4, "olkpic4"); }

void SetGreyPalette() {
  for (int i = 0; i < kPaletteEntries; ++i) {
    const uint8_t level = static_cast<uint8_t>(i / 4);
    palette[3 * i + 0] = level;
    palette[3 * i + 1] = level;
    palette[3 * i + 2] = level;
  }
}
