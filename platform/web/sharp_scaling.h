// The page's sharp scaling done in the program: whole blocks, then one smooth step down to the canvas's size.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Scales an RGBA picture to an RGBA canvas as if each pixel were first repeated in whole blocks at least as large as
// the canvas (ceil(canvas / picture) on each axis) and the blocks then scaled down bilinearly, sampling at pixel
// centres. A canvas a whole multiple of the picture gets exact blocks. The tables are kept while the sizes stay.
class SharpScaling {
 public:
  void Scale(const uint8_t* picture, int32_t width, int32_t height, uint8_t* canvas, int32_t canvasWidth,
             int32_t canvasHeight);

  // A canvas pixel's two picture pixels along one axis and the second one's weight out of 256.
  struct Tap {
    int32_t first;
    int32_t second;
    uint32_t weight;
  };
  static std::vector<Tap> Taps(int32_t pictureSize, int32_t canvasSize);

 private:
  int32_t sizes_[4] = {};
  std::vector<Tap> columns_;
  std::vector<Tap> rows_;
  int32_t block_ = 0;  // pixels per picture pixel across, when the canvas is a whole multiple of the picture
  std::vector<uint32_t> rowA_;  // a picture row scaled across, and the picture row it holds
  std::vector<uint32_t> rowB_;
  int32_t heldA_ = -1;
  int32_t heldB_ = -1;
};

}  // namespace platform
