// The random source, the palette routines and the division table.
#pragma once

#include <cstdint>

#include "core/show_state.h"

// A value in 0..n-1 (n at least 1); advances RandomSeed once. Inline, so that a constant n
// divides by multiplying.
inline uint16_t Random(uint16_t n) {
  RandomSeed = RandomSeed * 129u + 0x361962E9u;
  return static_cast<uint16_t>((RandomSeed >> 16) % n);
}

// Copies count entries (3 bytes each) from source to the start of the shared palette.
void SetPalette(const uint8_t* source, int count);
void GetPalette(uint8_t* destination, int count);

// Raises every 6-bit component by BrightenAmount (8-bit sum), capping at 63; bytes above 63 stay.
void BrightenPalette();

// DivideTable[i] := i / divisor, rounded to nearest with ties to even in extended precision.
void BuildDivideTable(float divisor);

// Every byte of the 64,000-byte plane becomes DivideTable[byte].
void RemapBuffer(uint8_t* plane);
