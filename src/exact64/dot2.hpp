// dot2: k1 x1 y1 + k2 x2 y2 for doubles x, y and small integers k, as a wdd
// whose error is relative to the result even under cancellation
// (docs/exact64.md section 3, "exact forms of degree two").
//
// The products of the 53-bit integer mantissas are exact in 128-bit
// integers; when the two products' exponents lie within 14 of each other the
// sum is taken there exactly (below 2^126) and only its rounding to 106 bits
// errs.  Otherwise the smaller product is at most 2^-8 of the larger (|k| <=
// 32), nothing cancels, and the wdd sum errs by at most 3 u^2 of the larger.
// Worked example (Exact64Blocks.Dot2IsExactUnderCancellation): (1 + 2^-52)^2 - (1 + 2^-51) is
// exactly 2^-104, which dot2(1 + 2^-52, 1 + 2^-52, 1, 1 + 2^-51, 1, -1)
// returns with error 0.
#ifndef QUBIC_EXACT64_DOT2_HPP
#define QUBIC_EXACT64_DOT2_HPP

#include <cstdint>
#include <cstdlib>

#include "exact64/wide.hpp"

namespace qubic::exact64 {

inline wdd dot2(double x1, double y1, int k1, double x2, double y2, int k2) {
  const int_mant a = split_int(x1), b = split_int(y1), c = split_int(x2), d = split_int(y2);
  const bool z1 = a.M == 0 || b.M == 0, z2 = c.M == 0 || d.M == 0;
  const int f1 = a.e + b.e, f2 = c.e + d.e;
  if (!z1 && !z2 && f1 - f2 <= 14 && f2 - f1 <= 14) [[likely]] {
    const __int128 p1 = static_cast<__int128>(a.M * k1) * b.M;  // |a.M k1| < 2^58
    const __int128 p2 = static_cast<__int128>(c.M * k2) * d.M;
    const int f = f1 < f2 ? f1 : f2;
    return wdd_of_int(p1 * (static_cast<__int128>(1) << (f1 - f)) + p2 * (static_cast<__int128>(1) << (f2 - f)), f);
  }
  wdd t1{}, t2{};
  if (!z1) t1 = (wdd_of(k1) * wdd_of(x1)) * wdd_of(y1);
  if (!z2) t2 = (wdd_of(k2) * wdd_of(x2)) * wdd_of(y2);
  if (z1) return t2;
  if (z2) return t1;
  return t1 + t2;
}

// k a for a small integer k (|k| < 2^10): the head's product is split
// exactly by two_prod, the tail's rounds once (at most u |k a.l|).
inline wdd times(const wdd& a, int k) {
  const two p = two_prod(a.h, static_cast<double>(k));
  const double t = a.l * static_cast<double>(k);
  const double kk = std::fabs(static_cast<double>(k));
  return wdd_norm(p.hi, p.lo + t, a.x, (a.e * kk + u * std::fabs(t) * 2.0) * widen);
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_DOT2_HPP
