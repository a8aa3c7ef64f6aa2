// The module player of the page's audio worklet: the same player as the other backends, behind a few C calls.
#include <emscripten/emscripten.h>

#include <memory>
#include <vector>

#include "platform/openmpt/module_player.h"
#include "platform/music.h"

namespace {

std::unique_ptr<platform::ModulePlayer> player;
std::vector<uint8_t> moduleBytes;
std::vector<int16_t> samples;

}  // namespace

extern "C" {

// Room for the module's bytes, which the worklet copies in before loading.
EMSCRIPTEN_KEEPALIVE uint8_t* vesk_player_module_buffer(int size) {
  moduleBytes.assign(static_cast<size_t>(size > 0 ? size : 0), 0);
  return moduleBytes.data();
}

EMSCRIPTEN_KEEPALIVE int vesk_player_load() {
  player = platform::ModulePlayer::Load(moduleBytes.data(), moduleBytes.size());
  return player != nullptr ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void vesk_player_free() { player.reset(); }

EMSCRIPTEN_KEEPALIVE void vesk_player_set_pan_separation(float separation) {
  if (player) player->SetPanSeparation(separation);
}

EMSCRIPTEN_KEEPALIVE void vesk_player_set_volume(int volume) {
  if (player) player->SetVolume(volume);
}

EMSCRIPTEN_KEEPALIVE void vesk_player_rewind() {
  if (player) player->Rewind();
}

EMSCRIPTEN_KEEPALIVE int vesk_player_order() { return player ? player->CurrentOrder() : -1; }

// Renders frames stereo frames at the show's mix rate; returns the interleaved 16-bit samples.
EMSCRIPTEN_KEEPALIVE const int16_t* vesk_player_render(int frames) {
  samples.assign(2 * static_cast<size_t>(frames > 0 ? frames : 0), 0);
  if (player) player->Render(platform::kMixRate, samples.data(), static_cast<size_t>(frames));
  return samples.data();
}

}  // extern "C"
