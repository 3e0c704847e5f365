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
// Worked example (Exact64Poly.Around): for x^3 - 2 around x = 1.25992104989487
// (the double nearest 2^(1/3), key k): the sign is -1 at mid(k - 1) and +1 at
// mid(k), so 2^(1/3) rounds to it.
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

// Signs at the midpoints below and above a double, and the Newton step.
struct around_result {
  int lo;
  int hi;
  double next;  // x - p(x)/p'(x), or NaN when p'(x) is 0 or not finite
};

class poly64 {
 public:
  wdd c[4];
  int n = 3;

  // Forget the cached frame (after a change of coefficients).
  void reset() { have_ = false; }

  const fpoly& frame(int e) {
    if (!have_ || e != fe_) {
      f_ = make_frame(c, n, e);
      fe_ = e;
      have_ = true;
    }
    return f_;
  }

  int sign(const point& m) {
    if (m.B == 0.0) return c[0].e == 0.0 ? (c[0].h > 0.0) - (c[0].h < 0.0) : 0;
    const int fe = point_exponent(m);
    const local L = localize(m, fe);
    const taylor t = expand(frame(fe), L.Y);
    return sign_at(t, L.lam);
  }

  // The sign at m^2 (m != 0).
  int sign_sq(const point& m) {
    const int fe = point_exponent(m);
    const local L = localize(m, fe);
    const two S = two_prod(L.Y, L.Y);
    const double r1 = S.lo + 2.0 * L.Y * L.lam;
    const double mu = r1 + L.lam * L.lam;
    const double mu_err = (u * std::fabs(r1) + u * std::fabs(mu)) * 1.01;
    const taylor t = expand(frame(2 * fe), S.hi);
    return sign_at(t, mu, mu_err);
  }

  // x normal and finite.  The midpoints around x are x + (half the gap
  // above |x|) and x - (half the gap below |x|), mirrored for x < 0; in the
  // frame of x's exponent they are Y +- 2^-53, or Y - 2^-54 below a power of
  // two (not the smallest normal).
  around_result around(double x) {
    const mant_exp me = split_exp(x);
    const taylor t = expand(frame(me.e), me.m);
    const double up = 0x1p-53;
    const double dn = (std::fabs(me.m) == 1.0 && me.e > -1022) ? 0x1p-54 : 0x1p-53;
    const double toward_inf = x > 0.0 ? up : dn;
    const double toward_minf = x > 0.0 ? dn : up;
    around_result r;
    r.lo = sign_at(t, -toward_minf);
    r.hi = sign_at(t, toward_inf);
    const double v = t.s0 + t.c;
    const double Ynext = me.m - v / t.d1;
    r.next = std::isfinite(Ynext) ? Ynext * pow2(me.e) : std::numeric_limits<double>::quiet_NaN();
    return r;
  }

  // The same for a polynomial taken at m^2 (the resolvent), around a
  // normal v > 0: its midpoints are (Y +- lam)^2 = Y^2 + (+-2 Y lam + lam^2)
  // in the frame of v's exponent, Y^2 split exactly; the Newton step is
  // taken in v (dG/dv = 2 v G'(v^2)).
  around_result around_sq(double v) {
    const mant_exp me = split_exp(v);
    const two S = two_prod(me.m, me.m);
    const taylor t = expand(frame(2 * me.e), S.hi);
    const double dn = me.m == 1.0 && me.e > -1022 ? 0x1p-54 : 0x1p-53;
    const double up = 0x1p-53;
    around_result r;
    {
      const double r1 = S.lo - 2.0 * me.m * dn;
      const double mu = r1 + dn * dn;
      r.lo = sign_at(t, mu, (u * std::fabs(r1) + u * std::fabs(mu)) * 1.01);
    }
    {
      const double r1 = S.lo + 2.0 * me.m * up;
      const double mu = r1 + up * up;
      r.hi = sign_at(t, mu, (u * std::fabs(r1) + u * std::fabs(mu)) * 1.01);
    }
    const double g = t.s0 + (t.c + S.lo * t.d1);
    const double Ynext = me.m - g / (2.0 * me.m * t.d1);
    r.next = std::isfinite(Ynext) ? Ynext * pow2(me.e) : std::numeric_limits<double>::quiet_NaN();
    return r;
  }

 private:
  fpoly f_;
  int fe_ = 0;
  bool have_ = false;
};

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_POLY64_HPP
