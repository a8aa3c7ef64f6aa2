// The module player in the browser: the module plays in the page's audio worklet, which reports its order back.
#include <emscripten/emscripten.h>

#include "platform/web/web.h"

// The page's audio (web/page.js): each call posts to the worklet; the order is the worklet's last report. The
// messages' keys are quoted, so that the glue's minifier leaves them as the page reads them.
// Waits (handing control back to the browser) until the page's sound runs, or until it plays silently instead.
EM_ASYNC_JS(int, vesk_web_sound_open, (), { return (await VeskAudio.open()) ? 1 : 0; });
EM_JS(void, vesk_web_sound_close, (), { VeskAudio.close(); });
EM_JS(void, vesk_web_song_load, (const void* data, int length), { VeskAudio.load(HEAPU8.slice(data, data + length)); });
EM_JS(void, vesk_web_song_play, (float separation), {
  VeskAudio.post({'type': 'pan', 'separation': separation});
  VeskAudio.play();
});
EM_JS(void, vesk_web_song_volume, (int volume), { VeskAudio.post({'type': 'volume', 'volume': volume}); });
EM_JS(int, vesk_web_song_order, (), { return VeskAudio.order(); });
EM_JS(void, vesk_web_song_stop, (), { VeskAudio.stop(); });
EM_JS(void, vesk_web_song_pause, (int paused), { VeskAudio.pause(paused != 0); });
EM_JS(void, vesk_web_song_free, (), { VeskAudio.post({'type': 'free'}); });

namespace platform {

bool WebMusic::OpenDevice() { return vesk_web_sound_open() != 0; }

void WebMusic::CloseDevice() { vesk_web_sound_close(); }

bool WebMusic::Load(std::span<const uint8_t> data) {
  if (data.empty()) return false;
  vesk_web_song_load(data.data(), static_cast<int>(data.size()));
  loaded_ = true;
  return true;
}

bool WebMusic::Play(float panSeparation) {
  if (loaded_) vesk_web_song_play(panSeparation);
  return loaded_;
}

bool WebMusic::SetVolume(int32_t volume) {
  if (loaded_) vesk_web_song_volume(volume);
  return loaded_;
}

int32_t WebMusic::Order() { return loaded_ ? vesk_web_song_order() : -1; }

bool WebMusic::Pause(bool paused) {
  if (loaded_) vesk_web_song_pause(paused ? 1 : 0);
  return loaded_;
}

bool WebMusic::Stop() {
  if (loaded_) vesk_web_song_stop();
  return loaded_;
}

bool WebMusic::Free() {
  if (!loaded_) return false;
  vesk_web_song_free();
  loaded_ = false;
  return true;
}

}  // namespace platform
