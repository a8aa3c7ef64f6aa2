// Pixels through the SDL backend and back: a known picture packed in each layout the host writes, presented at its
// 4:3 place in a 16:10 window, read back from the renderer with colours and positions checked, bars included.
// Run on the software renderer and, where a GL context can be made, on the GL one. And which GL drivers count as
// rasterising on the CPU, which decides between the two.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "display/pixel_conversion.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace {

using platform::PixelLayout;

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 400;
// The largest 4:3 rectangle in 640 x 400: 533 x 400, starting at column 53.
constexpr int kLeft = 53;
constexpr int kRight = 586;

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb kWhite = {252, 252, 252};
constexpr Rgb kRed = {252, 0, 0};
constexpr Rgb kGreen = {0, 252, 0};
constexpr Rgb kBlue = {0, 0, 252};

// The picture: white first and last columns; red on the left; blue top right; green bottom right.
Rgb PictureAt(int x, int y) {
  if (x == 0 || x == 319) return kWhite;
  if (x < 160) return kRed;
  return y < 100 ? kBlue : kGreen;
}

struct Layout {
  const char* name;
  PixelLayout layout;
  int32_t greenWidth;
};

const Layout kLayouts[] = {
    {"32-bit", {32, 0xFF0000, 0xFF00, 0xFF}, 1},
    {"24-bit", {24, 0xFF0000, 0xFF00, 0xFF}, 1},
    {"5-6-5", {16, 0xF800, 0x7E0, 0x1F}, 1},
    {"5-5-5", {16, 0x7C00, 0x3E0, 0x1F}, 0},
};

// A display whose desktop is in the given layout, so that the windowed work surface takes it; what each present
// drew is read back before it is shown.
class ReadBackVideo : public platform::SdlVideo {
 public:
  sdlbackend::ReadBack shown;

 protected:
  void OnDrawn(SDL_Renderer* renderer) override { shown = sdlbackend::ReadOutput(renderer); }
};

class SdlReadBack : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
  void SetUp() override {
    setenv("SDL_RENDER_DRIVER", GetParam(), 1);
#if defined(__SANITIZE_ADDRESS__)
    // The graphics drivers SDL's off-screen video loads (GL, and EGL for the software renderer too) keep what
    // they allocate while loading until the process ends, from modules they unload; what is allocated from here
    // on is not counted as leaked. The backend's own leaks are checked by its other tests.
    __lsan_disable();
#endif
  }
  void TearDown() override { unsetenv("SDL_RENDER_DRIVER"); }
};

// The known picture expanded as the host expands it: blue, green, red, unused.
std::vector<uint8_t> ExpandedPicture() {
  std::vector<uint8_t> expanded(kExpandedFrameBytes, 0);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      const Rgb c = PictureAt(x, y);
      uint8_t* p = expanded.data() + 4 * (y * 320 + x);
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
    }
  }
  return expanded;
}

// The picture at its 4:3 place between black bars, colours and positions.
void ExpectPictureBetweenBars(const sdlbackend::ReadBack& shown) {
  ASSERT_EQ(shown.width, kWindowWidth);
  ASSERT_EQ(shown.height, kWindowHeight);
  ASSERT_FALSE(shown.pixels.empty());
  // A channel at full level reads at least 248 (16-bit layouts keep 5 or 6 bits of 252); an absent one reads 0.
  const auto expect = [&](int x, int y, Rgb c) {
    const uint8_t* p = shown.pixels.data() + 4 * (y * kWindowWidth + x);
    const auto level = [](uint8_t wanted, uint8_t got) { return wanted == 0 ? got == 0 : got >= 248; };
    EXPECT_TRUE(level(c.r, p[0]) && level(c.g, p[1]) && level(c.b, p[2]))
        << "at " << x << "," << y << ": " << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
  };
  for (int y = 0; y < kWindowHeight; y += 7) {
    for (int x = 0; x < kLeft; ++x) expect(x, y, {0, 0, 0});
    for (int x = kRight; x < kWindowWidth; ++x) expect(x, y, {0, 0, 0});
  }
  for (int y : {0, 100, 199, 200, 399}) {
    expect(kLeft, y, kWhite);
    expect(kRight - 1, y, kWhite);
  }
  expect(kLeft + 133, 0, kRed);
  expect(kLeft + 133, 399, kRed);
  expect(kLeft + 400, 10, kBlue);
  expect(kLeft + 400, 190, kBlue);
  expect(kLeft + 400, 210, kGreen);
  expect(kLeft + 400, 399, kGreen);
}

