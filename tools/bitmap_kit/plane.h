// A float image plane (coverage or intensity), the working format of the bitmap generators.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vesk::kit {

struct Plane {
  int width = 0;
  int height = 0;
  std::vector<float> v;

  Plane() = default;
  Plane(int w, int h, float fill = 0.0f) : width(w), height(h), v(static_cast<std::size_t>(w) * h, fill) {}

  float& At(int x, int y) { return v[static_cast<std::size_t>(y) * width + x]; }
  float At(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // Reads past the edge as zero, so filters need no border cases.
  float Get(int x, int y) const { return Inside(x, y) ? At(x, y) : 0.0f; }
  void AddClamped(int x, int y, float a) {
    if (Inside(x, y)) At(x, y) = std::min(1.0f, At(x, y) + a);
  }
};

}  // namespace vesk::kit
