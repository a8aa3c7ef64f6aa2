// The module player over libopenmpt's C interface; no libopenmpt type leaves this file.
#include "platform/openmpt/module_player.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

struct ModulePlayer::Engine {
  openmpt_module* module = nullptr;
  ~Engine() {
    if (module != nullptr) openmpt_module_destroy(module);
  }
};

namespace {
constexpr int32_t kFullVolume = 256;
constexpr int32_t kLoopForever = -1;
}  // namespace

std::unique_ptr<ModulePlayer> ModulePlayer::Load(const void* data, size_t size) {
  if (data == nullptr || size == 0) return nullptr;
  auto engine = std::make_unique<Engine>();
  engine->module = openmpt_module_create_from_memory2(data, size, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      nullptr, nullptr);
  if (engine->module == nullptr) return nullptr;
  openmpt_module_set_repeat_count(engine->module, kLoopForever);
  // No dither: the same module renders the same samples every time, and a centred channel is truly mono.
  openmpt_module_ctl_set_integer(engine->module, "dither", 0);
  return std::unique_ptr<ModulePlayer>(new ModulePlayer(std::move(engine)));
}

ModulePlayer::ModulePlayer(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}
ModulePlayer::~ModulePlayer() = default;

void ModulePlayer::SetPanSeparation(float separation) {
  const float clamped = std::clamp(separation, 0.0f, 1.0f);
  openmpt_module_set_render_param(engine_->module, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT,
                                  static_cast<int32_t>(std::lround(clamped * 100.0f)));
}

void ModulePlayer::SetVolume(int32_t volume) { volume_ = std::clamp(volume, 0, kFullVolume); }

void ModulePlayer::SetSoundUnheard(bool unheard) {
  // 0 is libopenmpt's default filter.
  openmpt_module_set_render_param(engine_->module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, unheard ? 1 : 0);
}

void ModulePlayer::Rewind() { openmpt_module_set_position_order_row(engine_->module, 0, 0); }

int32_t ModulePlayer::CurrentOrder() const { return openmpt_module_get_current_order(engine_->module); }

size_t ModulePlayer::Render(int32_t rate, int16_t* interleaved, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    const size_t got =
        openmpt_module_read_interleaved_stereo(engine_->module, rate, frames - done, interleaved + 2 * done);
    if (got == 0) break;
    done += got;
  }
  if (done < frames) std::memset(interleaved + 2 * done, 0, (frames - done) * 2 * sizeof(int16_t));
  if (volume_ != kFullVolume) {
    for (size_t i = 0; i < 2 * done; ++i) {
      interleaved[i] = static_cast<int16_t>(interleaved[i] * volume_ / kFullVolume);
    }
  }
  return done;
}

}  // namespace platform
