// The real-time program's way out: a normal process exit, after which the exit handlers stop SDL and the threads.
#include <cstdio>
#include <cstdlib>

#include "platform/process.h"
#include "platform/sdl/sdl_internal.h"

namespace platform {

void ExitProcess(int status) {
  sdlbackend::Trace("exit");
  std::fflush(nullptr);
  std::exit(status);
}

}  // namespace platform
