// Simulation of the picture hooks and presentation for previews.
#include "tools/picture_preview/shown_frame.h"

#include <stdexcept>

namespace vesk::preview {
namespace {

constexpr int kPaletteEntries = 256;

}  // namespace

kit::RgbImage ShownPicture(const std::vector<std::uint8_t>& file) {
  if (file.size() < kit::kPictureFileSize) throw std::invalid_argument("file is shorter than a still picture");
  std::uint8_t palette[kPaletteEntries];
  for (int i = 0; i < kPaletteEntries; ++i) palette[i] = static_cast<std::uint8_t>(i / 4);

  kit::RgbImage shown(kit::kPictureWidth, kit::kPictureHeight);
  for (int i = 0; i < kit::kPictureWidth * kit::kPictureHeight; ++i) {
    const std::uint8_t index = file[kit::kBmpHeaderSize + 3 * static_cast<std::size_t>(i)];
    const auto level = static_cast<std::uint8_t>(palette[index] * 4);
    std::uint8_t* p = &shown.rgb[3 * static_cast<std::size_t>(i)];
    p[0] = p[1] = p[2] = level;
  }
  return shown;
}

kit::RgbImage Stretch(const kit::RgbImage& image, int width, int height) {
  if (width < 1 || height < 1) throw std::invalid_argument("stretched size must be positive");
  kit::RgbImage out(width, height);
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * image.height / height);
    for (int x = 0; x < width; ++x) {
      const int sx = static_cast<int>(static_cast<long long>(x) * image.width / width);
      const std::uint8_t* s = image.Pixel(sx, sy);
      std::uint8_t* d = out.Pixel(x, y);
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
  return out;
}

}  // namespace vesk::preview
