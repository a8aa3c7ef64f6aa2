// PNG output of the preview tool.
#include "tools/picture_preview/png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace vesk::preview {

bool WritePng(const std::string& path, const kit::RgbImage& image, std::string& error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) == 0) {
    error = "cannot write " + path + ": " + png.message;
    return false;
  }
  return true;
}

}  // namespace vesk::preview
