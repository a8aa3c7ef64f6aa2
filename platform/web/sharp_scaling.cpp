// The page's sharp scaling, in the program: the canvas's own bilinear step costs the browser several times more.
#include "platform/web/sharp_scaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

// Both pixels' channels at once, two per 32-bit word; opaque stays opaque.
uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t even = (((a & 0x00FF00FFu) * keep + (b & 0x00FF00FFu) * weight + 0x00800080u) >> 8) & 0x00FF00FFu;
  const uint32_t odd = ((((a >> 8) & 0x00FF00FFu) * keep + ((b >> 8) & 0x00FF00FFu) * weight + 0x00800080u)) &
                       0xFF00FF00u;
  return even | odd;
}

}  // namespace

std::vector<SharpScaling::Tap> SharpScaling::Taps(int32_t pictureSize, int32_t canvasSize) {
  std::vector<Tap> taps(static_cast<size_t>(canvasSize));
  const int32_t block = (canvasSize + pictureSize - 1) / pictureSize;
  const int32_t blocks = pictureSize * block;
  const double step = static_cast<double>(blocks) / canvasSize;
  for (int32_t i = 0; i < canvasSize; ++i) {
    const double at = std::clamp((i + 0.5) * step - 0.5, 0.0, blocks - 1.0);
    const auto low = static_cast<int32_t>(at);
    const int32_t high = std::min(low + 1, blocks - 1);
    const auto weight = static_cast<uint32_t>(std::lround((at - low) * 256));
    Tap& tap = taps[static_cast<size_t>(i)];
    tap.first = low / block;
    tap.second = high / block;
    // Both samples in one block, or the second weighing nothing: the first pixel alone.
    tap.weight = tap.first == tap.second ? 0 : std::min<uint32_t>(weight, 256);
    if (tap.weight == 256) tap = {tap.second, tap.second, 0};
    if (tap.weight == 0) tap.second = tap.first;
  }
  return taps;
}

void SharpScaling::Scale(const uint8_t* picture, int32_t width, int32_t height, uint8_t* canvas,
                         int32_t canvasWidth, int32_t canvasHeight) {
  const int32_t sizes[4] = {width, height, canvasWidth, canvasHeight};
  if (!std::equal(std::begin(sizes), std::end(sizes), std::begin(sizes_))) {
    std::copy(std::begin(sizes), std::end(sizes), std::begin(sizes_));
    columns_ = Taps(width, canvasWidth);
    rows_ = Taps(height, canvasHeight);
    rowA_.resize(static_cast<size_t>(canvasWidth));
    rowB_.resize(static_cast<size_t>(canvasWidth));
    block_ = canvasWidth % width == 0 ? canvasWidth / width : 0;
  }
  heldA_ = heldB_ = -1;
  // A picture row scaled across, into whichever of the two rows does not hold the other wanted row.
  const auto across = [&](int32_t row, int32_t keep) -> const uint32_t* {
    if (heldA_ == row) return rowA_.data();
    if (heldB_ == row) return rowB_.data();
    const bool intoA = heldA_ != keep;
    uint32_t* out = intoA ? rowA_.data() : rowB_.data();
    (intoA ? heldA_ : heldB_) = row;
    const uint8_t* in = picture + static_cast<size_t>(row) * static_cast<size_t>(width) * 4;
    if (block_ > 0) {
      // Whole blocks across: each pixel repeated.
      for (int32_t x = 0, at = 0; x < width; ++x, at += block_) {
        uint32_t value;
        std::memcpy(&value, in + static_cast<size_t>(x) * 4, 4);
        std::fill_n(out + at, block_, value);
      }
      return out;
    }
    for (int32_t x = 0; x < canvasWidth; ++x) {
      const Tap& tap = columns_[static_cast<size_t>(x)];
      uint32_t a;
      std::memcpy(&a, in + tap.first * 4, 4);
      if (tap.weight != 0) {
        uint32_t b;
        std::memcpy(&b, in + tap.second * 4, 4);
        a = Blend(a, b, tap.weight);
      }
      out[x] = a;
    }
    return out;
  };
  const size_t rowBytes = static_cast<size_t>(canvasWidth) * 4;
  for (int32_t y = 0; y < canvasHeight; ++y) {
    const Tap& tap = rows_[static_cast<size_t>(y)];
    uint8_t* out = canvas + static_cast<size_t>(y) * rowBytes;
    const Tap* previous = y > 0 ? &rows_[static_cast<size_t>(y) - 1] : nullptr;
    if (previous != nullptr && previous->first == tap.first && previous->second == tap.second &&
        previous->weight == tap.weight) {
      std::memcpy(out, out - rowBytes, rowBytes);
      continue;
    }
    const uint32_t* first = across(tap.first, tap.second);
    if (tap.weight == 0) {
      std::memcpy(out, first, rowBytes);
      continue;
    }
    // Byte by byte, which the compiler turns into vector arithmetic.
    const auto* a = reinterpret_cast<const uint8_t*>(first);
    const auto* b = reinterpret_cast<const uint8_t*>(across(tap.second, tap.first));
    const auto weight = static_cast<uint16_t>(tap.weight);
    const auto keep = static_cast<uint16_t>(256 - tap.weight);
    for (size_t i = 0; i < rowBytes; ++i) {
      out[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * keep + b[i] * weight + 128) >> 8);
    }
  }
}

}  // namespace platform
