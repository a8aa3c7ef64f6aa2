// Linked into the Windows command-line programs: their standard streams are binary, as on Linux, so that data
// written to standard output (a trace to "-") does not gain a carriage return before every byte 10.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

struct BinaryStandardStreams {
  BinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
  }
};

const BinaryStandardStreams binaryStandardStreams;

}  // namespace
