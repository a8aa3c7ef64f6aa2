// Sums in the x87 extended format (64-bit significand, round to nearest even) on integers, the same everywhere.
//
// The polar burst's reciprocal table holds what repeated extended-precision additions give, rounding included.
// A compiler's long double is that format only on x86; elsewhere it is a double or a 128-bit float, which
// rounds differently. These few operations reproduce the x87 results bit for bit for positive values.
#pragma once

#include <cstdint>

// A positive value significand x 2^exponent, the significand normalised to [2^63, 2^64); zero is {0, 0}.
struct Extended {
  uint64_t significand;
  int32_t exponent;
};

// numerator / denominator rounded to the extended format (denominator above 0).
Extended ExtendedQuotient(uint32_t numerator, uint32_t denominator);
// a + b rounded to the extended format, as one x87 addition of two positive values.
Extended ExtendedAdd(Extended a, Extended b);
// The value rounded to an integer, halves to even (the value below 2^63).
int64_t ExtendedRoundToInteger(Extended value);
