// What the screen shows for a still-picture file: the hook's frame through the grey ramp and presentation.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/bitmap_kit/bmp_file.h"

namespace vesk::preview {

// The picture hooks copy the blue byte of each stored pixel, in stored order, into the 320 x 200
// frame and set palette entry i to the 6-bit level i / 4; presentation multiplies each level by 4.
// Returns the 8-bit grey image that reaches the screen. Throws std::invalid_argument when the file
// is shorter than a still picture.
kit::RgbImage ShownPicture(const std::vector<std::uint8_t>& file);

// Nearest-neighbour stretch to width x height, as the blit to the screen or window does it (at
// 640 x 480 each frame pixel covers 2 x 2.4 screen pixels).
kit::RgbImage Stretch(const kit::RgbImage& image, int width, int height);

}  // namespace vesk::preview
