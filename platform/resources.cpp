// The resource lookup over the table of embedded files: names match without regard to case.
#include "platform/resources.h"

#include <strings.h>

#include "platform/resource_table.h"

namespace platform {

Resource FindResource(const char* name) {
  if (name == nullptr) return {nullptr, 0};
  for (const EmbeddedResource* r = kRawResources; r->data != nullptr; ++r) {
    if (strcasecmp(r->name, name) == 0) return {r->data, *r->size};
  }
  return {nullptr, 0};
}

Resource FindBitmapResource(int32_t id) {
  for (const EmbeddedResource* r = kBitmapResources; r->data != nullptr; ++r) {
    if (r->id == id) return {r->data, *r->size};
  }
  return {nullptr, 0};
}

}  // namespace platform
