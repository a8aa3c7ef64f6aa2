// The sound layer in the browser: the module plays in the page's audio worklet, which reports its order back.
#include <emscripten/emscripten.h>

#include "platform/sound.h"

// The page's audio (web/page.js): each call posts to the worklet; the order is the worklet's last report.
EM_JS(int, vesk_web_sound_open, (), { return VeskAudio.open() ? 1 : 0; });
EM_JS(void, vesk_web_sound_close, (), { VeskAudio.close(); });
EM_JS(int, vesk_web_song_load, (const void* data, int length), {
  return VeskAudio.load(HEAPU8.slice(data, data + length)) ? 1 : 0;
});
EM_JS(void, vesk_web_song_pan, (float separation), { VeskAudio.post({type: 'pan', separation: separation}); });
EM_JS(void, vesk_web_song_play, (), { VeskAudio.play(); });
EM_JS(void, vesk_web_song_volume, (int volume), { VeskAudio.post({type: 'volume', volume: volume}); });
EM_JS(int, vesk_web_song_order, (), { return VeskAudio.order(); });
EM_JS(void, vesk_web_song_stop, (), { VeskAudio.stop(); });
EM_JS(void, vesk_web_song_free, (), { VeskAudio.post({type: 'free'}); });

namespace platform {

// The one song; its engine lives in the worklet.
struct Song {
  bool loaded = false;
};

namespace {

Song theSong;

bool IsLoaded(Song* song) { return song == &theSong && theSong.loaded; }

}  // namespace

bool SoundInit(int32_t, int32_t, uint32_t) { return vesk_web_sound_open() != 0; }
void SoundClose() { vesk_web_sound_close(); }

Song* LoadSongMemory(const void* data, uint32_t length) {
  if (data == nullptr || length == 0 || vesk_web_song_load(data, static_cast<int>(length)) == 0) return nullptr;
  theSong.loaded = true;
  return &theSong;
}

bool SetPanSeparation(Song* song, float separation) {
  if (!IsLoaded(song)) return false;
  vesk_web_song_pan(separation);
  return true;
}

bool PlaySong(Song* song) {
  if (!IsLoaded(song)) return false;
  vesk_web_song_play();
  return true;
}

bool SetMasterVolume(Song* song, int32_t volume) {
  if (!IsLoaded(song)) return false;
  vesk_web_song_volume(volume);
  return true;
}

int32_t GetOrder(Song* song) {
  if (!IsLoaded(song)) return -1;
  return vesk_web_song_order();
}

bool StopSong(Song* song) {
  if (!IsLoaded(song)) return false;
  vesk_web_song_stop();
  return true;
}

bool FreeSong(Song* song) {
  if (!IsLoaded(song)) return false;
  vesk_web_song_free();
  theSong.loaded = false;
  return true;
}

}  // namespace platform
