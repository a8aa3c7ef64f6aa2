// Blur, dilation, distance transform and downsampling of float planes.
#include "tools/bitmap_kit/plane_ops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace vesk::kit {
namespace {

// One running-sum box pass along rows (horizontal) or columns.
Plane BoxPass(const Plane& in, int radius, bool horizontal) {
  Plane out(in.width, in.height);
  const int lines = horizontal ? in.height : in.width;
  const int length = horizontal ? in.width : in.height;
  const float scale = 1.0f / static_cast<float>(2 * radius + 1);
  for (int l = 0; l < lines; ++l) {
    auto read = [&](int i) { return horizontal ? in.Get(i, l) : in.Get(l, i); };
    double sum = 0.0;
    for (int i = -radius; i <= radius; ++i) sum += read(i);
    for (int i = 0; i < length; ++i) {
      (horizontal ? out.At(i, l) : out.At(l, i)) = static_cast<float>(sum) * scale;
      sum += read(i + radius + 1) - read(i - radius);
    }
  }
  return out;
}

// Felzenszwalb and Huttenlocher's lower envelope of parabolas: exact squared distances along a line.
void Distance1D(const std::vector<double>& f, std::vector<double>& d) {
  const int n = static_cast<int>(f.size());
  std::vector<int> v(f.size());
  std::vector<double> z(f.size() + 1);
  int k = 0;
  v[0] = 0;
  z[0] = -std::numeric_limits<double>::infinity();
  z[1] = std::numeric_limits<double>::infinity();
  auto meet = [&](int q, int p) { return ((f[q] + q * q) - (f[p] + p * p)) / (2.0 * (q - p)); };
  for (int q = 1; q < n; ++q) {
    double s = meet(q, v[k]);
    while (s <= z[k]) {
      --k;
      s = meet(q, v[k]);
    }
    ++k;
    v[k] = q;
    z[k] = s;
    z[k + 1] = std::numeric_limits<double>::infinity();
  }
  k = 0;
  for (int q = 0; q < n; ++q) {
    while (z[k + 1] < q) ++k;
    const double dq = q - v[k];
    d[q] = dq * dq + f[v[k]];
  }
}

}  // namespace

Plane Blur(const Plane& in, int radius) {
  if (radius <= 0) return in;
  Plane p = in;
  for (int pass = 0; pass < 3; ++pass) p = BoxPass(BoxPass(p, radius, true), radius, false);
  return p;
}

Plane Grow(const Plane& in, float radius) {
  // Distances run between pixel centres and the shape's edge lies half a pixel past its last
  // centre, so a pixel at distance radius + 0.5 sits exactly on the grown edge.
  const Plane distance = DistanceOutside(in);
  Plane out(in.width, in.height);
  for (std::size_t i = 0; i < out.v.size(); ++i) {
    out.v[i] = std::max(in.v[i], std::clamp(radius + 1.0f - distance.v[i], 0.0f, 1.0f));
  }
  return out;
}

Plane DistanceInside(const Plane& in) {
  constexpr double kFar = 1e20;
  Plane out(in.width, in.height);
  std::vector<double> grid(static_cast<std::size_t>(in.width) * in.height);
  for (std::size_t i = 0; i < grid.size(); ++i) grid[i] = in.v[i] >= 0.5f ? kFar : 0.0;
  std::vector<double> f, d;
  f.resize(static_cast<std::size_t>(in.height));
  d.resize(f.size());
  for (int x = 0; x < in.width; ++x) {
    for (int y = 0; y < in.height; ++y) f[y] = grid[static_cast<std::size_t>(y) * in.width + x];
    Distance1D(f, d);
    for (int y = 0; y < in.height; ++y) grid[static_cast<std::size_t>(y) * in.width + x] = d[y];
  }
  f.resize(static_cast<std::size_t>(in.width));
  d.resize(f.size());
  for (int y = 0; y < in.height; ++y) {
    for (int x = 0; x < in.width; ++x) f[x] = grid[static_cast<std::size_t>(y) * in.width + x];
    Distance1D(f, d);
    for (int x = 0; x < in.width; ++x) out.At(x, y) = static_cast<float>(std::sqrt(d[x]));
  }
  return out;
}

Plane DistanceOutside(const Plane& in) {
  Plane inverted(in.width, in.height);
  for (std::size_t i = 0; i < in.v.size(); ++i) inverted.v[i] = in.v[i] >= 0.5f ? 0.0f : 1.0f;
  return DistanceInside(inverted);
}

Plane Downsample(const Plane& in, int factor) {
  if (factor <= 0 || in.width % factor != 0 || in.height % factor != 0) {
    throw std::invalid_argument("downsampling factor must divide the plane size");
  }
  Plane out(in.width / factor, in.height / factor);
  const float scale = 1.0f / static_cast<float>(factor * factor);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      float sum = 0.0f;
      for (int sy = 0; sy < factor; ++sy) {
        for (int sx = 0; sx < factor; ++sx) sum += in.At(x * factor + sx, y * factor + sy);
      }
      out.At(x, y) = sum * scale;
    }
  }
  return out;
}

}  // namespace vesk::kit
