// approx64: starting guesses for the double engine (approx64.hpp).
#include "exact64/approx64.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>

#include "exact/cube_root.hpp"
#include "exact64/frame.hpp"
#include "exact64/wide.hpp"

namespace qubic::exact64 {

double ldexp_wide_slow(double m, long e) {
  if (m == 0.0 || !std::isfinite(m)) return m;
  if (e >= -1000 && e <= 1000 && std::fabs(m) >= 0x1p-20 && std::fabs(m) <= 0x1p20) return m * pow2(static_cast<int>(e));
  if (e > 2200) return m > 0.0 ? INFINITY : -INFINITY;
  if (e < -2200) return m > 0.0 ? 0.0 : -0.0;
  return std::ldexp(m, static_cast<int>(e));
}

namespace {

// Newton's method on y^3 + B y^2 + C y + D from y, at most six steps, until
// the step is below 2^-40 relative: near a double root the closed forms lose
// half the bits, and this brings the guess back within a few units.
double newton_monic(double B, double C, double D, double y) {
  for (int it = 0; it < 6; ++it) {
    const double p = ((y + B) * y + C) * y + D;
    const double dp = (3.0 * y + 2.0 * B) * y + C;
    if (dp == 0.0) break;
    const double step = p / dp;
    const double ny = y - step;
    if (!(std::fabs(ny) <= 1e300)) break;
    y = ny;
    if (std::fabs(step) <= 0x1p-40 * std::fabs(y)) break;
  }
  return y;
}

// Two roots of y^3 + B y^2 + C y + D close together lie on either side of
// the critical point y_c between them (a root of 3y^2 + 2By + C, the one
// nearer the pair): p(y_c + t) ~ p(y_c) + (3 y_c + B) t^2 gives
// t = +-sqrt(-p(y_c) / (3 y_c + B)); each start is then polished by Newton's
// method on its own side, where it cannot jump across to the other root.
// y[] holds the closed form's three roots; the two nearest each other are
// replaced.  With centre_only, a pair within 2^-5 of its size is left at
// the unpolished starts and the third root as it was (the caller takes only
// their centre, for the cubic shifted there).
void near_double(double B, double C, double D, double* y, bool centre_only) {
  int i0 = 0, i1 = 1;
  double best = std::fabs(y[0] - y[1]);
  if (std::fabs(y[0] - y[2]) < best) { i1 = 2; best = std::fabs(y[0] - y[2]); }
  if (std::fabs(y[1] - y[2]) < best) { i0 = 1; i1 = 2; }
  const double dq = B * B - 3.0 * C;
  const double size = std::max(std::fabs(y[i0]), std::fabs(y[i1]));
  if (size < 0x1p-12) return;  // two roots far below the largest: the product of the roots does better
  if (!(dq >= 0.0) || !(std::fabs(y[i0] - y[i1]) <= 0x1p-6 * size)) {  // no close pair after all
    for (int i = 0; i < 3; ++i) y[i] = newton_monic(B, C, D, y[i]);
    return;
  }
  const double t = -(B + std::copysign(std::sqrt(dq), B));  // 3 y_c for one critical point
  const double c1 = t / 3.0, c2 = t != 0.0 ? C / t : 0.0;   // the two critical points
  const double mid = 0.5 * (y[i0] + y[i1]);
  const double yc = std::fabs(c1 - mid) <= std::fabs(c2 - mid) ? c1 : c2;
  const double pc = ((yc + B) * yc + C) * yc + D;
  const double h = 3.0 * yc + B;
  const double tt = h != 0.0 ? -pc / h : -1.0;
  if (tt > 0.0) {
    const double dt = std::sqrt(tt);
    if (centre_only && dt <= 0x1p-6 * std::fabs(yc)) {
      y[i0] = yc - dt;
      y[i1] = yc + dt;
      return;
    }
    const double lo = newton_monic(B, C, D, yc - dt), hi = newton_monic(B, C, D, yc + dt);
    y[i0] = lo;
    y[i1] = hi;
  } else {
    y[i0] = y[i1] = yc;  // no sign change measured in double: let the filters decide
  }
  const int other = 3 - i0 - i1;
  y[other] = newton_monic(B, C, D, y[other]);
}

struct wide_d {
  double m;
  long e;
};

double to_double(wide_d w) { return ldexp_wide(w.m, w.e); }

// The roots of b x^2 + c x + d (b != 0) with separate exponents: the stable
// formula q = -(c + sign(c) sqrt(c^2 - 4bd)) / 2, x = q / b and d / q, or
// the pair -c/(2b) +- i sqrt(4bd - c^2) / (2|b|).  All scaled by 2^-E, E the
// even exponent bound of c^2 and 4bd.
void quad_roots(double b, double c, double d, wide_d* r1, wide_d* r2, wide_d* re, wide_d* im) {
  const mant_exp B = split_exp(b), C = split_exp(c), D = split_exp(d);
  long E = std::max(C.m != 0.0 ? 2L * C.e : -100000L, D.m != 0.0 ? static_cast<long>(B.e) + D.e + 2 : -100000L);
  if (E < -99990) E = 0;
  if (E % 2 != 0) ++E;
  const long h = E / 2;
  const double cs = C.m * pow2(static_cast<int>(std::clamp<long>(C.e - h, -1100, 10)));
  const double bd4 = 4.0 * B.m * D.m * pow2(static_cast<int>(std::clamp<long>(B.e + D.e - E, -1100, 10)));
  const double disc = cs * cs - bd4;  // (c^2 - 4bd) 2^-E
  if (disc >= 0.0) {
    const double q = -0.5 * (cs + std::copysign(std::sqrt(disc), cs));  // q 2^-h
    if (q == 0.0) {
      *r1 = *r2 = {0.0, 0};
    } else {
      *r1 = {q / B.m, h - B.e};
      *r2 = {D.m / q, D.e - h};
    }
  } else {  // nearly a double root (or a pair): both start at the real part
    *r1 = *r2 = {-0.5 * C.m / B.m, static_cast<long>(C.e) - B.e};
  }
  *re = {-0.5 * C.m / B.m, static_cast<long>(C.e) - B.e};
  *im = {std::sqrt(std::max(-disc, 0.0)) / (2.0 * std::fabs(B.m)), h - B.e};
}

}  // namespace

guesses64 approx_quadratic64(double b, double c, double d, bool real) {
  guesses64 g{{0.0, 0.0, 0.0}, 0.0, 0.0, false, false};
  wide_d r1{}, r2{}, re{}, im{};
  quad_roots(b, c, d, &r1, &r2, &re, &im);
  if (real) {
    g.x[0] = to_double(r1);
    g.x[1] = to_double(r2);
    if (g.x[0] > g.x[1]) std::swap(g.x[0], g.x[1]);
  } else {
    g.re = to_double(re);
    g.im = to_double(im);
  }
  return g;
}

guesses64 approx_cubic64(double a, double b, double c, double d, bool three_real, bool centre_only) {
  guesses64 g{{0.0, 0.0, 0.0}, 0.0, 0.0, false, false};
  const mant_exp A = split_exp(a), B = split_exp(b), C = split_exp(c), D = split_exp(d);
  // 2^k bounds the largest root: k = max(e(b/a), e(c/a)/2, e(d/a)/3).
  long k = -100000;
  if (B.m != 0.0) k = std::max<long>(k, B.e - A.e);
  if (C.m != 0.0) k = std::max<long>(k, (C.e - A.e) >> 1);
  if (D.m != 0.0) {
    const long t = static_cast<long>(D.e) - A.e;
    k = std::max<long>(k, t >= 0 ? t / 3 : -((-t + 2) / 3));  // floor(t / 3)
  }
  if (k < -99990) k = 0;
  auto scaled = [&](const mant_exp& X, long shift) {
    return X.m / A.m * pow2(static_cast<int>(std::clamp<long>(X.e - A.e - shift, -1100, 10)));
  };
  const double Bs = scaled(B, k), Cs = scaled(C, 2 * k), Ds = scaled(D, 3 * k);
  constexpr double third = 1.0 / 3.0;
  const double shift = -Bs * third;
  const double p = Cs - Bs * Bs * third;
  const double q = (2.0 * Bs * Bs * Bs - 9.0 * Bs * Cs + 27.0 * Ds) * (1.0 / 27.0);
  // -D = -d/a as a wide number, for the product of the roots.
  const wide_d negD{-D.m / A.m, static_cast<long>(D.e) - A.e};
  if (three_real) {
    const double mp = p < 0.0 ? std::sqrt(-p * third) : 0.0;
    double cosarg = mp > 0.0 ? -q / (2.0 * mp * mp * mp) : 0.0;
    cosarg = std::clamp(cosarg, -1.0, 1.0);
    const double th = std::acos(cosarg) * third;
    const double ct = std::cos(th), st = std::sin(th);
    constexpr double h3 = 0.86602540378443864676;  // sqrt(3) / 2
    double y[3] = {2.0 * mp * ct + shift, mp * (h3 * 2.0 * st - ct) + shift, -mp * (ct + h3 * 2.0 * st) + shift};
    int nsmall = 0, small = -1;
    for (int i = 0; i < 3; ++i) {
      if (std::fabs(y[i]) < 0x1p-12) {
        ++nsmall;
        small = i;
      }
    }
    // Away from a near-double root (the cosine's argument well inside
    // (-1, 1)) the formula is good to a few units of 2^-52 on roots of order
    // one; closer, Newton's method in double on the scaled cubic.
    if (!(std::fabs(cosarg) < 1.0 - 0x1p-10)) near_double(Bs, Cs, Ds, y, centre_only);
    for (int i = 0; i < 3; ++i) g.x[i] = ldexp_wide(y[i], k);
    if (nsmall == 1) {  // the roots multiply to -d/a
      const double o = y[(small + 1) % 3] * y[(small + 2) % 3];
      g.x[small] = to_double({negD.m / o, negD.e - 2 * k});
    } else if (nsmall == 2) {
      // The large root L deflated out: y^2 + (Bs + L) y - Ds/L holds the two
      // small ones, polished by Newton on the whole cubic; where Ds
      // underflowed or the small roots are tiny, the truncation
      // b x^2 + c x + d = 0 with its own exponents.
      const int big = std::fabs(y[0]) >= 0x1p-12 ? 0 : (std::fabs(y[1]) >= 0x1p-12 ? 1 : 2);
      const double L = y[big], beta = Bs + L, gam = -Ds / L;
      const double dq = beta * beta - 4.0 * gam;
      const double small = std::fmax(std::fabs(y[(big + 1) % 3]), std::fabs(y[(big + 2) % 3]));
      int n = 0;
      // beta = Bs + L keeps only 2^-53 absolutely: below about 2^-26 the
      // truncation b x^2 + c x + d (relative error of the order of the
      // small roots) does better.
      if (gam != 0.0 && small >= 0x1p-26) {
        const double t = -0.5 * (beta + std::copysign(std::sqrt(std::max(dq, 0.0)), beta));
        const double z[2] = {t, t != 0.0 ? gam / t : 0.0};
        for (int i = 0; i < 3; ++i) {
          if (i != big) g.x[i] = ldexp_wide(newton_monic(Bs, Cs, Ds, z[n++]), k);
        }
      } else {
        wide_d r1{}, r2{}, re{}, im{};
        quad_roots(b, c, d, &r1, &r2, &re, &im);
        for (int i = 0; i < 3; ++i) {
          if (i != big) g.x[i] = to_double(n++ == 0 ? r1 : r2);
        }
      }
    }
    sort3(g.x);
    return g;
  }
  const double hq = q * 0.5;
  const double p3 = p * third;
  const double disc = std::max(hq * hq + p3 * p3 * p3, 0.0);
  const double Ac = -exact::cube_root(hq + std::copysign(std::sqrt(disc), hq));
  double yr = Ac + (Ac != 0.0 ? -p3 / Ac : 0.0) + shift;
  if (!(disc >= 0x1p-20 * (hq * hq))) yr = newton_monic(Bs, Cs, Ds, yr);  // a nearly double pair
  // p(x) = a (x - r)(x^2 - 2 u x + gamma): 2u = -B - r, gamma = -D/r.
  double us = -(Bs + yr) * 0.5;
  double gs = yr != 0.0 ? -Ds / yr : Cs;
  double vs = std::sqrt(std::max(gs - us * us, 0.0));
  g.x[0] = g.x[1] = g.x[2] = ldexp_wide(yr, k);
  g.re = ldexp_wide(us, k);
  g.im = ldexp_wide(vs, k);
  const double pair = std::sqrt(us * us + vs * vs);
  if (std::fabs(yr) < 0x1p-12) {
    // A small real root: Cardano's value is good only to 2^-52 absolutely,
    // which spoils gamma = -D/r; c/a = gamma + 2ur gives gamma instead, and
    // the roots' product -D = r gamma the real root (separate exponents).
    gs = Cs - 2.0 * us * yr;
    vs = std::sqrt(std::max(gs - us * us, 0.0));
    g.im = ldexp_wide(vs, k);
    if (gs != 0.0) g.x[0] = g.x[1] = g.x[2] = to_double({negD.m / gs, negD.e - 2 * k});
    // u is -(B + r)/2 with r's absolute error: when u is tiny beside v,
    // q's linear part does better.
    g.re_small = !(std::fabs(us) >= 0x1p-16 * vs);
    g.im_small = !(vs * vs >= 0x1p-20 * std::fabs(gs));
    return g;
  } else if (pair < 0x1p-12 * std::fabs(yr)) {  // a small pair: the truncation b x^2 + c x + d
    wide_d r1{}, r2{}, re{}, im{};
    quad_roots(b, c, d, &r1, &r2, &re, &im);
    g.re = to_double(re);
    g.im = to_double(im);
    // -c/(2b) drops the pair's coupling to the real root: exact only when
    // that vanishes, and 0 when c = 0; q's linear part does better.
    g.re_small = true;
    if (g.im == 0.0) g.im_small = true;
    return g;
  }
  g.re_small = !(std::fabs(us) >= 0x1p-16 * (std::fabs(Bs) + std::fabs(yr)));
  g.im_small = !(vs * vs >= 0x1p-20 * std::fabs(gs));
  return g;
}

bool approx_shifted64(const fpoly& f, double Y, int fe, bool three_real, guesses64* out, int* shifted_disc) {
  const double h3 = f.h[3], h2 = f.h[2], h1 = f.h[1];
  // D = F(Y): the filter's compensated Horner scheme (frame.hpp).
  const taylor ty = expand(f, Y);
  const double D = ty.s0 + ty.c;
  // C = F'(Y) = 3 h3 Y^2 + 2 h2 Y + h1, with 3 h3 split exactly.
  const two t3 = two_prod(3.0, h3);
  const two q2 = two_prod(t3.hi, Y);
  const two r2 = two_sum(q2.hi, 2.0 * h2);
  const two q1 = two_prod(r2.hi, Y);
  const two r1 = two_sum(q1.hi, h1);
  const double C = r1.hi + ((((q2.lo + r2.lo) + t3.lo * Y) * Y) + (q1.lo + r1.lo));
  // B = F''(Y)/2 = 3 h3 Y + h2.
  const two r0 = two_sum(q2.hi, h2);
  const double B = r0.hi + ((q2.lo + r0.lo) + t3.lo * Y);
  if (!std::isfinite(B) || !std::isfinite(C) || !std::isfinite(D) || h3 == 0.0 || D == 0.0) return false;
  if (shifted_disc != nullptr) {
    // The shifted cubic's discriminant in double, its terms of the cluster's
    // own scale (0 when they underflow): a guess at the kind of roots.
    const double t = (18.0 * h3 * B * C * D - 4.0 * B * B * B * D) + (B * B * C * C - 4.0 * h3 * C * C * C) -
                     27.0 * h3 * h3 * D * D;
    *shifted_disc = (t > 0.0) - (t < 0.0);
    if (*shifted_disc < 0) return false;
  }
  guesses64 g{{0.0, 0.0, 0.0}, 0.0, 0.0, false, false};
  bool done = false;
  if (three_real && B != 0.0) {
    // Two roots near S and a third far off: B y^2 + C y + D = 0 holds the
    // two to the order of their size over the third's, then Newton's
    // method on the shifted cubic (well posed in its own scale) and the
    // third from the sum of the roots.  The closed form loses them when
    // they are a near-double pair far below the third.
    const double far = -B / h3;
    const double q = C * C - 4.0 * B * D;
    const double t = q >= 0.0 ? -0.5 * (C + std::copysign(std::sqrt(q), C)) : 0.0;
    double y1 = q >= 0.0 ? t / B : -C / (2.0 * B), y2 = (q >= 0.0 && t != 0.0) ? D / t : y1;
    if (std::fabs(y1) <= 0x1p-8 * std::fabs(far) && std::fabs(y2) <= 0x1p-8 * std::fabs(far)) {
      auto polish = [&](double y) {
        for (int it = 0; it < 4; ++it) {
          const double f = ((h3 * y + B) * y + C) * y + D;
          const double df = (3.0 * h3 * y + 2.0 * B) * y + C;
          if (df == 0.0) break;
          const double step = f / df;
          const double ny = y - step;
          if (!std::isfinite(ny)) break;
          y = ny;
          // Near a simple root the steps shrink quadratically: after one
          // below 2^-30 relative the next is of the order of a unit.
          if (std::fabs(step) <= 0x1p-30 * std::fabs(y)) break;
        }
        return y;
      };
      y1 = polish(y1);
      y2 = polish(y2);
      g.x[0] = y1;
      g.x[1] = y2;
      g.x[2] = polish((far - y1) - y2);
      done = true;
    }
  }
  if (!done) g = approx_cubic64(h3, B, C, D, three_real);
  const double sc = pow2(fe);
  *out = g;
  for (int i = 0; i < 3; ++i) {
    out->x[i] = (Y + g.x[i]) * sc;
    if (!std::isfinite(out->x[i])) return false;
  }
  sort3(out->x);
  out->re = (Y + g.re) * sc;
  out->im = g.im * sc;
  return std::isfinite(out->re) && std::isfinite(out->im);
}

}  // namespace qubic::exact64
