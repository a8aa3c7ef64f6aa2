// The module through the platform's player.
#include "host/show_music.h"

#include <algorithm>
#include <span>

#include "platform/resources.h"

namespace {

// The loader is told the module's fixed length, but never more than the resource holds.
std::span<const uint8_t> ModuleData() {
  const platform::Resource module = platform::FindResource(kModuleResourceName);
  return {module.data, module.data == nullptr ? 0 : std::min(kModuleBytes, module.size)};
}

}  // namespace

void ShowMusic::Load() { player_.Load(ModuleData()); }

void ShowMusic::Prepare() { player_.Prepare(ModuleData()); }

void ShowMusic::Start(bool soundOn) {
  player_.Play(0.0f);
  if (!soundOn) player_.SetVolume(0);
}

void ShowMusic::Poll() {
  order_ = player_.Order();
  ++polls_;
}
