// Private files on POSIX: glibc's "e" mode opens them close-on-exec.
#include "platform/private_file.h"

namespace platform {

std::FILE* OpenPrivateFileForWriting(const char* path) { return std::fopen(path, "wbe"); }

}  // namespace platform
