// Where the module's order changes when it is rendered in blocks, as the page's audio worklet renders it.
//
//   vesk-order-points MODULE BLOCK_FRAMES
//
// Prints "order frame" for every change seen after a block, frame counting the stereo frames rendered so far at
// the show's mix rate, over the module's first pass.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/openmpt/module_player.h"
#include "platform/music.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vesk-order-points MODULE BLOCK_FRAMES\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<char> module((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto player = platform::ModulePlayer::Load(module.data(), module.size());
  const long block = std::strtol(argv[2], nullptr, 10);
  if (!player || block <= 0) {
    std::fprintf(stderr, "vesk-order-points: cannot read the module or the block size\n");
    return 1;
  }
  player->SetPanSeparation(0.0f);
  player->Rewind();
  std::vector<int16_t> samples(2 * static_cast<size_t>(block));
  int32_t last = player->CurrentOrder();
  constexpr long kFrames = 200L * platform::kMixRate;  // longer than the show
  for (long frames = block; frames <= kFrames; frames += block) {
    player->Render(platform::kMixRate, samples.data(), static_cast<size_t>(block));
    const int32_t order = player->CurrentOrder();
    if (order != last) {
      last = order;
      std::printf("%d %ld\n", order, frames);
    }
  }
  return 0;
}
