// Pixel formats between SDL and the video device: depths as the display counts them, packing textures, modes.
#include "platform/sdl/sdl_internal.h"

#include <gtest/gtest.h>

namespace {

using sdlbackend::DescribeFormat;
using sdlbackend::DistinctModes;
using sdlbackend::PackingTextureFormat;

TEST(SdlPixelFormatDepth, CountsTheBitsAPixelOccupiesNotItsColourBits) {
  const platform::PixelLayout xrgb = DescribeFormat(SDL_PIXELFORMAT_RGB888);
  EXPECT_EQ(xrgb.bitsPerPixel, 32);
  EXPECT_EQ(xrgb.redMask, 0xFF0000u);
  EXPECT_EQ(xrgb.greenMask, 0xFF00u);
  EXPECT_EQ(xrgb.blueMask, 0xFFu);

  const platform::PixelLayout fiveFiveFive = DescribeFormat(SDL_PIXELFORMAT_RGB555);
  EXPECT_EQ(fiveFiveFive.bitsPerPixel, 16);
  EXPECT_EQ(fiveFiveFive.greenMask, 0x3E0u);

  const platform::PixelLayout fiveSixFive = DescribeFormat(SDL_PIXELFORMAT_RGB565);
  EXPECT_EQ(fiveSixFive.bitsPerPixel, 16);
  EXPECT_EQ(fiveSixFive.greenMask, 0x7E0u);

  const platform::PixelLayout packed24 = DescribeFormat(SDL_PIXELFORMAT_BGR24);
  EXPECT_EQ(packed24.bitsPerPixel, 24);
  EXPECT_EQ(packed24.blueMask, 0xFFu);
}

TEST(SdlPixelFormatDepth, IndexedAndUnknownFormatsGetDepthsTheModeListSkips) {
  EXPECT_EQ(DescribeFormat(SDL_PIXELFORMAT_INDEX8).bitsPerPixel, 8);
  EXPECT_EQ(DescribeFormat(SDL_PIXELFORMAT_UNKNOWN).bitsPerPixel, 0);
  EXPECT_EQ(DescribeFormat(SDL_PIXELFORMAT_YV12).bitsPerPixel, 0);
}

TEST(SdlPixelFormatPacking, TextureLayoutMatchesWhatTheHostPacks) {
  // 32 bits: blue in the lowest byte, a fourth byte the texture ignores.
  EXPECT_EQ(PackingTextureFormat(DescribeFormat(SDL_PIXELFORMAT_RGB888)), SDL_PIXELFORMAT_RGB888);
  EXPECT_EQ(PackingTextureFormat(DescribeFormat(SDL_PIXELFORMAT_ARGB8888)), SDL_PIXELFORMAT_RGB888);
  // 24 bits: bytes blue, green, red, whatever order the display keeps them in.
  EXPECT_EQ(PackingTextureFormat(DescribeFormat(SDL_PIXELFORMAT_RGB24)), SDL_PIXELFORMAT_BGR24);
  // 16 bits: red always in the top field, green five bits wide only at bits 5 to 9.
  EXPECT_EQ(PackingTextureFormat(DescribeFormat(SDL_PIXELFORMAT_RGB555)), SDL_PIXELFORMAT_RGB555);
  EXPECT_EQ(PackingTextureFormat(DescribeFormat(SDL_PIXELFORMAT_RGB565)), SDL_PIXELFORMAT_RGB565);
  EXPECT_EQ(PackingTextureFormat(DescribeFormat(SDL_PIXELFORMAT_BGR565)), SDL_PIXELFORMAT_RGB565);
}

SDL_DisplayMode Mode(int w, int h, Uint32 format, int refresh) { return {format, w, h, refresh, nullptr}; }

TEST(SdlDistinctModes, EachSizeAndLayoutOnceInTheDisplaysOrder) {
  const std::vector<SDL_DisplayMode> listed = {
      Mode(1920, 1080, SDL_PIXELFORMAT_RGB888, 144), Mode(1920, 1080, SDL_PIXELFORMAT_RGB888, 60),
      Mode(1280, 720, SDL_PIXELFORMAT_RGB888, 60),   Mode(1280, 720, SDL_PIXELFORMAT_RGB565, 60),
      Mode(1280, 720, SDL_PIXELFORMAT_RGB555, 60),   Mode(1280, 720, SDL_PIXELFORMAT_RGB565, 50),
  };
  const std::vector<sdlbackend::ModeEntry> distinct = DistinctModes(listed);
  ASSERT_EQ(distinct.size(), 4u);
  // The first listing of a mode, its fastest rate, is the one kept.
  EXPECT_EQ(distinct[0].mode.refresh_rate, 144);
  EXPECT_EQ(distinct[1].mode.w, 1280);
  EXPECT_EQ(distinct[1].layout.bitsPerPixel, 32);
  EXPECT_EQ(distinct[2].layout.greenMask, 0x7E0u);
  EXPECT_EQ(distinct[3].layout.greenMask, 0x3E0u);
  EXPECT_TRUE(DistinctModes({}).empty());
}

}  // namespace
