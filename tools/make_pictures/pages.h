// The four text pages shown as still pictures during the interlude, set as light type on black.
#pragma once

#include <string>
#include <vector>

#include "tools/bitmap_kit/bmp_file.h"

namespace vesk::pictures {

inline constexpr int kPageCount = 4;
inline constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype/dejavu";

// Page n (1 to 4) as a 320 x 200 image; needs DejaVu Sans from fontDir and throws
// std::runtime_error when a font cannot be loaded, std::out_of_range for another n.
kit::RgbImage RenderPage(int n, const std::string& fontDir);

// File name of page n inside the output folder, as the picture hooks look it up.
std::string PageFileName(int n);

}  // namespace vesk::pictures
