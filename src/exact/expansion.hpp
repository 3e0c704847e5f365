// expansion: error-free transformations in double, without fused
// multiply-add (the build forbids contraction), and a summation whose error
// bound is known.
//
//  * two_sum(x, y): s + e == x + y exactly, s = fl(x + y) (Knuth; exact in
//    any binary floating point with rounding to nearest, underflow
//    included, as long as nothing overflows).
//  * two_prod(x, y): p + e == x * y exactly, p = fl(x * y) (Dekker, with
//    Veltkamp's split into 26-bit halves).  Exact when no partial product
//    underflows or overflows: here every factor is a product of at most
//    two floats (integer multiples of 2^-298, below 2^262), so every
//    partial product is a multiple of 2^-700 and below 2^600.
//  * sum2: Ogita, Rump and Oishi's cascaded sum ("Accurate sum and dot
//    product", SIAM J. Sci. Comput. 26, 2005, Algorithm 4.4 and
//    Proposition 4.5): for n terms the result r obeys
//    |r - sum| <= u |sum| + gamma_{n-1}^2 sum |x_i|, u = 2^-53, if no
//    addition underflows (multiples of 2^-700 cannot).
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

inline two two_prod(double x, double y) {
  const double p = x * y;
  const two xs = split(x);
  const two ys = split(y);
  const double e1 = p - xs.hi * ys.hi;
  const double e2 = e1 - xs.lo * ys.hi;
  const double e3 = e2 - xs.hi * ys.lo;
  return {p, xs.lo * ys.lo - e3};
}

// sum2 of x[0..n): the compensated sum and sum |x_i|, both as computed.
struct sum_result {
  double value;
  double abs_sum;
};

template <int N>
inline sum_result sum2(const double* x) {
  double s = x[0];
  double sigma = 0.0;
  double a = std::fabs(x[0]);
  for (int i = 1; i < N; ++i) {
    const two t = two_sum(s, x[i]);
    s = t.hi;
    sigma = sigma + t.lo;
    a = a + std::fabs(x[i]);
  }
  return {s + sigma, a};
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_EXPANSION_HPP
