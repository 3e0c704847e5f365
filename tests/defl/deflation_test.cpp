// deflation and maxar: the split index, the statuses, and the untouched factor.
#include <limits>

#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "defl/maxar.hpp"

namespace qubic {
namespace {

using test::bits;
using test::inf;
using test::sentinel;
using test::sentinel_bits;

const coeffs road{{-6, 11, -6, 1}};  // (x-1)(x-2)(x-3)

struct split_row {
  const char* why;
  coeffs a;
  float x;
  std::int32_t k, iflagmax;
};

TEST(Maxar, LargestTermAndTies) {
  const split_row rows[] = {
      {"terms 6, 11, 6, 1: the x term", road, 1, 1, 0},
      {"terms 6, 33, 54, 27: the x^2 term", road, 3, 2, 0},
      {"terms 4, 4, 0, 8: tie keeps the constant, x^3 selects 2", {{-4, -2, 0, 1}}, 2, 2, 0},
      {"tie |a0| = |a1 x| with smaller upper terms keeps 0", {{4, 2, 0.1f, 0.01f}}, 2, 0, 0},
      {"x term overflows: stop with k = 1", {{1, 1e30f, 0, 1e-30f}}, 1e9f, 1, -1},
      {"x^2 term overflows after the constant won", {{1e38f, 1, 1e30f, 1}}, 1e10f, 2, -1},
      {"x^3 term overflows: no test, k = 2", {{3.4e38f, 1, 0, 1}}, 1e19f, 2, 0},
  };
  for (const split_row& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t k = 99;
    std::int32_t iflagmax = 99;
    maxar(r.a, r.x, k, iflagmax);
    EXPECT_EQ(k, r.k);
    EXPECT_EQ(iflagmax, r.iflagmax);
  }
}

struct defl_row {
  const char* why;
  coeffs a;
  float x;
  std::int32_t iflag;
  float b0, b1, b2;
};

TEST(Deflation, WrittenFactors) {
  const defl_row rows[] = {
      {"root 1: b(0) backward, b(1), b(2) forward", road, 1, 1, 6, -5, 1},
      {"root 3", road, 3, 1, 2, -3, 1},
      {"x^3 - 2x - 4 at 2", {{-4, -2, 0, 1}}, 2, 1, 2, 2, 1},
      {"x = 0 shifts the coefficients down", road, 0.0f, 0, 11, -6, 1},
      {"x = -0 likewise", road, -0.0f, 0, 11, -6, 1},
  };
  for (const defl_row& r : rows) {
    SCOPED_TRACE(r.why);
    factor b{{sentinel(), sentinel(), sentinel()}};
    std::int32_t iflag = 99;
    deflation(r.x, r.a, b, iflag);
    EXPECT_EQ(iflag, r.iflag);
    EXPECT_BITS(b(0), r.b0);
    EXPECT_BITS(b(1), r.b1);
    EXPECT_BITS(b(2), r.b2);
  }
}

TEST(Deflation, SplitPicksTheRecurrence) {
  // a = (1, 1e30, 0, 1e-30) at x = 1e9: the forward b(0) = 1e30 + 1e9*1e-21
  // and the backward b(0) = -(1/1e9) differ wildly, so the bits tell which
  // recurrence each coefficient came from.  The x term overflows: k = 1,
  // status 0, b(0) backward and b(1), b(2) forward.
  const coeffs a{{1, 1e30f, 0, 1e-30f}};
  factor b{{sentinel(), sentinel(), sentinel()}};
  std::int32_t iflag = 99;
  deflation(1e9f, a, b, iflag);
  EXPECT_EQ(iflag, 0);
  EXPECT_BITS(b(0), -(1.0f / 1e9f));
  EXPECT_BITS(b(1), 0.0f + (1e9f * 1e-30f));
  EXPECT_BITS(b(2), 1e-30f);
}

TEST(Deflation, RefusedRootsLeaveTheFactorUntouched) {
  struct row {
    const char* why;
    coeffs a;
    float x;
  };
  const row rows[] = {
      {"subnormal root: -(a0/x) overflows", road, 1e-40f},
      {"NaN root", road, std::numeric_limits<float>::quiet_NaN()},
      {"infinite root", road, inf},
      {"forward coefficient overflows", {{1, 1, 3e38f, 3e38f}}, 2},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    factor b{{sentinel(), sentinel(), sentinel()}};
    std::int32_t iflag = 99;
    deflation(r.x, r.a, b, iflag);
    EXPECT_EQ(iflag, -1);
    EXPECT_EQ(bits(b(0)), sentinel_bits);
    EXPECT_EQ(bits(b(1)), sentinel_bits);
    EXPECT_EQ(bits(b(2)), sentinel_bits);
  }
}

TEST(Deflation, InfiniteRemainderDoesNotFail) {
  // flmax + 1e19*1e38 overflows in the remainder only; the quotient is finite.
  const coeffs a{{flmax, 1, 0, 1}};
  factor b{{sentinel(), sentinel(), sentinel()}};
  std::int32_t iflag = 99;
  deflation(1e19f, a, b, iflag);
  EXPECT_EQ(iflag, 1);
  EXPECT_BITS(b(2), 1.0f);
  EXPECT_FALSE(isinf(b(0)) || isnan(b(0)));
  EXPECT_FALSE(isinf(b(1)) || isnan(b(1)));
}

}  // namespace
}  // namespace qubic
