// Writes an RGB image as an 8-bit PNG with libpng.
#pragma once

#include <string>

#include "tools/bitmap_kit/bmp_file.h"

namespace vesk::preview {

// On failure returns false and sets error.
bool WritePng(const std::string& path, const kit::RgbImage& image, std::string& error);

}  // namespace vesk::preview
