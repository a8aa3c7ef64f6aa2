// Depth and masks of SDL pixel formats, the packing texture of a surface, and the display's distinct modes.
#include "platform/sdl/sdl_internal.h"

namespace sdlbackend {

namespace {

// Green at bits 5 to 9: the 5-5-5 layout.
constexpr uint32_t kFiveBitGreenMask = 0x3E0;

bool SameLayout(const platform::PixelLayout& a, const platform::PixelLayout& b) {
  return a.bitsPerPixel == b.bitsPerPixel && a.redMask == b.redMask && a.greenMask == b.greenMask &&
         a.blueMask == b.blueMask;
}

}  // namespace

platform::PixelLayout DescribeFormat(uint32_t sdlFormat) {
  if (sdlFormat == SDL_PIXELFORMAT_UNKNOWN || SDL_ISPIXELFORMAT_FOURCC(sdlFormat)) return {0, 0, 0, 0};
  if (SDL_ISPIXELFORMAT_INDEXED(sdlFormat)) {
    return {static_cast<int32_t>(SDL_BITSPERPIXEL(sdlFormat)), 0, 0, 0};
  }
  int bits = 0;
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  if (SDL_PixelFormatEnumToMasks(sdlFormat, &bits, &red, &green, &blue, &alpha) != SDL_TRUE) return {0, 0, 0, 0};
  // SDL counts the colour bits (24 for 8-8-8 in 32-bit pixels, 15 for 5-5-5); the video device counts the
  // bits each pixel takes in memory.
  return {static_cast<int32_t>(SDL_BYTESPERPIXEL(sdlFormat) * 8), red, green, blue};
}

uint32_t PackingTextureFormat(const platform::PixelLayout& layout) {
  switch (layout.bitsPerPixel) {
    case 24:
      return SDL_PIXELFORMAT_BGR24;
    case 16:
      return layout.greenMask == kFiveBitGreenMask ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    default:
      // 32 bits, and any depth the host writes nothing into.
      return SDL_PIXELFORMAT_RGB888;
  }
}

std::vector<ModeEntry> DistinctModes(const std::vector<SDL_DisplayMode>& modes) {
  std::vector<ModeEntry> distinct;
  for (const SDL_DisplayMode& mode : modes) {
    const platform::PixelLayout format = DescribeFormat(mode.format);
    bool seen = false;
    for (const ModeEntry& entry : distinct) {
      seen = seen || (entry.mode.w == mode.w && entry.mode.h == mode.h && SameLayout(entry.layout, format));
    }
    if (!seen) distinct.push_back({mode, format});
  }
  return distinct;
}

}  // namespace sdlbackend
