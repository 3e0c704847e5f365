// quad: both roots of a x^2 + b x + c in single precision.
//
// Contract: a, b, c are read only; iflag is written on every call.
//   -2  a coefficient infinite, NaN or nonzero subnormal  no root written
//   -1  a = b = c = 0 (every x solves it)                 no root written
//    0  a = b = 0, c != 0 (nothing solves it)             no root written
//   10  a = 0: linear root, unusable                      x1r, x1i written
//   11  a = 0: linear root, usable                        x1r, x1i written
//   20  a != 0: no usable root                            all four written
//   21  a != 0: real pair, only x1r usable (x2r is not)   all four written
//   22  a != 0: both usable: real pair (x1i = x2i = 0) or
//       conjugate pair (x2r = x1r, x2i = -x1i)            all four written
// Outputs that a status does not list keep the caller's values.
//
// Neither a*c nor b*b is ever formed in single precision: the branch and
// the roots are computed from ra = sqrt|a| and rc = sqrt|c| taken
// separately, so coefficients near the range limits neither overflow nor
// underflow in between.  Only in the band 1.9 <= |b|/(ra*rc) <= 2.1 with a
// and c of one sign, where the roots are nearly double and the discriminant
// cancels, is b*b - 4ac formed, in double precision, where the products of
// singles are exact and the subtraction rounds once.
//
// A root value is unusable when it is zero (where the exact root cannot be
// zero, a zero can only be an underflow), subnormal or infinite.
//
// Example: a = 1, b = -3, c = 2 gives 22 with x1r = 0x1.fffffep+0 (2 - 2^-23)
// and x2r = 0x1.000002p+0 (1 + 2^-23), the larger root first.
#include <cmath>

#include <qubic/qubic.hpp>

#include "quad1/switch.hpp"

namespace qubic {
namespace {

// 1.0 with the sign of v; a negative zero counts as nonnegative.
float s(float v) { return v < 0.0f ? -1.0f : 1.0f; }

// Zero, subnormal or infinite, tested in that order.
bool bad_root(float x) { return x == 0.0f || isdnrm(x) || isinf(x); }

// The band bounds 1.9 and 2.1 as their nearest singles (0x3FF33333, 0x40066666).
constexpr float lo_band = 1.9f;
constexpr float hi_band = 2.1f;

// A real pair with c != 0: every zero is an underflow.  A single usable root
// is moved into first place; only the real parts move, both imaginary parts
// being zero.
std::int32_t judge_pair(float& x1r, float& x2r) {
  const bool bad1 = bad_root(x1r);
  const bool bad2 = bad_root(x2r);
  if (bad1 && bad2) return 20;
  if (bad1) {
    switch_(x1r, x2r);
    return 21;
  }
  if (bad2) return 21;
  return 22;
}

}  // namespace

void quad(float a, float b, float c, float& x1r, float& x1i, float& x2r, float& x2i,
          std::int32_t& iflag) {
  if (isinf(a) || isinf(b) || isinf(c) || isnan(a) || isnan(b) || isnan(c) || isdnrm(a) ||
      isdnrm(b) || isdnrm(c)) {
    iflag = -2;
    return;
  }

  if (a == 0.0f) {
    if (b == 0.0f) {
      iflag = c == 0.0f ? -1 : 0;
      return;
    }
    x1r = -(c / b);
    x1i = 0.0f;
    // A zero quotient is exact only when c is zero.
    const bool bad = (x1r == 0.0f && c != 0.0f) || isdnrm(x1r) || isinf(x1r);
    iflag = bad ? 10 : 11;
    return;
  }

  if (c == 0.0f) {
    // The exact root 0 stays first; nothing is exchanged.
    x1r = 0.0f;
    x1i = 0.0f;
    x2r = -(b / a);
    x2i = 0.0f;
    const bool bad = (x2r == 0.0f && b != 0.0f) || isdnrm(x2r) || isinf(x2r);
    iflag = bad ? 21 : 22;
    return;
  }

  const float ra = std::sqrt(std::fabs(a));
  const float rc = std::sqrt(std::fabs(c));
  const float ab = std::fabs(b);
  const float p = s(a) * s(c);

  // Branch: near-double-root band, then |b| >= 2 sqrt|ac| (real roots,
  // cancellation-free), then below it (opposite signs: real; same: complex).
  // A product that overflows becomes +inf and is compared as such.
  const float lo = (ra * lo_band) * rc;
  const float hi = (ra * hi_band) * rc;
  if (p > 0.0f && !(lo > ab) && !(ab > hi)) {
    // Near a double root: the discriminant in double precision.
    const double ad = a;
    const double bd = b;
    const double cd = c;
    const double disc = (bd * bd) - ((ad * 4.0) * cd);
    if (disc >= 0.0) {
      const float sdisc = static_cast<float>(std::sqrt(disc));
      x1r = ((-b + sdisc) / a) / 2.0f;
      x2r = ((-b - sdisc) / a) / 2.0f;
      x1i = 0.0f;
      x2i = 0.0f;
      iflag = judge_pair(x1r, x2r);
      return;
    }
    const float sdisc = static_cast<float>(std::sqrt(-disc));
    x1r = (-(b / a)) / 2.0f;
    x2r = x1r;
    x1i = (sdisc / a) / 2.0f;  // carries the sign of a
    x2i = -x1i;
    // b != 0 in the band, so a zero real part is an underflow.
    iflag = (bad_root(x1r) || bad_root(x1i)) ? 20 : 22;
    return;
  }

  if (!(ab < (ra * 2.0f) * rc)) {
    // Real roots, |b| >= 2 sqrt|ac|.  f = 1 + sqrt(1 - 4ac/b^2) never
    // cancels; the larger root comes from f and the smaller from the product
    // of the roots, c/a, so neither subtracts nearly equal values.
    const float r = (ra * rc) / ab;
    const float f = std::sqrt(1.0f - ((p * 4.0f) * (r * r))) + 1.0f;
    x1r = -(((f * b) / a) / 2.0f);
    x2r = -(((c * 2.0f) / b) / f);
    x1i = 0.0f;
    x2i = 0.0f;
    iflag = judge_pair(x1r, x2r);
    return;
  }

  if (p < 0.0f) {
    // Real roots, a and c of opposite signs, |b| < 2 sqrt|ac|: both roots
    // scale with sqrt|c/a|; abc = |b| / (2 sqrt|ac|) lies in [0, 1).
    const float abc = (ab / (ra * rc)) / 2.0f;
    const float f = abc + std::sqrt((abc * abc) + 1.0f);
    const float rca = rc / ra;
    x1r = -(((s(a) * s(b)) * rca) * f);
    x2r = -(((s(c) * s(b)) * rca) / f);
    x1i = 0.0f;
    x2i = 0.0f;
    // An underflowed abc has lost b: the pair cannot be trusted.
    if ((abc == 0.0f && b != 0.0f) || isdnrm(abc)) {
      iflag = 20;
      return;
    }
    iflag = judge_pair(x1r, x2r);
    return;
  }

  // Complex pair, a and c of one sign, |b| below the band.
  x1r = -((b / a) / 2.0f);
  x2r = x1r;
  const float q = (b / (ra * rc)) / 2.0f;
  x1i = (rc / ra) * std::sqrt(1.0f - (q * q));  // never negative
  x2i = -x1i;
  // A zero real part is exact only when b is zero.
  const bool bad = (x1r == 0.0f && b != 0.0f) || isdnrm(x1r) || isinf(x1r) || x1i == 0.0f ||
                   isdnrm(x1i) || isinf(x1i);
  iflag = bad ? 20 : 22;
}

}  // namespace qubic
