// Timestamped start-up and presentation events on standard error, for measuring the program from outside.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/sdl/sdl_internal.h"

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

}  // namespace sdlbackend
