// expansion: error-free transformations in double, without fused
// multiply-add (the build forbids contraction), a summation whose error
// bound is known, and the exact sign of a sum of doubles.
//
//  * two_sum(x, y): s + e == x + y exactly, s = fl(x + y) (Knuth; exact in
//    any binary floating point with rounding to nearest, underflow
//    included, as long as nothing overflows).
//  * two_prod(x, y): p + e == x * y exactly, p = fl(x * y) (Dekker, with
//    Veltkamp's split into 26-bit halves).  Exact when no partial product
//    underflows or overflows: x a multiple of 2^-i and y one of 2^-j with
//    i + j <= 1000, and |x|, |y|, |x y| below 2^990, suffice (the halves
//    of a multiple of 2^-i are multiples of 2^-i, so every partial product
//    is zero or at least 2^-1000; docs/exact.md, section 1, E1).
//  * sum2: Ogita, Rump and Oishi's cascaded sum ("Accurate sum and dot
//    product", SIAM J. Sci. Comput. 26, 2005, Algorithm 4.4 and
//    Proposition 4.5): for n terms the result r obeys
//    |r - sum| <= u |sum| + gamma_{n-1}^2 sum |x_i|, u = 2^-53, if no
//    addition underflows (multiples of 2^-1000 cannot).
//  * grow: the terms as a nonoverlapping expansion, exactly (Shewchuk's
//    Grow-Expansion with zeros dropped, "Adaptive precision floating-point
//    arithmetic and fast robust geometric predicates", Discrete Comput.
//    Geom. 18, 1997, Theorem 10): the sum is unchanged, the components
//    ascend in magnitude and do not overlap, so the largest one carries the
//    sign of the sum.  exact_sign is that sign: exact, never "undecided".
#ifndef QUBIC_EXACT_EXPANSION_HPP
#define QUBIC_EXACT_EXPANSION_HPP

#include <cmath>

namespace qubic::exact {

struct two {
  double hi;
  double lo;
};

inline two two_sum(double x, double y) {
  const double s = x + y;
  const double yv = s - x;
  const double xv = s - yv;
  const double ey = y - yv;
  const double ex = x - xv;
  return {s, ex + ey};
}

// Veltkamp: x = h + l exactly, h and l with at most 26 significant bits.
inline two split(double x) {
  const double c = 134217729.0 * x;  // 2^27 + 1
  const double h = c - (c - x);
  return {h, x - h};
}

// two_prod(x, y) when y's split ys is already at hand (one split serving
// several products): the same operations.
inline two two_prod_split(double x, double y, const two& ys) {
  const double p = x * y;
  const two xs = split(x);
  const double e1 = p - xs.hi * ys.hi;
  const double e2 = e1 - xs.lo * ys.hi;
  const double e3 = e2 - xs.hi * ys.lo;
  return {p, xs.lo * ys.lo - e3};
}

inline two two_prod(double x, double y) { return two_prod_split(x, y, split(y)); }

// sum2 of x[0..n): the compensated sum and sum |x_i|, both as computed.
struct sum_result {
  double value;
  double abs_sum;
};

inline sum_result sum2(const double* x, int n) {
  double s = x[0];
  double sigma = 0.0;
  double a = std::fabs(x[0]);
  for (int i = 1; i < n; ++i) {
    const two t = two_sum(s, x[i]);
    s = t.hi;
    sigma = sigma + t.lo;
    a = a + std::fabs(x[i]);
  }
  return {s + sigma, a};
}

// The sign of the exact sum of x[0..n), n <= 12, or 0 when sum2 cannot
// tell (then the sum is below 2^-89 sum |x_i|: in practice, zero).  With
// r the result and A = sum |x_i|: |r - sum| <= u |sum| + gamma_11^2 A and
// gamma_11^2 < 2^-99; if |r| > 2^-90 A_computed (A_computed >= (1 - 12u) A)
// the error is below |r|, so sum has the sign of r.
template <int N>
inline int sum2_sign(const double* x) {
  static_assert(N <= 12);
  const sum_result r = sum2(x, N);
  const double bound = r.abs_sum * 0x1p-90;
  if (r.value > bound) return 1;
  if (r.value < -bound) return -1;
  return 0;
}

// x[0..n) as a nonoverlapping expansion e[0..k), ascending in magnitude,
// no zero component; returns k (0 when the sum is zero).  e may not alias
// x.  One two_sum per term and component, so at most n (n - 1) / 2.
// Worked example (ExactExpansion.Sign): {1, 2^-60, -1} gives {2^-60}.
inline int grow(const double* x, int n, double* e) {
  int k = 0;
  for (int i = 0; i < n; ++i) {
    double q = x[i];
    int kept = 0;
    for (int j = 0; j < k; ++j) {
      const two t = two_sum(q, e[j]);
      q = t.hi;
      if (t.lo != 0.0) e[kept++] = t.lo;
    }
    if (q != 0.0) e[kept++] = q;
    k = kept;
  }
  return k;
}

// The exact sign of x[0] + ... + x[n-1].  The sum of the components below
// the largest, e[k-1], is smaller than the lowest set bit of e[k-1] (they
// do not overlap it or one another), so e[k-1] has the sign of the sum.
template <int N>
inline int exact_sign(const double* x) {
  double e[N];
  const int k = grow(x, N, e);
  if (k == 0) return 0;
  return e[k - 1] > 0.0 ? 1 : -1;
}

// The sign of x[0] + ... + x[n-1], n <= 12, by the cheapest level that
// decides: sum2 (level 1), else the exact expansion (level 2).  *level
// tells which.
template <int N>
inline int parts_sign(const double* x, int* level) {
  const int s = sum2_sign<N>(x);
  if (s != 0) {
    *level = 1;
    return s;
  }
  *level = 2;
  return exact_sign<N>(x);
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_EXPANSION_HPP
