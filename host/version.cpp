// The version, from the header the build writes when the repository's state changes (cmake/Version.cmake); this
// file is the only one that includes it, so a new commit recompiles only it.
#include "host/version.h"

#include "vesk_version.h"

const char* VeskVersion() { return VESK_VERSION; }
