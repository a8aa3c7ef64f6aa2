// The ticker on a thread of its own, and SDL's audio device as the mixer's output.
#include <chrono>

#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace platform {

bool ThreadTicker::Start(int32_t periodMs, std::function<void()> tick) {
  if (periodMs <= 0 || !tick || thread_.joinable()) return false;
  stopping_ = false;
  thread_ = std::thread([this, period = std::chrono::milliseconds(periodMs), tick = std::move(tick)] {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_until(lock, deadline, [this] { return stopping_; })) {
      // The tick only adds to the clock, so running it with the lock held cannot deadlock, and it keeps Stop from
      // returning while a period is being delivered.
      tick();
      deadline = sdlbackend::NextPeriodDeadline(deadline, Clock::now(), period);
    }
  });
  return true;
}

void ThreadTicker::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

SdlAudioOutput::SdlAudioOutput() : owner_(std::this_thread::get_id()) {}

bool SdlAudioOutput::Open(int32_t rate, Render render, const char** why) {
  constexpr Uint16 kDeviceFrames = 1024;
  if (device_ != 0) return false;
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Vesk");
  render_ = std::move(render);
  SDL_AudioSpec wanted = {};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = kDeviceFrames;
  wanted.userdata = this;
  wanted.callback = [](void* self, Uint8* stream, int length) {
    static_cast<SdlAudioOutput*>(self)->render_(reinterpret_cast<int16_t*>(stream),
                                                static_cast<size_t>(length) / (2 * sizeof(int16_t)));
  };
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    // SDL converts whatever the device wants from exactly this format.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  if (device_ != 0) {
    SDL_PauseAudioDevice(device_, 0);
    sdlbackend::Trace("audio-device-open");
  } else {
    why_ = SDL_GetError();
    *why = why_.c_str();
    render_ = nullptr;
  }
  // SDL keeps per-thread data (its error text) for threads it did not start until told they are done with it.
  if (std::this_thread::get_id() != owner_) SDL_TLSCleanup();
  return device_ != 0;
}

void SdlAudioOutput::Close() {
  if (device_ == 0) return;
  // Closing waits for a render under way; none starts afterwards.
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  render_ = nullptr;
}

}  // namespace platform
