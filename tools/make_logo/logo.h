// The launch dialog's logo: chrome "VESK" over "ORRENT" in the bevelled style of the show's time.
#pragma once

#include <string>

#include "tools/bitmap_kit/bmp_file.h"

namespace vesk::logo {

inline constexpr int kLogoWidth = 213;
inline constexpr int kLogoHeight = 133;
inline constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype/dejavu";

// The logo at its dialog size; throws std::runtime_error when a DejaVu font cannot be loaded.
kit::RgbImage RenderLogo(const std::string& fontDir);

}  // namespace vesk::logo
