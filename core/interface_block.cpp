// Storage of the record shared by the host and the intro core.
#include "core/interface_block.h"

#include <cstring>

InterfaceBlock interfaceBlock;
uint8_t* frameBuffer = nullptr;
uint8_t palette[kPaletteBytes] = {};

void ResetInterfaceBlock() {
  interfaceBlock.windowed = 0;
  interfaceBlock.soundOn = 1;
  interfaceBlock.loopRequested = 0;
  interfaceBlock.timeCounter.store(0, std::memory_order_relaxed);
  interfaceBlock.modeCount = 0;
  for (HookOperation& hook : interfaceBlock.hooks) hook = nullptr;
  std::memset(palette, 0, sizeof palette);
}
