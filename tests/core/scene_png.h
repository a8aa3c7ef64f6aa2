// Writes an indexed 320 x 200 frame through a 6-bit palette as an 8-bit RGB PNG, for looking at frames.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vesk_test {

// Palette bytes are 6-bit levels shown as level x 4 within 8 bits, as the display does.
inline bool WriteFramePng(const std::string& path, const uint8_t* frame, const uint8_t* palette,
                          int width = 320, int height = 200) {
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (int i = 0; i < width * height; ++i) {
    const uint8_t* entry = palette + 3 * frame[i];
    for (int k = 0; k < 3; ++k) rgb.push_back(static_cast<uint8_t>(entry[k] * 4));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace vesk_test
