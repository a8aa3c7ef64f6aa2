// Writes the show's title picture (4-bit pixels, two per byte) and its 256-entry palette.
#include <cstdio>
#include <string>

#include "file_output/atomic_file.h"
#include "tools/command_line/command_line.h"
#include "tools/make_title_picture/title_art.h"

namespace {

bool WriteFile(const std::string& path, const void* data, size_t size) {
  std::string error;
  if (WriteFileAtomically(path, data, size, error)) return true;
  std::fprintf(stderr, "make_title_picture: %s\n", error.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Draws the title picture and writes it and its palette deterministically.", "make_title_picture"};
  vesk::tool::PrepareCommandLine(app);
  std::string picturePath = "resources/core/title_picture.bin";
  std::string palettePath = "resources/core/title_palette.bin";
  std::string previewPath;
  app.add_option("--picture", picturePath, "Where to write the picture: 190 x 150 pixels, 4 bits each,\nhigh nibble first, 14,250 bytes")
      ->capture_default_str();
  app.add_option("--palette", palettePath,
                 "Where to write the palette: 768 bytes of 6-bit levels,\nthe picture's 15 colours and the burst's ramp")
      ->capture_default_str();
  app.add_option("--preview", previewPath, "Also write the picture as a binary PPM, 8-bit colours, index 0 in grey");
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

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
