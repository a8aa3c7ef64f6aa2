// Writes the show's title picture (4-bit pixels, two per byte) and its 256-entry palette.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/make_title_picture/title_art.h"

namespace {

constexpr const char* kUsage =
    "Usage: make_title_picture [--picture FILE] [--palette FILE] [--preview FILE]\n"
    "\n"
    "Draws the title picture and writes it deterministically:\n"
    "  --picture FILE  190 x 150 pixels, 4 bits each, high nibble first, 14,250 bytes\n"
    "                  (default resources/core/title_picture.bin)\n"
    "  --palette FILE  768 bytes of 6-bit levels: the picture's 15 colours and the burst's ramp\n"
    "                  (default resources/core/title_palette.bin)\n"
    "  --preview FILE  also write the picture as a binary PPM, 8-bit colours, index 0 in grey\n"
    "  --help          show this text\n";

bool WriteFile(const std::string& path, const void* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "make_title_picture: cannot open %s for writing\n", path.c_str());
    return false;
  }
  const bool ok = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "make_title_picture: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string picturePath = "resources/core/title_picture.bin";
  std::string palettePath = "resources/core/title_palette.bin";
  std::string previewPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::string* target = arg == "--picture" ? &picturePath
                          : arg == "--palette" ? &palettePath
                          : arg == "--preview" ? &previewPath
                                               : nullptr;
    if (!target) {
      std::fprintf(stderr, "make_title_picture: unknown argument '%s'\n\n%s", arg.c_str(), kUsage);
      return 2;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "make_title_picture: %s needs a file name\n", arg.c_str());
      return 2;
    }
    *target = argv[++i];
  }

  const title_art::TitlePicture pic = title_art::MakeTitlePicture();
  if (!WriteFile(picturePath, pic.packed.data(), pic.packed.size())) return 1;
  if (!WriteFile(palettePath, pic.palette.data(), pic.palette.size())) return 1;
  if (!previewPath.empty()) {
    std::string ppm = "P6\n" + std::to_string(title_art::kWidth) + " " +
                      std::to_string(title_art::kHeight) + "\n255\n";
    for (uint8_t index : pic.pixels) {
      for (int k = 0; k < 3; ++k) {
        ppm.push_back(index == 0 ? static_cast<char>(96)
                                 : static_cast<char>(pic.palette[3 * index + k] * 4));
      }
    }
    if (!WriteFile(previewPath, ppm.data(), ppm.size())) return 1;
  }
  return 0;
}
