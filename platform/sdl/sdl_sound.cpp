// The sound service over SDL audio: the mixer feeds the device from its callback, or, with no device, renders and
// discards in real time on a thread so that the music's order still advances.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/song_mixer.h"
#include "platform/sound.h"

namespace {


constexpr Uint16 kDeviceFrames = 1024;

struct SoundState {
  sdlbackend::SongMixer mixer;
  int32_t rate = platform::kMixRate;
  bool open = false;
  // Opens the device, or, when there is none, renders and discards in its place until closing.
  std::thread output;
  std::atomic<bool> closing{false};
  SDL_AudioDeviceID device = 0;  // written by the output thread, read after it has been joined
};

// Never destroyed: the exit handler may close the device after other statics are gone.
SoundState& State() {
  static SoundState* state = new SoundState;
  return *state;
}

void FeedDevice(void* userdata, Uint8* stream, int length) {
  auto* state = static_cast<SoundState*>(userdata);
  const size_t frames = static_cast<size_t>(length) / (2 * sizeof(int16_t));
  state->mixer.Render(state->rate, reinterpret_cast<int16_t*>(stream), frames);
}

SDL_AudioDeviceID OpenDevice(SoundState* state) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  SDL_AudioSpec wanted = {};
  wanted.freq = state->rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = kDeviceFrames;
  wanted.callback = FeedDevice;
  wanted.userdata = state;
  SDL_AudioSpec obtained = {};
  // SDL converts whatever the device wants from exactly this format.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return device;
}

// Probing the audio drivers can take a good part of a second, so it happens beside the rest of start-up; the
// mixer takes the host's calls meanwhile, and the song sounds (or advances silently) from the first output on.
void RunOutput(SoundState* state) {
  const SDL_AudioDeviceID device = OpenDevice(state);
  if (device != 0) {
    state->device = device;
    SDL_PauseAudioDevice(device, 0);
    sdlbackend::Trace("audio-device-open");
  } else {
    std::fprintf(stderr, "vesk: no audio device (%s); the music plays silently\n", SDL_GetError());
    state->mixer.RenderUnheardInRealTime(state->rate, state->closing);
  }
  // SDL keeps per-thread data (its error text) for threads it did not start until told they end.
  SDL_TLSCleanup();
}

void CloseOutput() {
  SoundState& state = State();
  if (!state.open) return;
  state.closing = true;
  if (state.output.joinable()) state.output.join();
  if (state.device != 0) {
    SDL_CloseAudioDevice(state.device);
    state.device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  state.open = false;
}

}  // namespace

namespace platform {

bool SoundInit(int32_t mixRate, int32_t /*channels*/, uint32_t /*flags*/) {
  SoundState& state = State();
  if (state.open) return false;
  static bool closeAtExit = false;
  if (!closeAtExit) {
    std::atexit(CloseOutput);
    closeAtExit = true;
  }
  state.rate = mixRate > 0 ? mixRate : kMixRate;
  state.open = true;
  state.closing = false;
  state.output = std::thread(RunOutput, &state);
  sdlbackend::Trace("sound-started");
  return true;
}

void SoundClose() { CloseOutput(); }

Song* LoadSongMemory(const void* data, uint32_t length) {
  Song* song = State().mixer.Load(data, length);
  sdlbackend::Trace("song-loaded");
  return song;
}
bool SetPanSeparation(Song* song, float separation) { return State().mixer.SetPanSeparation(song, separation); }
bool PlaySong(Song* song) { return State().mixer.Play(song); }
bool SetMasterVolume(Song* song, int32_t volume) {
  if (sdlbackend::TraceEnabled()) sdlbackend::Trace(("master-volume " + std::to_string(volume)).c_str());
  return State().mixer.SetVolume(song, volume);
}
int32_t GetOrder(Song* song) { return State().mixer.Order(song); }
bool StopSong(Song* song) { return State().mixer.Stop(song); }
bool FreeSong(Song* song) { return State().mixer.Free(song); }

}  // namespace platform
