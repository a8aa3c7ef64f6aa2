// Sums in the x87 extended format on integers: exact 128-bit intermediate values, rounded once.
#include "core/extended_precision.h"

namespace {

__extension__ using Wide = unsigned __int128;

constexpr int kSignificandBits = 64;

int BitLength(Wide v) {
  int n = 0;
  while (v != 0) {
    v >>= 1;
    ++n;
  }
  return n;
}

// Drops the low `shift` bits of v, rounding to nearest with halves to even.
Wide ShiftRightRounded(Wide v, int shift) {
  if (shift <= 0) return v;
  if (shift >= 128) return 0;
  const Wide kept = v >> shift;
  const Wide rest = v - (kept << shift);
  const Wide half = Wide{1} << (shift - 1);
  if (rest > half || (rest == half && (kept & 1) != 0)) return kept + 1;
  return kept;
}

// The exact value v x 2^exponent rounded to the extended format.
Extended Normalise(Wide v, int32_t exponent) {
  if (v == 0) return {0, 0};
  int shift = BitLength(v) - kSignificandBits;
  if (shift > 0) {
    v = ShiftRightRounded(v, shift);
    // Rounding up may carry into a 65th bit: the significand is then exactly 2^64.
    if (BitLength(v) > kSignificandBits) {
      v >>= 1;
      ++shift;
    }
    exponent += shift;
  } else {
    v <<= -shift;
    exponent += shift;
  }
  return {static_cast<uint64_t>(v), exponent};
}

}  // namespace

Extended ExtendedQuotient(uint32_t numerator, uint32_t denominator) {
  if (numerator == 0) return {0, 0};
  // 65 significant quotient bits and a sticky remainder are enough to round once, correctly.
  int shift = 0;
  while ((Wide{numerator} << shift) / denominator < (Wide{1} << kSignificandBits)) ++shift;
  const Wide scaled = Wide{numerator} << shift;
  const Wide quotient = scaled / denominator;
  const bool inexact = scaled % denominator != 0;
  // The sticky bit sits below the quotient's last bit, which is only ever a rounding bit.
  const Wide withSticky = (quotient << 1) | (inexact ? 1 : 0);
  return Normalise(withSticky, -shift - 1);
}

Extended ExtendedAdd(Extended a, Extended b) {
  if (a.significand == 0) return b;
  if (b.significand == 0) return a;
  if (a.exponent < b.exponent) {
    const Extended t = a;
    a = b;
    b = t;
  }
  int32_t gap = a.exponent - b.exponent;
  Wide low = b.significand;
  int32_t lowExponent = b.exponent;
  // Far below a, b only decides the rounding: keep its top bits and fold the rest into one sticky bit, which
  // stays below the bit that rounding looks at.
  constexpr int32_t kMaxGap = 62;
  if (gap > kMaxGap) {
    const int32_t drop = gap - kMaxGap;
    const Wide kept = drop >= 128 ? 0 : low >> drop;
    const bool sticky = drop >= 128 ? low != 0 : (kept << drop) != low;
    low = kept | (sticky ? 1 : 0);
    lowExponent += drop;
    gap = kMaxGap;
  }
  const Wide exact = (Wide{a.significand} << gap) + low;
  return Normalise(exact, lowExponent);
}

int64_t ExtendedRoundToInteger(Extended value) {
  if (value.significand == 0) return 0;
  if (value.exponent >= 0) return static_cast<int64_t>(value.significand << value.exponent);
  return static_cast<int64_t>(ShiftRightRounded(Wide{value.significand}, -value.exponent));
}
