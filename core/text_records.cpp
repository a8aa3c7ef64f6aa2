// Access to the six stored text records, walked in place in the embedded record file.
#include "core/text_records.h"

#include <cstddef>

extern "C" const unsigned char vesk_core_text_records_bin[];
extern "C" const unsigned int vesk_core_text_records_bin_size;

namespace {

constexpr size_t kDistanceBytes = 2;
constexpr size_t kLayoutBytes = 6;  // x shift, y shift, x offset, y offset

// The bytes after the record that starts at offset, or 0 when the record runs past the file.
size_t RecordEnd(size_t offset) {
  const size_t size = vesk_core_text_records_bin_size;
  size_t i = offset + kDistanceBytes;
  while (i < size && vesk_core_text_records_bin[i] != 0) ++i;
  if (i >= size) return 0;
  i += 1 + kLayoutBytes;
  return i <= size ? i : 0;
}

}  // namespace

const uint8_t* TextRecordData(int id) {
  if (id < 0 || id >= kTextRecordCount) return nullptr;
  size_t offset = 0;
  for (int k = 0; k < id; ++k) {
    offset = RecordEnd(offset);
    if (offset == 0) return nullptr;
  }
  if (RecordEnd(offset) == 0) return nullptr;
  return vesk_core_text_records_bin + offset;
}
