// monic: each part of each coefficient of (x - r1)(x - r2)(x - r3) is a sum
// of at most eight terms p z, p a float or an exact product of two floats and
// z a float (or 1), so every term has at most 72 significant bits and lies
// in [2^-447, 2^384] or is 0.  The sum is rounded once to float:
//
//  * filter: the terms rounded once each and summed in double, with the
//    bound 2^-49 sum |t_i| on the error; when that interval lies inside the
//    cell of a normal float (strictly between the midpoints around it), that
//    float is the answer.  A sum of exact terms that lost nothing on the way
//    is converted directly (its ties are true ties).
//  * otherwise: the exact sum as a nonoverlapping expansion (two_prod splits
//    each term exactly, Shewchuk's Grow-Expansion adds them exactly), and its
//    exact sign against a midpoint drives the search of cells.hpp; a tie goes
//    to the even float there, as IEEE 754 rounding does.
//
// The argument, bound included, is in docs/programs.md ("The rebuilt cubic
// of --exact").
#include "exact/monic.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "exact/cells.hpp"
#include "exact/expansion.hpp"
#include "exact/part.hpp"

namespace qubic::exact {
namespace {

// One part of one coefficient: the sum of p[i] * z[i], N <= 8 (the
// constant term of a cubic with complex roots has eight).
template <int N>
struct terms {
  double p[N];
  double z[N];
};

constexpr int max_terms = 8;

// Adds b to the expansion e[0..m) (nonoverlapping, increasing magnitude, no
// zeros) exactly, keeping those properties; e has room for m + 1.
// Shewchuk, "Adaptive precision floating-point arithmetic and fast robust
// geometric predicates" (1997), Grow-Expansion with zero elimination.
void grow(double* e, int& m, double b) {
  double q = b;
  int kept = 0;
  for (int i = 0; i < m; ++i) {
    const two s = two_sum(q, e[i]);
    q = s.hi;
    if (s.lo != 0.0) e[kept++] = s.lo;
  }
  if (q != 0.0) e[kept++] = q;
  m = kept;
}

// The float nearest to the exact sum, from its expansion.
template <int N>
[[gnu::noinline]] float round_exactly(const terms<N>& t) {
  double e[2 * max_terms + 1];
  int m = 0;
  for (int i = 0; i < N; ++i) {
    const two pz = two_prod(t.p[i], t.z[i]);
    grow(e, m, pz.hi);
    grow(e, m, pz.lo);
  }
  if (m == 0) return 0.0f;  // an exact zero
  // The sign of a nonoverlapping expansion is that of its largest component.
  auto side = [&e, m](double mid) {
    double f[2 * max_terms + 1];
    int k = m;
    for (int i = 0; i < m; ++i) f[i] = e[i];
    grow(f, k, -mid);
    return k == 0 ? 0 : (f[k - 1] > 0.0 ? 1 : -1);
  };
  // Summed from the smallest component, the guess is within a few units of
  // the double's last place: the search starts in the right cell or next to it.
  double guess = 0.0;
  for (int i = 0; i < m; ++i) guess = guess + e[i];
  const std::int64_t k = round_by_search(side, guess_key(guess));
  if (k != 0) return key_float(k);
  return e[m - 1] < 0.0 ? -0.0f : 0.0f;  // nonzero, rounded to zero: its sign stays
}

// The terms are exact (every z is 1) and their sum in double is exact: no
// two_sum along the way leaves a remainder.
template <int N>
[[gnu::noinline]] bool exact_sum(const terms<N>& t) {
  for (int i = 0; i < N; ++i) {
    if (t.z[i] != 1.0) return false;
  }
  double s = t.p[0];
  for (int i = 1; i < N; ++i) {
    const two u = two_sum(s, t.p[i]);
    if (u.lo != 0.0) return false;
    s = u.hi;
  }
  return true;
}

// The filter is inlined into each part; the exact ways out are not.
template <int N>
[[gnu::always_inline]] inline float rounded(const terms<N>& t) {
  double r = 0.0;
  double a = 0.0;
  for (int i = 0; i < N; ++i) {
    const double ti = t.p[i] * t.z[i];  // rounded once; exact when z is 1
    r = r + ti;
    a = a + std::fabs(ti);
  }
  if (!(a <= std::numeric_limits<double>::max())) return std::numeric_limits<float>::quiet_NaN();
  if (a == 0.0) return 0.0f;  // every term an exact zero
  // The exact sum lies within bound of r (exact: a >= 2^-447).  A normal
  // float f = float(r), 2^e <= |f| < 2^(e+1), is the nearest float to every
  // value less than h = 2^(e-24) farther from zero than f, or less than h
  // (h / 2 when |f| = 2^e, the binade below being finer) nearer to zero.
  // d = |r| - |f| is exact (Sterbenz), h is exact, and a rounded sum beyond a
  // double implies the exact sum beyond it (rounding is monotone), so the
  // test proves the answer.
  const double bound = a * 0x1p-49;
  if (std::fabs(r) <= static_cast<double>(std::numeric_limits<float>::max())) {
    const float f = static_cast<float>(r);
    const float binade = std::bit_cast<float>(std::bit_cast<std::uint32_t>(f) & 0x7F800000u);  // 2^e, or 0
    const double h = static_cast<double>(binade) * 0x1p-24;
    const double d = std::fabs(r) - std::fabs(static_cast<double>(f));
    const double h_near = std::fabs(f) == binade ? h * 0.5 : h;
    if (d + bound < h && d - bound > -h_near) return f;
    // A sum of exact terms that lost nothing is the value itself, and its
    // conversion rounds it once, ties to even.  Such sums are often ties:
    // two floats of different exponents add up to 25 bits.
    if (exact_sum(t) && f != 0.0f) return f;
  }
  return round_exactly(t);  // near a midpoint, zero, subnormal or overflow
}

// The three shapes of roots, each with the fewest terms: three real roots,
// a real root r with a conjugate pair u +- iv (the exact engine gives one of
// these two, and the product's imaginary parts are then exact zeros), and
// three complex roots in general.  Equal exact values round alike, so the
// shape chosen never changes a bit.
void real_roots(double x1, double x2, double x3, coeffs& rb) {
  const double x1x2 = x1 * x2;  // products of two floats: exact in double
  rb(2) = rounded(terms<3>{{-x1, -x2, -x3}, {1, 1, 1}});
  rb(1) = rounded(terms<3>{{x1x2, x1 * x3, x2 * x3}, {1, 1, 1}});
  rb(0) = rounded(terms<1>{{-x1x2}, {x3}});
}

// (x - r)(x^2 - 2u x + u^2 + v^2).
void real_and_pair(double r, double u, double v, coeffs& rb) {
  const double uu = u * u, vv = v * v;
  rb(2) = rounded(terms<2>{{-r, -2.0 * u}, {1, 1}});
  rb(1) = rounded(terms<3>{{2.0 * (r * u), uu, vv}, {1, 1, 1}});
  rb(0) = rounded(terms<2>{{uu, vv}, {-r, -r}});
}

void complex_roots(double x1, double y1, double x2, double y2, double x3, double y3, coeffs& rb, coeffs& ib) {
  const double x1x2 = x1 * x2, x1y2 = x1 * y2, y1x2 = y1 * x2, y1y2 = y1 * y2;
  // x^2: -(r1 + r2 + r3).
  rb(2) = rounded(terms<3>{{-x1, -x2, -x3}, {1, 1, 1}});
  ib(2) = rounded(terms<3>{{-y1, -y2, -y3}, {1, 1, 1}});
  // x: r1 r2 + r1 r3 + r2 r3.
  rb(1) = rounded(terms<6>{{x1x2, x1 * x3, x2 * x3, -y1y2, -(y1 * y3), -(y2 * y3)}, {1, 1, 1, 1, 1, 1}});
  ib(1) = rounded(terms<6>{{x1y2, y1x2, x1 * y3, y1 * x3, x2 * y3, y2 * x3}, {1, 1, 1, 1, 1, 1}});
  // x^0: -r1 r2 r3, with r1 r2 = (x1x2 - y1y2) + i (x1y2 + y1x2).
  rb(0) = rounded(terms<4>{{-x1x2, x1y2, y1x2, y1y2}, {x3, y3, y3, x3}});
  ib(0) = rounded(terms<4>{{-x1x2, -x1y2, -y1x2, y1y2}, {y3, x3, x3, y3}});
}

}  // namespace

void monic(const roots& rroot, const roots& iroot, coeffs& rb, coeffs& ib) {
  const double x1 = rroot(1), x2 = rroot(2), x3 = rroot(3);
  const double y1 = iroot(1), y2 = iroot(2), y3 = iroot(3);
  ib = coeffs{{0.0f, 0.0f, 0.0f, 0.0f}};
  rb(3) = 1.0f;
  if (y1 == 0.0 && y2 == 0.0 && y3 == 0.0) {
    real_roots(x1, x2, x3, rb);
  } else if (y1 == 0.0 && x2 == x3 && y2 == -y3) {
    real_and_pair(x1, x2, y2, rb);
  } else if (y2 == 0.0 && x1 == x3 && y1 == -y3) {
    real_and_pair(x2, x1, y1, rb);
  } else if (y3 == 0.0 && x1 == x2 && y1 == -y2) {
    real_and_pair(x3, x1, y1, rb);
  } else {
    complex_roots(x1, y1, x2, y2, x3, y3, rb, ib);
  }
}

}  // namespace qubic::exact
