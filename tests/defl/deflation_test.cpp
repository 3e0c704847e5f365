// deflation and maxar: the split index, the statuses, and the untouched factor.
#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "defl/maxar.hpp"

namespace qubic {
namespace {

using test::sentinel;

const coeffs road{{-6, 11, -6, 1}};  // (x-1)(x-2)(x-3)

// Ties and an overflowing x^2 term; the split at k = 1 and an overflowing x
// or x^3 term show in the last rows of Deflation.FactorsAndStatuses.
TEST(Maxar, TiesAndOverflow) {
  const struct { const char* why; coeffs a; float x; std::int32_t k, iflagmax; } rows[] = {
      {"terms 4, 4, 0, 8: tie keeps the constant, x^3 selects 2", {{-4, -2, 0, 1}}, 2, 2, 0},
      {"tie |a0| = |a1 x| with smaller upper terms keeps 0", {{4, 2, 0.1f, 0.01f}}, 2, 0, 0},
      {"x^2 term overflows after the constant won", {{1e38f, 1, 1e30f, 1}}, 1e10f, 2, -1},
  };
  for (const auto& r : rows) {
    std::int32_t k = 99, iflagmax = 99;
    maxar(r.a, r.x, k, iflagmax);
    EXPECT_TRUE(k == r.k && iflagmax == r.iflagmax) << r.why << ": k " << k << ", iflagmax " << iflagmax;
  }
}

// Expected quotients by bit pattern; a refused root leaves the caller's factor.
TEST(Deflation, FactorsAndStatuses) {
  const float U = sentinel();
  const struct { const char* why; coeffs a; float x; std::int32_t iflag; float b[3]; } rows[] = {
      {"root 3: terms 6, 33, 54, 27", road, 3, 1, {2, -3, 1}},
      {"x = -0 shifts the coefficients down like +0", road, -0.0f, 0, {11, -6, 1}},
      // The forward and backward values differ wildly here, so the bits tell
      // which recurrence each coefficient came from (worked in exact rationals,
      // rounded once per operation): b(0) = -(a0/x), b(1) = (b(0) - a1)/x, or
      // forward b(1) = a2 + x a3; b(2) = a3.  The remainder flmax + x b(0) is infinite.
      {"x term overflows: k = 1, status 0", {{1, 1e30f, 0, 1e-30f}}, 1e9f, 0,
       {-0x1.12e0bep-30f, 0x1.2e3b4p-70f, 0x1.4484cp-100f}},
      {"x^3 term overflows, remainder infinite: k = 2, status 1", {{flmax, 1, 0, 1}}, 1e19f, 1,
       {-0x1.d83c94p+64f, -0x1.b38fbap+1f, 1}},
      {"subnormal root: -(a0/x) overflows", road, 1e-40f, -1, {U, U, U}},
      {"NaN root", road, test::nan, -1, {U, U, U}},
      {"forward coefficient overflows", {{1, 1, 3e38f, 3e38f}}, 2, -1, {U, U, U}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    factor b{{U, U, U}};
    std::int32_t iflag = 99;
    deflation(r.x, r.a, b, iflag);
    EXPECT_EQ(iflag, r.iflag);
    for (int k = 0; k < 3; ++k) EXPECT_BITS(b(k), r.b[k]) << k;
  }
}

}  // namespace
}  // namespace qubic
