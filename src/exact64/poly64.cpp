// poly64: the filter of a wide polynomial at points (poly64.hpp).
#include "exact64/poly64.hpp"

#include <cmath>
#include <limits>

#include "exact64/stats64.hpp"

namespace qubic::exact64 {

const fpoly& poly64::frame(int e) {
  if (!have_ || e != fe_) {
    make_frame(f_, c, n, e);
    fe_ = e;
    have_ = true;
  }
  return f_;
}

int poly64::sign(const point& m) {
  if (m.B == 0.0) return c[0].e == 0.0 ? (c[0].h > 0.0) - (c[0].h < 0.0) : 0;
  const int fe = point_exponent(m);
  const local L = localize(m, fe);
  const taylor t = expand(frame(fe), L.Y);
  return sign_at(t, L.lam);
}

int poly64::sign_sq(const point& m) {
  const int fe = point_exponent(m);
  const local L = localize(m, fe);
  const two S = two_prod(L.Y, L.Y);
  const double r1 = S.lo + 2.0 * L.Y * L.lam;
  const double mu = r1 + L.lam * L.lam;
  const double mu_err = (u * std::fabs(r1) + u * std::fabs(mu)) * 1.01;
  const taylor t = expand(frame(2 * fe), S.hi);
  return sign_at(t, mu, mu_err);
}

around_result poly64::around(double x) {
  ++stats().expansions;
  // The frame of x's exponent ex, or the cached one when its scale fe lies
  // within 7 of ex: then Y = x 2^-fe (exact, 2^-7 <= |Y| < 2^8) lies in the
  // binade [2^k, 2^(k+1)), k = ex - fe, and the half gaps are 2^k times those
  // of the mantissa.
  const int ex = exponent(x);
  const bool reuse = have_ && fe_ >= -1000 && fe_ <= 1000 && ex - fe_ <= 7 && fe_ - ex <= 7;
  const int fe = reuse ? fe_ : ex;
  const int k = ex - fe;
  const double Y = reuse ? x * pow2(-fe) : split_exp(x).m;
  const double sk = pow2(k);
  const taylor t = expand(frame(fe), Y);
  around_result r{0, 0, 0.0, 0, 0};
  const double Y1 = Y - (t.s0 + t.c) / t.d1;
  r.next = std::isfinite(Y1) ? Y1 * pow2(fe) : std::numeric_limits<double>::quiet_NaN();
  const double dY = Y1 - Y;
  const double aY1 = std::fabs(Y1);
  // The Newton step's cell first: when it confirms, Y's own is not needed.
  if (dY != 0.0 && aY1 >= sk && aY1 < 2.0 * sk && (Y1 > 0.0) == (Y > 0.0) && std::fabs(dY) <= 0x1p-41 * sk) {
    const half_gaps g1 = gaps(Y1 * pow2(-k), ex);
    r.next_lo = sign_at(t, dY - g1.below * sk);
    r.next_hi = sign_at(t, dY + g1.above * sk);
    if (r.next_lo * r.next_hi < 0) return r;
  }
  const half_gaps g0 = gaps(Y * pow2(-k), ex);
  r.lo = sign_at(t, -g0.below * sk);
  r.hi = sign_at(t, g0.above * sk);
  return r;
}

around_result poly64::around_sq(double v) {
  ++stats().expansions;
  const mant_exp me = split_exp(v);
  const double Y0 = me.m;
  const two S = two_prod(Y0, Y0);
  const taylor t = expand(frame(2 * me.e), S.hi);
  auto at = [&](double dY, double lam) {
    const double delta = dY + lam;
    const double sigma = (2.0 * Y0 + dY) + lam;
    const double pr = delta * sigma;
    const double mu = pr + S.lo;
    const double err = ((u * std::fabs(pr) + std::fabs(delta) * 0x1p-51) + u * std::fabs(mu)) * 1.01;
    return sign_at(t, mu, err);
  };
  const half_gaps g0 = gaps(Y0, me.e);
  around_result r{at(0.0, -g0.below), at(0.0, g0.above), 0.0, 0, 0};
  const double g = t.s0 + (t.c + S.lo * t.d1);
  const double Y1 = Y0 - g / (2.0 * Y0 * t.d1);
  r.next = std::isfinite(Y1) ? Y1 * pow2(me.e) : std::numeric_limits<double>::quiet_NaN();
  const double dY = Y1 - Y0;
  if (Y1 >= 1.0 && Y1 < 2.0 && std::fabs(dY) <= 0x1p-49) {
    const half_gaps g1 = gaps(Y1, me.e);
    r.next_lo = at(dY, -g1.below);
    r.next_hi = at(dY, g1.above);
  }
  return r;
}

}  // namespace qubic::exact64
