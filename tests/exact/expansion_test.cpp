// The exact engine's building blocks on hand-worked cases: error-free
// transformations, the compensated sum, float keys, cell midpoints, ties and
// the cell search.  Expected values are worked out by hand in the comments;
// the engine as a whole is checked against the rational reference in
// exact_test.cpp.
#include <gtest/gtest.h>

#include <cstdint>

#include "bits.hpp"
#include "exact/cells.hpp"
#include "exact/expansion.hpp"

namespace {

using namespace qubic::exact;

struct two_case {
  const char* why;
  double x, y, hi, lo;
};

TEST(ExactExpansion, TwoSumAndTwoProdAreExact) {
  const two_case sums[] = {
      {"tiny addend survives in lo", 1.0, 0x1p-60, 1.0, 0x1p-60},
      {"2^53 + 1 ties to even, 1 left over", 0x1p53, 1.0, 0x1p53, 1.0},
  };
  for (const two_case& c : sums) {
    const two t = two_sum(c.x, c.y);
    EXPECT_EQ(t.hi, c.hi) << c.why;
    EXPECT_EQ(t.lo, c.lo) << c.why;
  }
  const two_case prods[] = {
      // (1 + 2^-30)^2 = 1 + 2^-29 + 2^-60
      {"square with a 2^-60 tail", 1.0 + 0x1p-30, 1.0 + 0x1p-30, 1.0 + 0x1p-29, 0x1p-60},
      // (2^27 + 1)(2^27 - 1) = 2^54 - 1: a tie between 2^54 - 2 and 2^54
      {"54-bit product, tie to even", 0x1p27 + 1.0, 0x1p27 - 1.0, 0x1p54, -1.0},
      // ((1 + 2^-52) 2^-300)^2 = (1 + 2^-51 + 2^-104) 2^-600: the bottom of
      // the engine's range keeps its lowest bit
      {"low end of the range", (1.0 + 0x1p-52) * 0x1p-300, (1.0 + 0x1p-52) * 0x1p-300,
       (1.0 + 0x1p-51) * 0x1p-600, 0x1p-704},
  };
  for (const two_case& c : prods) {
    const two t = two_prod(c.x, c.y);
    EXPECT_EQ(t.hi, c.hi) << c.why;
    EXPECT_EQ(t.lo, c.lo) << c.why;
  }
}

TEST(ExactExpansion, Sum2RecoversWhatCancellationHides) {
  // Left to right in double: 2^100 + 1 = 2^100, minus 2^100 = 0; exact sum 1.
  const double x[3] = {0x1p100, 1.0, -0x1p100};
  const sum_result r = sum2<3>(x);
  EXPECT_EQ(r.value, 1.0);
  EXPECT_EQ(r.abs_sum, 0x1p101);
}

TEST(ExactCells, KeysAndMidpoints) {
  using qubic::test::from_bits;
  EXPECT_EQ(key(0.0f), 0);
  EXPECT_EQ(key(-0.0f), 0);
  EXPECT_EQ(key(from_bits(0x80000001u)), -1);  // -2^-149
  EXPECT_EQ(key(qubic::test::inf), inf_key);
  EXPECT_BITS(key_float(-1), from_bits(0x80000001u));
  EXPECT_EQ(mid(0), 0x1p-150);                      // between 0 and 2^-149
  EXPECT_EQ(mid(-1), -0x1p-150);                    // between -2^-149 and 0
  EXPECT_EQ(mid(inf_key - 1), 0x1.ffffffp127);      // 2^128 - 2^103: overflow threshold
  EXPECT_EQ(mid(-inf_key), -0x1.ffffffp127);
  EXPECT_EQ(mid(key(1.0f)), 1.0 + 0x1p-24);
}

struct tie_case {
  const char* why;
  std::int64_t j;
  std::int64_t expect;
};

TEST(ExactCells, TiesGoToTheEvenPattern) {
  const tie_case cases[] = {
      {"2^-150 ties to +0, not 2^-149", 0, 0},
      {"-2^-150 ties to zero", -1, 0},
      {"3 2^-150 ties to 2^-148", 1, 2},
      {"2^128 - 2^103 ties to infinity", inf_key - 1, inf_key},
      {"-(2^128 - 2^103) ties to -infinity", -inf_key, -inf_key},
  };
  for (const tie_case& c : cases) EXPECT_EQ(rounded_key(c.j, true), c.expect) << c.why;
  EXPECT_EQ(rounded_key(0, false), 1) << "above mid(0), below mid(1): 2^-149";
}

TEST(ExactCells, SearchFindsTheRoundedValueFromAnyGuess) {
  using qubic::test::from_bits;
  // x = 1/3: side(m) = sign(1 - 3m), exact (3m has at most 27 bits).  The
  // float nearest 1/3 is 0x3EAAAAAB.
  auto third = [](double m) { return (1.0 - 3.0 * m > 0) - (1.0 - 3.0 * m < 0); };
  for (const float guess : {0.0f, 0.33333331f, 1e30f, -1e-30f}) {
    EXPECT_BITS(key_float(round_by_search(third, key(guess))), from_bits(0x3EAAAAABu));
  }
  // Exact midpoints: 1 + 2^-24 goes to 1, 1 + 3 2^-24 to 1 + 2^-22.
  auto at = [](double x) { return [x](double m) { return (x > m) - (x < m); }; };
  EXPECT_BITS(key_float(round_by_search(at(1.0 + 0x1p-24), key(1.0f))), 1.0f);
  EXPECT_BITS(key_float(round_by_search(at(1.0 + 0x3p-24), 0)), 1.0f + 0x1p-22f);
  // Beyond the overflow threshold: +infinity.
  EXPECT_BITS(key_float(round_by_search(at(0x1p128), 0)), qubic::test::inf);
}

}  // namespace
