// The six stored text records, in their stored order, and access to their packed bytes.
#pragma once

#include <cstdint>

enum TextRecordId : int {
  CaptionRecord1 = 0,
  CaptionRecord2,
  CaptionRecord3,
  NameRecord1,
  NameRecord2,
  NameRecord3,
  kTextRecordCount,
};

// The packed bytes of a record: i16 distance, zero-terminated text, u8 x shift, u8 y shift,
// i16 x offset, i16 y offset, all little-endian.
const uint8_t* TextRecordData(int id);
