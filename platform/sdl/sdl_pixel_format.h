// Pixel formats between SDL and the video device: the depth a mode is counted at, and the texture the host packs into.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/video.h"

namespace sdlbackend {

// The bits a pixel occupies (a 32-bit pixel with 24 bits of colour counts 32; 5-5-5 counts 16) and its masks.
platform::PixelLayout DescribeFormat(uint32_t sdlFormat);

// The streaming-texture format whose memory layout is what the host packs for a surface of this format:
// 32 bits blue-green-red-unused, 24 bits blue-green-red, 16 bits 5-5-5 when green sits at bits 5 to 9, else 5-6-5.
uint32_t PackingTextureFormat(const platform::PixelLayout& format);

struct ModeEntry {
  SDL_DisplayMode mode;
  platform::PixelLayout layout;
};

// The display's modes as the video device offers them: once per size and pixel layout. SDL lists a mode again
// for each refresh rate, fastest first; the first one stays.
std::vector<ModeEntry> DistinctModes(const std::vector<SDL_DisplayMode>& modes);

}  // namespace sdlbackend
