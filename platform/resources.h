// The data built into the program: the module, the still pictures and the dialog's logo, found by name or number.
#pragma once

#include <cstdint>

namespace platform {

struct Resource {
  const uint8_t* data;  // null when there is no such resource
  uint32_t size;
};

// A raw-data resource by name, matched without regard to case ("xmfile" finds "XMFILE").
Resource FindResource(const char* name);
// A bitmap resource by number (103: the launch dialog's logo, a whole BMP file).
Resource FindBitmapResource(int32_t id);

inline constexpr int32_t kLogoBitmapId = 103;

}  // namespace platform
