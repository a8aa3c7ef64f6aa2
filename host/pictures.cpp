// The pictures of the interlude: stored grey images on the grey ramp.
#include "host/pictures.h"

#include <cstring>

#include "core/interface_block.h"
#include "platform/resources.h"

namespace {

// Four orders at the module's nominal timing: 64 rows of 3 ticks, a tick being 2.5 / 136 s.
constexpr uint64_t kRowsPerOrder = 64;
constexpr uint64_t kTicksPerRow = 3;
constexpr uint64_t kTempo = 136;
constexpr uint64_t kCounterPerSecond = uint64_t{kCounterPerPeriod} * 1000 / kTimerPeriodMs;

}  // namespace

const uint8_t* PicturePixels(int n) {
  static const char* const kNames[] = {"olkpic1", "olkpic2", "olkpic3", "olkpic4"};
  const platform::Resource resource = platform::FindResource(kNames[n - 1]);
  return resource.data != nullptr && resource.size >= kPictureBytes ? resource.data + kPicturePixelOffset : nullptr;
}

void DrawPicture(const uint8_t* pixels) {
  if (pixels == nullptr) {
    std::memset(frameBuffer, 0, kFrameBytes);
    return;
  }
  for (int i = 0; i < kFrameBytes; ++i) frameBuffer[i] = pixels[3 * i];
}

bool FourOrdersElapsed(uint32_t counterUnits) {
  // units / kCounterPerSecond >= 4 * 64 * 3 * 2.5 / 136, in whole numbers.
  return uint64_t{counterUnits} * kTempo * 2 >=
         kCounterPerSecond * kOrdersPerPicture * kRowsPerOrder * kTicksPerRow * 5;
}

void SetGreyPalette() {
  for (int i = 0; i < kPaletteEntries; ++i) {
    const uint8_t level = static_cast<uint8_t>(i / 4);
    palette[3 * i + 0] = level;
    palette[3 * i + 1] = level;
    palette[3 * i + 2] = level;
  }
}
