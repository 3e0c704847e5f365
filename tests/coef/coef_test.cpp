// coef: the reconstructed monic cubic, signs of zeros included.
#include <qubic/qubic.hpp>

#include "bits.hpp"

namespace qubic {
namespace {

using test::bits;

struct row {
  const char* why;
  roots rroot, iroot;
  coeffs rb, ib;  // index j: coefficient of x^j
};

// +0 imaginary parts: each sum of +0s is +0, negations give -0; a product of
// two negative reals has imaginary part (-a)(+0) + (+0)(-b) = -0.
const row rows[] = {
    {"roots 1, 2, 3", {{1, 2, 3}}, {{0, 0, 0}}, {{-6, 11, -6, 1}}, {{-0.0f, 0.0f, -0.0f, 0.0f}}},
    {"roots -1, -2, -3: negative zeros from the products", {{-1, -2, -3}}, {{0, 0, 0}},
     {{6, 11, 6, 1}}, {{-0.0f, -0.0f, -0.0f, 0.0f}}},
    {"x^3 + x: 0 and -0 +- i, as the solver gives them", {{0, -0.0f, -0.0f}}, {{0, 1, -1}},
     {{-0.0f, 1, -0.0f, 1}}, {{-0.0f, 0.0f, -0.0f, 0.0f}}},
};

TEST(Coef, ReconstructsMonicCubics) {
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    coeffs rb{{9, 9, 9, 9}};
    coeffs ib{{9, 9, 9, 9}};
    coef(r.rroot, r.iroot, rb, ib);
    for (int j = 0; j <= 3; ++j) {
      SCOPED_TRACE(j);
      EXPECT_BITS(rb(j), r.rb(j));
      EXPECT_BITS(ib(j), r.ib(j));
    }
  }
}

TEST(Coef, ConjugatePairLeavesARoundingInTheConstant) {
  // r1 = 3 and 0.1 +- 0.3i.  x^2 and x terms: the pair's imaginary parts
  // cancel exactly.  The constant: r1*(u + iv) is rounded to single before
  // it meets u - iv, so its imaginary part need not vanish, while the exact
  // product r1*(u^2 + v^2) is real.
  const roots rr{{3.0f, 0.1f, 0.1f}};
  const roots ri{{0.0f, 0.3f, -0.3f}};
  coeffs rb;
  coeffs ib;
  coef(rr, ri, rb, ib);
  EXPECT_EQ(ib(2), 0.0f);
  EXPECT_EQ(ib(1), 0.0f);
  // im = fl(3u)(-v) + fl(3v)u in double, with fl(3u), fl(3v) singles.
  const double p = 3.0f * 0.1f;
  const double q = 3.0f * 0.3f;
  const double im = (p * -static_cast<double>(0.3f)) + (q * static_cast<double>(0.1f));
  EXPECT_NE(im, 0.0);
  EXPECT_BITS(ib(0), -static_cast<float>(im));
  EXPECT_BITS(rb(3), 1.0f);
  EXPECT_BITS(ib(3), 0.0f);
}

TEST(Coef, OverflowIsReturnedAsItIs) {
  const roots rr{{1e30f, 1e30f, 1e30f}};
  const roots ri{{0, 0, 0}};
  coeffs rb;
  coeffs ib;
  coef(rr, ri, rb, ib);
  EXPECT_FALSE(isinf(rb(2)));  // the sum of the roots still fits
  EXPECT_TRUE(isinf(rb(1)));
  EXPECT_TRUE(isinf(rb(0)));
  EXPECT_BITS(rb(3), 1.0f);
  EXPECT_BITS(ib(3), 0.0f);
}

}  // namespace
}  // namespace qubic
