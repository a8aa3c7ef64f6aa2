// make_logo: renders the launch dialog's logo as an ordinary 24-bit BMP.
#include <exception>
#include <filesystem>
#include <iostream>

#include "tools/command_line/command_line.h"
#include "tools/make_logo/logo.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Renders the launch dialog's logo (213 x 133, 24-bit, bottom-up BMP as image loaders expect) into\n"
      "<output-dir>/logo.bmp. Output is deterministic for a given FreeType and font version.",
      "make_logo"};
  vesk::tool::PrepareCommandLine(app);
  std::string outDir;
  std::string fontDir = vesk::logo::kDefaultFontDir;
  app.add_option("-o,--output-dir", outDir, "Folder to write logo.bmp into (created if missing)")->required();
  app.add_option("--font-dir", fontDir, "Folder holding the DejaVu Sans bold faces")->capture_default_str();
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  try {
    const auto bytes = vesk::kit::EncodeBottomUpBmp(vesk::logo::RenderLogo(fontDir));
    std::filesystem::create_directories(outDir);
    const std::filesystem::path path = std::filesystem::path(outDir) / "logo.bmp";
    std::string error;
    if (!vesk::kit::WriteBytes(path, bytes, error)) {
      std::cerr << "make_logo: " << error << '\n';
      return 1;
    }
    std::cout << path.string() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "make_logo: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
