// PNG output through libpng's simplified interface, which reports failures by its return value; the file is
// written whole or not at all.
#include "host/capture/png_writer.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "file_output/atomic_file.h"

void WriteScreenPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
                    int32_t pitch) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  uint8_t* to = rgb.data();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* from = pixels + static_cast<size_t>(y) * static_cast<size_t>(pitch);
    for (int32_t x = 0; x < width; ++x, from += 4, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // Frames are many and large: fast compression over small files.
  image.flags = PNG_IMAGE_FLAG_FAST;
  std::vector<uint8_t> png(PNG_IMAGE_PNG_SIZE_MAX(image));
  png_alloc_size_t size = png.size();
  if (png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr) == 0) {
    throw std::runtime_error("cannot write " + path + ": " + image.message);
  }
  png.resize(size);
  std::string error;
  if (!WriteFileAtomically(path, png, error)) throw std::runtime_error(error);
}

std::string FramePngPath(const std::string& folder, uint64_t present) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%06llu.png", static_cast<unsigned long long>(present));
  return (std::filesystem::path(folder) / name).string();
}
