// compose_music: writes the show's music, an extended module of fixed size, deterministically.
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>

#include "song.h"
#include "xm_module.h"

namespace {

constexpr std::size_t kModuleBytes = 79327;
constexpr const char* kDefaultOutput = "resources/music/xmfile.xm";

void PrintHelp(const char* program) {
  std::printf(
      "Usage: %s [-o PATH]\n"
      "Composes the show's music and writes it as an extended module of exactly %zu bytes.\n"
      "The same bytes are written on every run.\n\n"
      "  -o, --output PATH  where to write the module (default: %s)\n"
      "  -h, --help         show this help and exit\n",
      program, kModuleBytes, kDefaultOutput);
}

}  // namespace

int main(int argc, char** argv) {
  std::string output = kDefaultOutput;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      PrintHelp(argv[0]);
      return 0;
    }
    if (arg == "-o" || arg == "--output") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s: %s needs a path\n", argv[0], arg.c_str());
        return 2;
      }
      output = argv[++i];
    } else if (arg.rfind("--output=", 0) == 0) {
      output = arg.substr(std::strlen("--output="));
    } else {
      std::fprintf(stderr, "%s: unknown argument '%s' (try --help)\n", argv[0], arg.c_str());
      return 2;
    }
  }
  try {
    const std::vector<uint8_t> bytes = compose::SerializeModule(compose::BuildModule(kModuleBytes));
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    if (!file) {
      std::fprintf(stderr, "%s: cannot open '%s' for writing\n", argv[0], output.c_str());
      return 1;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::fprintf(stderr, "%s: writing '%s' failed\n", argv[0], output.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
