// Timestamped start-up and presentation events on standard error, for measuring the program from outside.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

namespace sdlbackend {

bool TraceEnabled() {
  static const bool enabled = std::getenv("VESK_TRACE") != nullptr;
  return enabled;
}

void Trace(const char* event) {
  if (!TraceEnabled()) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "vesk-trace %.3f %s\n",
               static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6, event);
}

bool HoldsAPicture(const uint8_t* memory, int pitch, int32_t bitsPerPixel, int width, int height) {
  const int bytesPerPixel = bitsPerPixel == 32 ? 4 : bitsPerPixel == 24 ? 3 : 2;
  // The fourth byte of a 32-bit pixel is never written.
  const int colourBytes = bytesPerPixel == 4 ? 3 : bytesPerPixel;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = memory + static_cast<ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      for (int b = 0; b < colourBytes; ++b) {
        if (row[x * bytesPerPixel + b] != 0) return true;
      }
    }
  }
  return false;
}

void TraceOutputSize(SDL_Window* window, SDL_Renderer* renderer) {
  int width = 0, height = 0, outputWidth = 0, outputHeight = 0;
  if (!TraceEnabled() || SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return;
  SDL_GetWindowSize(window, &width, &height);
  Trace(("window " + std::to_string(width) + "x" + std::to_string(height) + " output " + std::to_string(outputWidth) +
         "x" + std::to_string(outputHeight))
            .c_str());
}

void TracePresent(int32_t presents, int32_t held) {
  constexpr int32_t kTracePresentInterval = 300;
  // VESK_TRACE=presents: every present, for measuring the pacing (bench/realtime/pacing.sh).
  static const bool every = TraceEnabled() && std::strcmp(std::getenv("VESK_TRACE"), "presents") == 0;
  if (every || (TraceEnabled() && (presents <= 3 || presents % kTracePresentInterval == 0))) {
    Trace(("present " + std::to_string(presents)).c_str());
  }
  if (TraceEnabled() && presents % kTracePresentInterval == 0) Trace(("presents-held " + std::to_string(held)).c_str());
}

}  // namespace sdlbackend

namespace platform {

void TraceEvent(const char* event) { sdlbackend::Trace(event); }

}  // namespace platform
