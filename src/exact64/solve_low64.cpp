// solve_low64: the lower degrees of the double engine (solve64.hpp),
// docs/exact64.md section 7.
//
// A linear root -d/c and a quadratic's real part -c/(2b) are single IEEE
// divisions, correctly rounded by the hardware (with care where 2b or c/2
// would round).  The two real roots of a quadratic and the pair's imaginary
// part go through the same confirm-then-search scheme as the cubic, with
// double-double filters and GMP behind them.
#include <cmath>
#include <cstdint>
#include <limits>

#include "exact64/approx64.hpp"
#include "exact64/big64.hpp"
#include "exact64/dot2.hpp"
#include "exact64/part64.hpp"
#include "exact64/poly64.hpp"
#include "exact64/solve64.hpp"
#include "exact64/stats64.hpp"

namespace qubic::exact64 {
namespace {

bool normal(double x) {
  const double ax = std::fabs(x);
  return ax >= std::numeric_limits<double>::min() && ax <= std::numeric_limits<double>::max();
}

// The double nearest to n/q (q != 0): IEEE division rounds once, to nearest
// even, to +-inf beyond the range and to +-0 below it.  An exact zero is +0.
part quotient(double n, double q) {
  if (n == 0.0) return {0.0, false};
  const double x = n / q;
  return {x, x == 0.0};
}

// -c / (2b), b != 0.  2b is exact below 2^1022 in magnitude; above, c/2 is
// exact unless |c| < 2^-1021, and then |c/(2b)| < 2^-2044 rounds to zero
// anyway, as c/b does.
part half_quotient(double c, double b) {
  if (c == 0.0) return {0.0, false};
  if (std::fabs(b) < 0x1p1022) return quotient(-c, 2.0 * b);
  if (std::fabs(c) >= 0x1p-1021) return quotient(-(c * 0.5), b);
  return quotient(-c, b);
}

int sgn(double x) { return (x > 0.0) - (x < 0.0); }

}  // namespace

int solve_low64(double b, double c, double d, solution_double& out) {
  if (b == 0.0 && c == 0.0) {
    const std::int32_t f = d == 0.0 ? 0 : -1;
    for (int k = 0; k < 3; ++k) out.flag[k] = f;
    return 0;
  }
  out.flag[2] = -1;
  if (b == 0.0) {
    out.flag[1] = -1;
    put_real(out, 0, quotient(-d, c));
    return 0;
  }
  ++stats().cubics;
  if (d == 0.0) {  // x (b x + c): the roots 0 and -c/b
    const part z{0.0, false};
    const part x = quotient(-c, b);
    const bool neg = c != 0.0 && sgn(c) * sgn(b) > 0;  // -c/b < 0
    put_real(out, 0, neg ? x : z);
    put_real(out, 1, neg ? z : x);
    return c == 0.0 ? 0 : 1;
  }
  const wdd disc = dot2(c, c, 1, b, d, -4);  // c^2 - 4bd
  int sd = 0;
  const double dv = disc.h + disc.l;
  if (dv > disc.e * widen) {
    sd = 1;
  } else if (dv < -disc.e * widen) {
    sd = -1;
  } else {
    ++stats().exact;
    big_quadratic64 big(b, c, d);
    ++stats().cubics_with_gmp;
    sd = big.disc_sign();
  }
  if (sd == 0) {
    const part x = half_quotient(c, b);
    put_real(out, 0, x);
    put_real(out, 1, x);
    return 0;
  }
  const guesses64 g = approx_quadratic64(b, c, d, sd > 0);
  if (sd > 0) {
    poly64 p;
    p.n = 2;
    p.c[0] = wdd_of(d);
    p.c[1] = wdd_of(c);
    p.c[2] = wdd_of(b);
    double x[2] = {g.x[0], g.x[1]};
    bool ok[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
      for (int it = 0; it < 3 && normal(x[i]); ++it) {
        const around_result r = p.around(x[i]);
        if (r.lo * r.hi < 0 || (r.next == r.next && r.next_lo * r.next_hi < 0)) {
          if (r.lo * r.hi >= 0) x[i] = r.next;
          ok[i] = true;
          stats().filter += 2;
          break;
        }
        if (!(r.next == r.next)) break;
        x[i] = r.next;
      }
    }
    if (ok[0] && ok[1] && x[0] < x[1]) {
      put_real(out, 0, part{x[0], false});
      put_real(out, 1, part{x[1], false});
      return 1;
    }
    // The count of roots r1 < r2 below m from the signs of p and p' taken
    // with the sign of b: p < 0 strictly between the roots; outside, p' < 0
    // left of them.
    big_quadratic64 big(b, c, d);
    ++stats().cubics_with_gmp;
    const int sb = sgn(b);
    poly64 dp;
    dp.n = 1;
    dp.c[0] = wdd_of(c);
    dp.c[1] = scale(wdd_of(b), 1);
    auto two_side = [&](int i, const point& m) {
      int P = sb * p.sign(m);
      if (P == 0) {
        ++stats().exact;
        P = sb * big.p_sign(m);
      }
      int P1 = sb * dp.sign(m);
      if (P1 == 0) {
        ++stats().exact;
        P1 = sb * big.dp_sign(m);
      }
      if (P == 0) {
        const int k = P1 < 0 ? 1 : 2;
        return i > k ? 1 : (i < k ? -1 : 0);
      }
      const int below = P < 0 ? 1 : (P1 < 0 ? 0 : 2);
      return below >= i ? -1 : 1;
    };
    for (int i = 1; i <= 2; ++i) {
      auto side = [&](std::int64_t j) { return two_side(i, mid(j)); };
      auto side0 = [&] { return two_side(i, point{}); };
      put_real(out, i - 1, round_part(side, side0, x[i - 1]));
    }
    return 1;
  }
  const part u = half_quotient(c, b);
  // sign(v - m) = sign(4bd - c^2 - 4b^2 m^2): a line in s = m^2.
  poly64 G;
  G.n = 1;
  G.c[0] = -disc;
  G.c[1] = -scale(wdd_of(b) * wdd_of(b), 2);
  double v = g.im;
  bool ok = false;
  for (int it = 0; it < 3 && normal(v) && v > 0.0; ++it) {
    const around_result r = G.around_sq(v);
    if (r.lo * r.hi < 0 || (r.next == r.next && r.next_lo * r.next_hi < 0)) {
      if (r.lo * r.hi >= 0) v = r.next;
      ok = true;
      stats().filter += 2;
      break;
    }
    if (!(r.next == r.next)) break;
    v = r.next;
  }
  part vp{v, false};
  if (!ok) {
    big_quadratic64 big(b, c, d);
    ++stats().cubics_with_gmp;
    auto side = [&](std::int64_t j) {
      const point m = mid(j);
      const int s = G.sign_sq(m);
      if (s != 0) return s;
      ++stats().exact;
      return big.im_side(m);
    };
    vp = round_part(side, [] { return 1; }, v, 0);
  }
  put(out, 0, u, vp);
  put(out, 1, u, part{-vp.f, vp.lost});
  return -1;
}

}  // namespace qubic::exact64
