// The show's music: the order list and the 26 patterns of the song.
#pragma once

#include <cstdint>
#include <vector>

#include "xm_module.h"

namespace compose {

inline constexpr int kChannels = 16;
inline constexpr int kPatternCount = 26;
inline constexpr int kOrderCount = 42;
inline constexpr uint16_t kSpeed = 3;
inline constexpr uint16_t kTempo = 136;

struct Song {
  std::vector<uint8_t> orders;
  std::vector<Pattern> patterns;
};

Song ComposeSong();

// The whole module: song, instruments, and noise loops stretched so the file is exactly
// `totalBytes` long. Throws std::runtime_error if the song leaves too little room.
Module BuildModule(std::size_t totalBytes);

}  // namespace compose
