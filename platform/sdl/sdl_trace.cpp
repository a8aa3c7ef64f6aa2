// Timestamped start-up and presentation events on standard error, for measuring the program from outside.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/sdl/sdl_internal.h"

namespace sdlbackend {

namespace {

constexpr int32_t kTracePresentInterval = 300;

}  // namespace

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

void TraceFirstPicture(const uint8_t* memory, int pitch, int32_t bitCount, int width, int height) {
  static bool seen = false;
  if (!TraceEnabled() || seen || memory == nullptr) return;
  const int bytesPerPixel = bitCount == 32 ? 4 : bitCount == 24 ? 3 : 2;
  // The fourth byte of a 32-bit pixel is never written.
  const int colourBytes = bytesPerPixel == 4 ? 3 : bytesPerPixel;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = memory + static_cast<ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      for (int b = 0; b < colourBytes; ++b) {
        if (row[x * bytesPerPixel + b] == 0) continue;
        seen = true;
        Trace("first-picture");
        return;
      }
    }
  }
}

void TracePresent() {
  static int32_t presents = 0;
  // VESK_TRACE=presents: every present, for measuring the pacing (bench/realtime/pacing.sh).
  static const bool every = TraceEnabled() && std::strcmp(std::getenv("VESK_TRACE"), "presents") == 0;
  ++presents;
  // The first presents mark the start; every 300th lets a watcher work out the frame rate.
  if (every || (TraceEnabled() && (presents <= 3 || presents % kTracePresentInterval == 0))) {
    Trace(("present " + std::to_string(presents)).c_str());
  }
}

}  // namespace sdlbackend
