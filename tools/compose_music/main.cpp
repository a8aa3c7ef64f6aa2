// compose_music: writes the show's music, an extended module of fixed size, deterministically.
#include <cstdio>
#include <exception>
#include <string>

#include "song.h"
#include "file_output/atomic_file.h"
#include "tools/command_line/command_line.h"
#include "xm_module.h"

namespace {

constexpr std::size_t kModuleBytes = 79327;
constexpr const char* kDefaultOutput = "resources/music/xmfile.xm";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Composes the show's music and writes it as an extended module of exactly " +
                   std::to_string(kModuleBytes) + " bytes,\nthe same bytes on every run.",
               "compose_music"};
  vesk::tool::PrepareCommandLine(app);
  std::string output = kDefaultOutput;
  app.add_option("-o,--output", output, "Where to write the module")->capture_default_str();
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  try {
    const std::vector<uint8_t> bytes = compose::SerializeModule(compose::BuildModule(kModuleBytes));
    std::string error;
    if (!WriteFileAtomically(output, bytes, error)) {
      std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
