// Choosing and creating the show's renderer: accelerated, presenting on the vertical blank, where the GL driver is
// hardware; SDL's software renderer, spaced by the frame pacer, where GL would rasterise on the CPU. And reading
// back what a renderer drew.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sdlbackend {

struct RendererDeleter {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

// Whether a GL_RENDERER string names a rasteriser that runs on the CPU (Mesa's llvmpipe, softpipe, swrast and
// the like).
bool IsSoftwareRasteriser(const std::string& glRenderer);

// Which GL driver this display would give, asked in a short-lived child process while the dialog is up, so that
// the answer costs the program nothing: SDL's own GL probe in this process would load a whole GL driver, which
// without a GPU costs more than the show itself. A probe still running when this goes is ended.
class RendererProbe {
 public:
  RendererProbe() = default;
  ~RendererProbe();
  RendererProbe(const RendererProbe&) = delete;
  RendererProbe& operator=(const RendererProbe&) = delete;

  // Before the video starts. Does nothing when SDL_RENDER_DRIVER names the renderer.
  void Start();
  // Whether the show window must be made for GL: SDL_RENDER_DRIVER names a GL driver, or the probe found a
  // hardware one. Waits for the probe's answer if it has not come yet.
  bool WantsGlWindow();
  // The renderer for the show window, chosen as above; null when none can be made. With VESK_TRACE, says which
  // and why.
  RendererPtr CreateRenderer(SDL_Window* window);

 private:
  void Await();

  bool started_ = false;
  bool answered_ = false;
  int child_ = -1;
  int pipe_ = -1;
  std::string glRenderer_;  // empty when no GL context could be made
};

// What a renderer has drawn since its last present, RGBA bytes row after row: read before presenting, as a
// presented picture is undefined on some renderers. No pixels when it cannot be read.
struct ReadBack {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};
ReadBack ReadOutput(SDL_Renderer* renderer);

}  // namespace sdlbackend