TEST_P(SdlReadBack, TheDevicePresentsThePictureInPlaceBetweenBlackBars) {
  ReadBackVideo video;
  ASSERT_TRUE(video.Create().ok());
  platform::VideoMode desktop;
  ASSERT_TRUE(video.CurrentMode(desktop).ok());
  if (!video.OpenWindowed({"ReadBack", kWindowWidth, kWindowHeight}).ok()) {
    GTEST_SKIP() << "no " << GetParam() << " renderer here";
  }
  platform::WorkTarget target;
  ASSERT_EQ(video.Lock(target), platform::Access::kOk);
  const std::vector<uint8_t> expanded = ExpandedPicture();
  const int32_t greenWidth = desktop.layout.greenMask == 0x3E0 ? 0 : 1;
  PackFrame(expanded.data(), target.pixels, target.pitch, desktop.layout.bitsPerPixel, greenWidth);
  video.Unlock();
  ASSERT_EQ(video.Present({0, 0, 320, 200}, {kLeft, 0, kRight, kWindowHeight}), platform::Access::kOk);
  ExpectPictureBetweenBars(video.shown);
}

// Each layout the host packs, through the texture the device would make for it, on this renderer.
TEST_P(SdlReadBack, EveryLayoutsTextureShowsItsColours) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  SDL_Window* window = SDL_CreateWindow("ReadBack", 0, 0, kWindowWidth, kWindowHeight, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr);
  {
    sdlbackend::RendererProbe probe;
    const sdlbackend::RendererPtr renderer = probe.CreateRenderer(window);
    if (renderer == nullptr) {
      SDL_DestroyWindow(window);
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      GTEST_SKIP() << "no " << GetParam() << " renderer here";
    }
    const std::vector<uint8_t> expanded = ExpandedPicture();
    for (const Layout& layout : kLayouts) {
      SCOPED_TRACE(layout.name);
      const uint32_t format = sdlbackend::PackingTextureFormat(layout.layout);
      const sdlbackend::TexturePtr texture(
          SDL_CreateTexture(renderer.get(), format, SDL_TEXTUREACCESS_STREAMING, 320, 200));
      ASSERT_NE(texture, nullptr);
      void* pixels = nullptr;
      int pitch = 0;
      ASSERT_EQ(SDL_LockTexture(texture.get(), nullptr, &pixels, &pitch), 0);
      PackFrame(expanded.data(), static_cast<uint8_t*>(pixels), pitch, layout.layout.bitsPerPixel, layout.greenWidth);
      SDL_UnlockTexture(texture.get());
      SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
      SDL_RenderClear(renderer.get());
      const SDL_Rect to = {kLeft, 0, kRight - kLeft, kWindowHeight};
      ASSERT_EQ(SDL_RenderCopy(renderer.get(), texture.get(), nullptr, &to), 0);
      ExpectPictureBetweenBars(sdlbackend::ReadOutput(renderer.get()));
      SDL_RenderPresent(renderer.get());
    }
  }
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::string RendererName(const ::testing::TestParamInfo<const char*>& renderer) { return renderer.param; }

INSTANTIATE_TEST_SUITE_P(Renderers, SdlReadBack, ::testing::Values("software", "opengl"), RendererName);

}  // namespace

namespace {

TEST(RendererChoice, OnlyCpuRasterisersCountAsSoftware) {
  for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 swrast",
                               "Software Rasterizer", "SwiftShader Device (LLVM 10.0.0)"}) {
    EXPECT_TRUE(sdlbackend::IsSoftwareRasteriser(software)) << software;
  }
  for (const char* hardware : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)",
                               "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
                               "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", "virgl (Mesa)"}) {
    EXPECT_FALSE(sdlbackend::IsSoftwareRasteriser(hardware)) << hardware;
  }
}

}  // namespace
