// Choosing and creating the show's renderer: accelerated, presenting on the vertical blank, where the GL driver is
// hardware; SDL's software renderer, spaced by the frame pacer, where GL would rasterise on the CPU.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

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

// Asks, in a short-lived child process, which GL driver this display would give; called once before the video
// starts, so that the answer is ready by the time the show window is made and costs the program nothing. Does
// nothing when SDL_RENDER_DRIVER names the renderer.
void StartRendererProbe();

// Whether the show window must be made for GL: an accelerated renderer is wanted (SDL_RENDER_DRIVER naming a GL
// driver, or the probe having found a hardware one). Waits for the probe's answer if it has not come yet.
bool WantsGlWindow();

// The renderer for the show window, chosen as above; null when none can be made. With VESK_TRACE, says which and
// why.
RendererPtr CreateShowRenderer(SDL_Window* window);

}  // namespace sdlbackend
