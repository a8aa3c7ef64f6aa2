// The start-up work done before the music starts: name images, ring texture, polar tables,
// displacement map and the random seed.
#include <cstring>

#include "core/image_effects.h"
#include "core/palette_random.h"
#include "core/scenes.h"
#include "core/show_state.h"
#include "core/text_glow.h"
#include "core/text_records.h"

namespace {

constexpr int kDisplacementPasses = 100;
// The state the generator reaches from the seed 10 after 1,230,768 calls.
constexpr uint32_t kShowSeed = 0xF590033Au;

struct NameRender {
  uint8_t* image;
  ScreenPoint centre;
  int16_t angles[3];
  TextRecordId record;
  int glowPasses;
};

}  // namespace

void PrepareShowTables() {
  ScreenCentre = {160, 100};
  DepthOffset = 0;

  const NameRender names[] = {
      {NameImage1, {200, 60}, {40, 180, 90}, NameRecord1, 30},
      {NameImage2, {240, 130}, {45, 180, 65}, NameRecord2, 35},
      {NameImage3, {160, 100}, {130, 180, 60}, NameRecord3, 30},
  };
  for (const NameRender& n : names) {
    ScreenCentre = n.centre;
    for (int i = 0; i < 3; ++i) RotationAngles[i] = n.angles[i];
    RenderTextLine(LoadTextRecord(n.record), n.glowPasses, n.image);
  }

  BuildRingTexture();
  BuildPolarTables();

  std::memset(DisplacementMap, 0, kPlaneBytes);
  for (int pass = 0; pass < kDisplacementPasses; ++pass) FireDecay(DisplacementMap, kPlaneBytes);

  RandomSeed = kShowSeed;
}
