// The sound device and the tracker module: exactly the calls the host makes, over a sound library.
#pragma once

#include <cstdint>

namespace platform {

struct Song;  // a loaded module, defined by each backend

inline constexpr int32_t kMixRate = 44100;
inline constexpr int32_t kSoftwareChannels = 32;
inline constexpr uint32_t kSoundGlobalFocus = 2;
inline constexpr int32_t kMaxMasterVolume = 256;

// Opens the sound device; false on failure (the host does not check).
bool SoundInit(int32_t mixRate, int32_t channels, uint32_t flags);
void SoundClose();

// Loads a module from memory; null when it cannot be loaded. The data must outlive the song.
Song* LoadSongMemory(const void* data, uint32_t length);
// Every call below accepts a null song, does nothing with it and returns false (GetOrder: -1).
// separation 0.0 plays every channel in the centre, 1.0 at the module's full panning.
bool SetPanSeparation(Song* song, float separation);
// Starts the module from its beginning.
bool PlaySong(Song* song);
// 0 silences the module while it keeps playing and advancing; kMaxMasterVolume is full volume.
bool SetMasterVolume(Song* song, int32_t volume);
// The order number the module is playing now.
int32_t GetOrder(Song* song);
bool StopSong(Song* song);
bool FreeSong(Song* song);

}  // namespace platform
