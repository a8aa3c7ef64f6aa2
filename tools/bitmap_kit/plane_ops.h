// Filters on float planes used to build glows, outlines and bevels.
#pragma once

#include "tools/bitmap_kit/plane.h"

namespace vesk::kit {

// Three box passes of the given radius, close to a Gaussian; edges read as zero.
Plane Blur(const Plane& in, int radius);

// The shape (pixels of at least half) grown by radius pixels, with a one-pixel soft edge: outlines, shadows.
Plane Grow(const Plane& in, float radius);

// Euclidean distance, in pixels, from each pixel whose value is at least half to the nearest pixel
// below half; zero outside the shape.
Plane DistanceInside(const Plane& in);

// Euclidean distance from each pixel below half to the nearest pixel of at least half; zero inside.
Plane DistanceOutside(const Plane& in);

// Box-averages factor x factor blocks; the size must divide evenly.
Plane Downsample(const Plane& in, int factor);

}  // namespace vesk::kit
