// coef: the reconstructed monic cubic, signs of zeros included.
#include <qubic/qubic.hpp>

#include "bits.hpp"

namespace qubic {
namespace {

using test::inf;
using test::nan;

// Worked by hand in coef's order: sums in single precision; each complex
// product from exact double products of the parts, its real and imaginary
// sums rounded to double, then to single.  +0 imaginary parts: each sum of
// +0s is +0, negations give -0; a product of two negative reals has
// imaginary part (-a)(+0) + (+0)(-b) = -0.
TEST(Coef, ReconstructsMonicCubics) {
  // rb, ib: index j holds the coefficient of x^j.
  const struct { const char* why; roots rroot, iroot; coeffs rb, ib; } rows[] = {
      {"roots -1, -2, -3: -0 from products", {{-1, -2, -3}}, {{0, 0, 0}}, {{6, 11, 6, 1}}, {{-0.0f, -0.0f, -0.0f, 0}}},
      {"x^3 + x: 0 and -0 +- i, as the solver gives them", {{0, -0.0f, -0.0f}}, {{0, 1, -1}}, {{-0.0f, 1, -0.0f, 1}},
       {{-0.0f, 0.0f, -0.0f, 0.0f}}},
      // 3 and 0.1 +- 0.3i: the pair's imaginary parts cancel in the x^2 and x
      // terms; in the constant, 3(u + iv) is rounded before it meets u - iv.
      {"a conjugate pair leaves a rounding in the constant", {{3, 0.1f, 0.1f}}, {{0, 0.3f, -0.3f}},
       {{-0x1.333334p-2f, 0x1.666668p-1f, -0x1.999998p+1f, 1}}, {{0x1.333334p-29f, 0, -0.0f, 0}}},
      // (1e30)^2 overflows; then inf * 0 in the last product is NaN.
      {"overflow is returned as it is", {{1e30f, 1e30f, 1e30f}}, {{0, 0, 0}}, {{-inf, inf, -0x1.2eec3p+101f, 1}},
       {{nan, 0, -0.0f, 0}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    coeffs rb{{9, 9, 9, 9}}, ib{{9, 9, 9, 9}};
    coef(r.rroot, r.iroot, rb, ib);
    for (int j = 0; j <= 3; ++j) {
      EXPECT_BITS(rb(j), r.rb(j)) << j;
      // An expected NaN stands for any NaN.
      EXPECT_BITS(isnan(r.ib(j)) && isnan(ib(j)) ? r.ib(j) : ib(j), r.ib(j)) << j;
    }
  }
}

}  // namespace
}  // namespace qubic
