// The Windows program's way out: a normal process exit, after which the exit handlers close the sound output.
#include <cstdio>
#include <cstdlib>

#include "platform/process.h"

namespace platform {

void ExitProcess(int status) {
  std::fflush(nullptr);
  std::exit(status);
}

}  // namespace platform
