// Fresh memory made ready to write in one request rather than a page fault per page.
#include <cstdint>

#include "platform/sdl/sdl_internal.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace sdlbackend {

void ReadyForWriting(void* memory, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  if (memory == nullptr || bytes == 0) return;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  if (page == 0 || page == static_cast<uintptr_t>(-1)) return;
  const uintptr_t start = reinterpret_cast<uintptr_t>(memory) & ~(page - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(memory) + bytes;
  // Best effort: a kernel without the request (before 5.14) leaves the pages to fault in as they are written.
  madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)memory;
  (void)bytes;
#endif
}

}  // namespace sdlbackend
