// make_pictures: renders the interlude's four still pictures into a folder as olkpic1.bmp to olkpic4.bmp.
#include <exception>
#include <filesystem>
#include <iostream>
#include <vector>

#include "tools/command_line/command_line.h"
#include "tools/make_pictures/pages.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Renders the four still pictures of the interlude as 24-bit BMP files of 192054 bytes\n"
      "(olkpic1.bmp to olkpic4.bmp), rows stored top row first as the picture hooks read them.\n"
      "Output is deterministic for a given FreeType and font version.",
      "make_pictures"};
  vesk::tool::PrepareCommandLine(app);
  std::string outDir;
  std::string fontDir = vesk::pictures::kDefaultFontDir;
  app.add_option("-o,--output-dir", outDir, "Folder to write the pictures into (created if missing)")->required();
  app.add_option("--font-dir", fontDir, "Folder holding DejaVuSans.ttf and its bold faces")->capture_default_str();
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  try {
    // Everything is rendered before anything is written, so a missing font leaves no half set.
    std::vector<std::vector<std::uint8_t>> files;
    for (int n = 1; n <= vesk::pictures::kPageCount; ++n) {
      files.push_back(vesk::kit::EncodeStillPicture(vesk::pictures::RenderPage(n, fontDir)));
    }
    std::filesystem::create_directories(outDir);
    for (int n = 1; n <= vesk::pictures::kPageCount; ++n) {
      const std::filesystem::path path = std::filesystem::path(outDir) / vesk::pictures::PageFileName(n);
      std::string error;
      if (!vesk::kit::WriteBytes(path, files[n - 1], error)) {
        std::cerr << "make_pictures: " << error << '\n';
        return 1;
      }
      std::cout << path.string() << '\n';
    }
  } catch (const std::exception& e) {
    std::cerr << "make_pictures: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
