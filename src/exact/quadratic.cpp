// quadratic: the lower degrees in double (quadratic.hpp, docs/exact.md
// section 4, "Lower degrees").
#include "exact/quadratic.hpp"

#include <cmath>
#include <cstdint>

#include "exact/cells.hpp"
#include "exact/expansion.hpp"
#include "exact/filter.hpp"
#include "exact/stats.hpp"

namespace qubic::exact {
namespace {

int sign_of(double v) { return (v > 0.0) - (v < 0.0); }

// sign(-y/x - m) for floats x != 0, y: x m has at most 24 + 25 bits, so
// -y - x m is one rounding of an exact sum, with its sign; dividing by x
// turns the sign by sign(x).
int ratio_side(double x, double y, double m) {
  ++stats().filter;
  return sign_of(-y - x * m) * sign_of(x);
}

// The sign of the exact sum of x[0..4): sum2, then the exact expansion.
int four_parts(const double* x) {
  int level = 0;
  const int s = parts_sign<4>(x, &level);
  count_parts(level);
  return s;
}

// The oracles of b x^2 + c x + d.
struct quadratic_signs {
  double B, C, D;
  double cc, bd4;  // c^2 and 4bd, exact

  // p(m) = B m^2 + C m + D: Horner's filter (section 5), then the exact
  // parts B m^2 (two_prod of B and the exact m^2), C m (49 bits) and D.
  int p(double m) const {
    if (m == 0.0) {
      ++stats().filter;
      return sign_of(D);
    }
    const double c[3] = {D, C, B};
    const int s = horner_sign<2>(c, m, 50);
    if (s != 0) {
      ++stats().filter;
      return s;
    }
    const two x1 = two_prod(B, m * m);
    const double x[4] = {x1.hi, x1.lo, C * m, D};
    return four_parts(x);
  }
  // p'(m) = 2B m + C: 2B m is exact, so the rounded sum has the sign.
  int dp(double m) const {
    ++stats().filter;
    return sign_of(2.0 * B * m + C);
  }
  // sign(v - m), m >= 0, v^2 = (4BD - C^2) / (4B^2): the sign of
  // g - h, g = 4BD - C^2, h = 4 B^2 m^2.  g and h are each rounded once
  // and so is their difference, so the error is below 2^-50 (|g| + |h|);
  // past that, the exact parts 4BD, -C^2 and -4 B^2 m^2 (two_prod of the
  // exact B^2 and m^2).
  int im_side(double m) const {
    const double b2 = B * B;
    const double m2 = m * m;
    const double g = bd4 - cc;
    const double h = 4.0 * (b2 * m2);
    const double r = g - h;
    const double bound = (std::fabs(g) + std::fabs(h)) * 0x1p-50;
    if (r > bound || r < -bound) {
      ++stats().filter;
      return r > 0.0 ? 1 : -1;
    }
    const two x1 = two_prod(b2, m2);
    const double x[4] = {bd4, -cc, -4.0 * x1.hi, -4.0 * x1.lo};
    return four_parts(x);
  }
};

// Number of the roots r1 < r2 (two distinct, real) below m, from the signs
// of p and p' taken with the sign of b: p < 0 strictly between the roots,
// and p > 0 outside, falling left of them (p' < 0) and rising right.
// Returns sign(r_i - m).  Example (x^2 - 3x + 2, roots 1 and 2): at
// m = 1.5, p = -1/4 < 0, one root below: two_side(s, 1, 1, 1.5) = -1,
// two_side(s, 1, 2, 1.5) = +1.
int two_side(const quadratic_signs& s, int sb, int i, double m) {
  const int P = sb * s.p(m);
  if (P == 0) {  // m is a root: r1 where p' < 0, else r2
    const int k = sb * s.dp(m) < 0 ? 1 : 2;
    return i > k ? 1 : (i < k ? -1 : 0);
  }
  const int below = P < 0 ? 1 : (sb * s.dp(m) < 0 ? 0 : 2);
  return below >= i ? -1 : 1;
}

}  // namespace

quadratic_roots solve_quadratic(float b, float c, float d) {
  const double B = b, C = c, D = d;
  const quadratic_signs s{B, C, D, C * C, 4.0 * (B * D)};
  quadratic_roots out{};
  const part zero{0.0f, false};
  out.im[0] = out.im[1] = zero;
  out.pair = false;
  auto re_side = [&](double m) { return ratio_side(2.0 * B, C, m); };  // -c / (2b)
  const double u = -C / (2.0 * B);
  if (s.cc > s.bd4) {
    // Two real roots, from h = -(c + sign(c) sqrt(disc)) / 2 without
    // cancellation: h / b and d / h (h != 0: |h| >= sqrt(disc) / 2).
    const double root = std::sqrt(s.cc - s.bd4);
    const double h = -0.5 * (C + std::copysign(root, C));
    const double g1 = h / B, g2 = D / h;
    const double g[2] = {g1 < g2 ? g1 : g2, g1 < g2 ? g2 : g1};
    const int sb = b > 0.0f ? 1 : -1;
    // Two disjoint cells, ascending, each with a strict sign change of p,
    // hold one root each (two roots in all): filter signs only.
    const std::int64_t k1 = guess_key(g[0]), k2 = guess_key(g[1]);
    auto inner = [](std::int64_t k) { return k != 0 && k > -inf_key && k < inf_key; };
    if (inner(k1) && inner(k2) && k1 < k2) {
      const double c3[3] = {D, C, B};
      const int l1 = horner_sign<2>(c3, mid(k1 - 1), 50), h1 = horner_sign<2>(c3, mid(k1), 50);
      const int l2 = horner_sign<2>(c3, mid(k2 - 1), 50), h2 = horner_sign<2>(c3, mid(k2), 50);
      if (l1 * h1 < 0 && l2 * h2 < 0) {
        stats().filter += 4;
        out.re[0] = part{key_float(k1), false};
        out.re[1] = part{key_float(k2), false};
        return out;
      }
    }
    for (int i = 1; i <= 2; ++i) {
      auto side = [&](double m) { return two_side(s, sb, i, m); };
      out.re[i - 1] = round_part(side, g[i - 1]);
    }
    return out;
  }
  out.re[0] = round_part(re_side, u);
  if (s.cc == s.bd4) {  // the double root -c / (2b)
    out.re[1] = out.re[0];
    return out;
  }
  out.pair = true;
  out.re[1] = out.re[0];
  auto im_side = [&](double m) { return s.im_side(m); };
  const double v = std::sqrt(s.bd4 - s.cc) / (2.0 * std::fabs(B));
  out.im[0] = round_part(im_side, v, 0);
  out.im[1] = part{-out.im[0].f, out.im[0].lost};
  return out;
}

part solve_linear(float c, float d) {
  const double C = c, D = d;
  return round_part([&](double m) { return ratio_side(C, D, m); }, -D / C);
}

}  // namespace qubic::exact
