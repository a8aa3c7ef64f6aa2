// Extended-precision sums on integers: the x87 results, wherever the program runs.
#include "core/extended_precision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/scenes.h"
#include "core/show_state.h"

namespace {

constexpr bool kLongDoubleIsX87 = std::numeric_limits<long double>::digits == 64;

long double ToLongDouble(Extended v) { return std::ldexp(static_cast<long double>(v.significand), v.exponent); }

TEST(ExtendedPrecision, QuotientsRoundToSixtyFourBitsHalvesToEven) {
  // 1 / 3 = 0.0101...: the 64-bit significand 0xAAAA...AAAB (the dropped tail 0101... is above half).
  EXPECT_EQ(ExtendedQuotient(1, 3).significand, 0xAAAAAAAAAAAAAAABu);
  EXPECT_EQ(ExtendedQuotient(1, 3).exponent, -65);
  // Exact quotients stay exact.
  EXPECT_EQ(ExtendedQuotient(100, 8).significand, 0xC800000000000000u);
  EXPECT_EQ(ExtendedQuotient(100, 8).exponent, -60);
  EXPECT_EQ(ExtendedQuotient(0, 7).significand, 0u);
}

TEST(ExtendedPrecision, AdditionRoundsOnceAndCarriesIntoTheExponent) {
  const Extended one = {1ull << 63, -63};
  // 2^-64 is exactly half of 1's last place (2^-63): the tie goes to the even significand, 1.
  const Extended halfUlp = {1ull << 63, -127};
  EXPECT_EQ(ExtendedAdd(one, halfUlp).significand, 1ull << 63);
  // Three quarters of the last place rounds up.
  const Extended threeQuarters = {3ull << 62, -128 + 1};
  EXPECT_EQ(ExtendedAdd(one, threeQuarters).significand, (1ull << 63) + 1);
  // The largest significand plus half its last place: a tie to even that carries into the next power of two.
  const Extended almostTwo = {~0ull, -63};
  const Extended sum = ExtendedAdd(almostTwo, halfUlp);
  EXPECT_EQ(sum.significand, 1ull << 63);
  EXPECT_EQ(sum.exponent, -62);
  // Far below the last place, a value only decides the rounding (here: none).
  EXPECT_EQ(ExtendedAdd(one, Extended{1ull << 63, -300}).significand, 1ull << 63);
}

TEST(ExtendedPrecision, RoundingToIntegersTakesHalvesToEven) {
  EXPECT_EQ(ExtendedRoundToInteger(ExtendedQuotient(25, 2)), 12);
  EXPECT_EQ(ExtendedRoundToInteger(ExtendedQuotient(75, 2)), 38);
  EXPECT_EQ(ExtendedRoundToInteger(ExtendedQuotient(1, 2)), 0);
  EXPECT_EQ(ExtendedRoundToInteger(ExtendedQuotient(2, 5)), 0);
  EXPECT_EQ(ExtendedRoundToInteger(ExtendedQuotient(5, 3)), 2);
  EXPECT_EQ(ExtendedRoundToInteger(Extended{3ull << 62, -61}), 6);
}

// The reciprocal table, and every sum behind it, as the x87 unit forms them.
TEST(ExtendedPrecision, RunningSumsMatchTheX87Unit) {
  if (!kLongDoubleIsX87) GTEST_SKIP() << "long double is not the x87 format here";
  for (uint32_t i = 1; i < 256; ++i) {
    const Extended step = ExtendedQuotient(100, i);
    volatile long double x87Step = 100.0L / i;
    ASSERT_EQ(ToLongDouble(step), x87Step) << i;
    Extended sum = {0, 0};
    long double x87Sum = 0;
    for (int j = 0; j < 256; ++j) {
      sum = ExtendedAdd(sum, step);
      x87Sum += x87Step;
      ASSERT_EQ(ToLongDouble(sum), x87Sum) << i << ' ' << j;
      ASSERT_EQ(ExtendedRoundToInteger(sum), static_cast<int64_t>(std::rint(x87Sum))) << i << ' ' << j;
    }
  }
  BuildPolarTables();
  int differences = 0;
  for (int i = 1; i < 256; ++i) {
    long double x87Sum = 0;
    for (int j = 0; j < 256; ++j) {
      x87Sum += 100.0L / i;
      differences += ReciprocalTable[i * 256 + j] != (static_cast<int64_t>(std::rint(x87Sum)) & 255);
    }
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
