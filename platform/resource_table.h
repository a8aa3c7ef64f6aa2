// The table of resources embedded at build time, as the resource lookup reads it.
#pragma once

#include <cstdint>

struct EmbeddedResource {
  const char* name;  // raw-data resources; null for bitmaps
  int32_t id;        // bitmap resources
  const unsigned char* data;
  const unsigned int* size;
};

// Each ends with an entry whose data is null.
extern const EmbeddedResource kRawResources[];
extern const EmbeddedResource kBitmapResources[];
