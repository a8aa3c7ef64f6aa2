// Private files on Windows: the C runtime's "N" mode opens them not inheritable.
#include "platform/private_file.h"

namespace platform {

std::FILE* OpenPrivateFileForWriting(const char* path) { return std::fopen(path, "wbN"); }

}  // namespace platform
