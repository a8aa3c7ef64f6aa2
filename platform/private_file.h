// Opening the files this process writes so that the programs it starts do not inherit them.
#pragma once

#include <cstdio>

namespace platform {

// Like std::fopen(path, "wb"), but the file is not inherited by child processes (platform/child_process.h).
std::FILE* OpenPrivateFileForWriting(const char* path);

}  // namespace platform
