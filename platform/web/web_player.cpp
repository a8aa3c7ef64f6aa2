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
std::vector<float> planar;

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

// Renders frames stereo frames at the show's mix rate; returns them as the audio output takes them: the left
// channel's samples, then the right's, each 16-bit sample over 32768.
EMSCRIPTEN_KEEPALIVE const float* vesk_player_render(int frames) {
  const size_t count = static_cast<size_t>(frames > 0 ? frames : 0);
  samples.assign(2 * count, 0);
  planar.resize(2 * count);
  if (player) player->Render(platform::kMixRate, samples.data(), count);
  for (size_t i = 0; i < count; ++i) {
    planar[i] = static_cast<float>(samples[2 * i]) / 32768.0f;
    planar[count + i] = static_cast<float>(samples[2 * i + 1]) / 32768.0f;
  }
  return planar.data();
}

}  // extern "C"
