// picture_preview: writes a PNG of a still picture exactly as the show's picture hooks present it.
#include <exception>
#include <iostream>

#include "tools/command_line/command_line.h"
#include "tools/picture_preview/png_file.h"
#include "tools/picture_preview/shown_frame.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Reads a still-picture BMP (olkpicN.bmp) the way the picture hooks do - blue bytes from offset 54 in\n"
      "stored order, first stored row on top, through the grey palette - and writes the 320 x 200 screen\n"
      "image as PNG, optionally stretched to a screen size the way the blit does it (nearest neighbour).",
      "picture_preview"};
  vesk::tool::PrepareCommandLine(app);
  std::string input;
  std::string output;
  int width = 320;
  int height = 200;
  app.add_option("input", input, "Still-picture BMP file")->required()->check(CLI::ExistingFile);
  app.add_option("-o,--output", output, "PNG file to write")->required();
  app.add_option("--width", width, "Width of the screen or window shown")->check(CLI::Range(1, 4096))->capture_default_str();
  app.add_option("--height", height, "Height of the screen or window shown")
      ->check(CLI::Range(1, 4096))
      ->capture_default_str();
  if (const int status = vesk::tool::ParseCommandLine(app, argc, argv); status >= 0) return status;

  std::string error;
  std::vector<std::uint8_t> bytes;
  if (!vesk::kit::ReadBytes(input, bytes, error)) {
    std::cerr << "picture_preview: " << error << '\n';
    return 1;
  }
  try {
    const auto shown = vesk::preview::Stretch(vesk::preview::ShownPicture(bytes), width, height);
    if (!vesk::preview::WritePng(output, shown, error)) {
      std::cerr << "picture_preview: " << error << '\n';
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "picture_preview: " << input << ": " << e.what() << '\n';
    return 1;
  }
  return 0;
}
