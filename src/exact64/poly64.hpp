// poly64: a polynomial of degree <= 3 with wide coefficients and its filter
// at points (docs/exact64.md section 4): the frame of the point's own scale,
// then the Taylor filter of frame.hpp.
//
// sign(m) is +1 or -1 when the filter decides the sign of the polynomial at
// the point m, else 0 (undecided).  sign_sq(m) does the same for the
// polynomial taken at m^2 (the resolvent is a cubic in m^2): with Y + lam the
// point in its frame, m^2 = Y^2 + (2 Y lam + lam^2), Y^2 split exactly by
// two_prod, and the small rest summed with a bound of its own.  around(x)
// expands at a normal double x once and gives the signs at the midpoints
// below and above it, and the Newton step from x.
//
// Worked example (Exact64Blocks.WorkedExamples): for x^3 - 2 around
// x = 0x1.428a2f98d728bp+0 (the double nearest 2^(1/3), key k): the sign is
// -1 at mid(k - 1) and +1 at mid(k), so 2^(1/3) rounds to it.
#ifndef QUBIC_EXACT64_POLY64_HPP
#define QUBIC_EXACT64_POLY64_HPP

#include <cmath>
#include <limits>

#include "exact64/frame.hpp"
#include "exact64/keys.hpp"
#include "exact64/wide.hpp"

namespace qubic::exact64 {

// Y + lam: the point m in the frame of scale fe (m's exponent within a few
// units of fe; both exact).
struct local {
  double Y;
  double lam;
};

inline local localize(const point& m, int fe) {
  const mant_exp me = split_exp(m.B);
  const double Y = me.m * pow2(me.e + m.sigma - fe);
  const double lam = m.s == 0 ? 0.0 : static_cast<double>(m.s) * pow2(m.ell + m.sigma - fe);
  return {Y, lam};
}

// Signs at the midpoints below and above a double x, and at those of the
// Newton step's double from x when the same expansion reaches them.
struct around_result {
  int lo;          // the signs at x's midpoints (0 when not taken: the next ones confirmed)
  int hi;
  double next;     // x - p(x)/p'(x) rounded, or NaN when that is not finite
  int next_lo;     // the signs around next (0 when not reached)
  int next_hi;
};

// Half the gaps below and above the double Y in frame units (Y in [1, 2)
// or (-2, -1], the frame of x's exponent ex): below and above |Y| a gap is
// 2^-52, below |Y| = 1 only 2^-53 (unless x is the smallest normal).
struct half_gaps {
  double below;  // toward -inf
  double above;  // toward +inf
};

inline half_gaps gaps(double Y, int ex) {
  const double tz = (std::fabs(Y) == 1.0 && ex > -1022) ? 0x1p-54 : 0x1p-53;  // toward zero
  return Y > 0.0 ? half_gaps{tz, 0x1p-53} : half_gaps{0x1p-53, tz};
}

class poly64 {
 public:
  wdd c[4];
  int n = 3;

  // Forget the cached frame (after a change of coefficients).
  void reset() { have_ = false; }
  const fpoly& frame(int e);

  int sign(const point& m);
  // The sign at m^2 (m != 0).
  int sign_sq(const point& m);

  // x normal and finite.  One expansion at Y (x in the frame of its
  // exponent, or in the cached frame when that is within 2^7 of it) gives the signs at Y's own midpoints (Y -+ half gaps) and, when
  // the Newton step's double Y1 stays in the binade within 2^-41 of Y (2^11
  // units), at Y1's midpoints (offsets Y1 - Y -+ half gaps, exact: multiples
  // of 2^-53 below 2^-40): rho stays below 2^-40, the filter's limit.
  around_result around(double x);

  // The same for a polynomial taken at m^2 (the resolvent), around a normal
  // v > 0.  In the frame of v's exponent a point is Y + lam and
  // (Y + lam)^2 = S0 + mu with S0 = fl(Y0^2), Y0^2 = S0 + S0l exactly, and
  // mu = (Y - Y0 + lam)(Y + Y0 + lam) + S0l: the first factor exact, the
  // second within 2^-51, the product and the sum rounded once each.  The
  // Newton step is taken in v (dG/dv = 2 v G'(v^2)).
  around_result around_sq(double v);

 private:
  fpoly f_;
  int fe_ = 0;
  bool have_ = false;
};

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_POLY64_HPP
