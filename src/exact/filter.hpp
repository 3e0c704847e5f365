// filter: signs decided in double with a rigorous error bound, or left open.
//
// Each filter returns +1 or -1 when the computed value exceeds its error
// bound in magnitude (then the exact value has the same sign), and 0 when it
// cannot decide; 0 never means "the value is zero".  NaN and infinity fail
// every comparison below and so leave the sign open.  The bounds are proved
// in docs/exact.md; in short, with u = 2^-53:
//
//  * horner: p(m) for coefficients that are exact doubles and a point m that
//    is a float or a midpoint.  Horner's scheme errs by at most
//    gamma_2n * S, S = sum |c_k| |m|^k (gamma_k = k u / (1 - k u)), n <= 3;
//    the computed S is at least S (1 - u)^6, and 2^-50 S_computed exceeds
//    gamma_6 S.  No intermediate underflows: with float coefficients and
//    m = k 2^-150 every nonzero partial result stays above 2^-1000 (see the
//    document), and none overflows (below 2^650).
//  * the same with coefficients that are themselves rounded once
//    (|error| <= u |c_k|): the bound grows to (gamma_6 + u) S, below 2^-49 S.
#ifndef QUBIC_EXACT_FILTER_HPP
#define QUBIC_EXACT_FILTER_HPP

#include <bit>
#include <cmath>
#include <cstdint>

namespace qubic::exact {

// sign of c[n] m^n + ... + c[0], or 0; slack = 50 for exact coefficients,
// 49 for coefficients rounded once.
template <int N>
inline int horner_sign(const double* c, double m, int slack) {
  const double am = std::fabs(m);
  double v = c[N];
  double s = std::fabs(c[N]);
  for (int k = N - 1; k >= 0; --k) {
    v = v * m + c[k];
    s = s * am + std::fabs(c[k]);
  }
  const double bound = s * (slack == 50 ? 0x1p-50 : 0x1p-49);  // exact: s >= 2^-1000
  if (v > bound) return 1;
  if (v < -bound) return -1;
  return 0;
}

// A double with an absolute error bound: the exact value lies in
// [v - e, v + e].  Each operation adds its own rounding, u |result|, and a
// floor eta = 2^-1000 that covers underflow in the value and in the bound
// itself; the bound's own arithmetic rounds, so it is widened by 2^-48
// relative at every step (far more than the few roundings it makes).
struct bd {
  double v;
  double e;
};

inline constexpr double bd_u = 0x1p-53;
inline constexpr double bd_eta = 0x1p-1000;
inline constexpr double bd_widen = 1.0 + 0x1p-48;

inline bd bd_exact(double x) { return {x, 0.0}; }

inline bd operator+(bd x, bd y) {
  const double s = x.v + y.v;
  return {s, (((x.e + y.e) + bd_u * std::fabs(s)) + bd_eta) * bd_widen};
}

inline bd operator-(bd x, bd y) {
  const double s = x.v - y.v;
  return {s, (((x.e + y.e) + bd_u * std::fabs(s)) + bd_eta) * bd_widen};
}

inline bd operator*(bd x, bd y) {
  const double p = x.v * y.v;
  const double e = ((std::fabs(x.v) * y.e + std::fabs(y.v) * x.e) + x.e * y.e) + bd_u * std::fabs(p);
  return {p, (e + bd_eta) * bd_widen};
}

// 1 / y for exact y != 0: rounded once, |1/y - v| <= u |v| (or the
// underflow floor).
inline bd reciprocal(double y) {
  const double r = 1.0 / y;
  return {r, (bd_u * std::fabs(r) + bd_eta) * bd_widen};
}

// 2^n for -1022 <= n <= 1023, exact.
inline double pow2(int n) {
  return std::bit_cast<double>(static_cast<std::uint64_t>(n + 1023) << 52);
}

// x 2^j: exact while the value stays a normal double.  Applied in steps of
// at most 2^+-1000, each between the start and the end in magnitude, so a
// step overflows only when the end does (then inf, which every filter
// treats as undecided), and an underflow rounds by at most 2^-1075 per
// step, which the floor eta covers.
inline bd scaled(bd x, int j) {
  while (j > 1000) {
    x = {x.v * 0x1p1000, x.e * 0x1p1000};
    j -= 1000;
  }
  while (j < -1000) {
    x = {x.v * 0x1p-1000, (x.e * 0x1p-1000 + bd_eta) * bd_widen};
    j += 1000;
  }
  const double f = pow2(j);
  return {x.v * f, (x.e * f + bd_eta) * bd_widen};
}

// The binary exponent of a nonzero finite double (of its leading bit:
// 2^e <= |x| < 2^(e+1)); -1023 for subnormals, which is all the callers
// need (a rough scale).
inline int exponent(double x) {
  return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF) - 1023;
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_FILTER_HPP
