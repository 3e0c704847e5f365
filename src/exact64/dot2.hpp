// dot2: k1 x1 y1 + k2 x2 y2 for doubles x, y and small integers k, as a wdd
// whose error is relative to the result even under cancellation
// (docs/exact64.md section 3, "exact forms of degree two").
//
// The products of the 53-bit integer mantissas are exact in 128-bit
// integers; when the two products' exponents lie within 14 of each other the
// sum is taken there exactly (below 2^126) and only its rounding to 106 bits
// errs.  Otherwise the smaller product is at most 2^-8 of the larger (|k| <=
// 32), nothing cancels, and the wdd sum errs by at most 3 u^2 of the larger.
// Worked example (Exact64Dot2.Cancellation): (1 + 2^-52)^2 - (1 + 2^-51) is
// exactly 2^-104, which dot2(1 + 2^-52, 1 + 2^-52, 1, 1 + 2^-51, 1, -1)
// returns with error 0.
#ifndef QUBIC_EXACT64_DOT2_HPP
#define QUBIC_EXACT64_DOT2_HPP

#include <cstdint>
#include <cstdlib>

#include "exact64/wide.hpp"

namespace qubic::exact64 {

inline wdd dot2(double x1, double y1, int k1, double x2, double y2, int k2) {
  const mant_exp a = split_exp(x1), b = split_exp(y1), c = split_exp(x2), d = split_exp(y2);
  const bool z1 = a.m == 0.0 || b.m == 0.0, z2 = c.m == 0.0 || d.m == 0.0;
  const int f1 = a.e + b.e, f2 = c.e + d.e;
  if (!z1 && !z2 && std::abs(f1 - f2) <= 14) {
    const auto M = [](double m) { return static_cast<std::int64_t>(m * 0x1p52); };  // exact integers
    __int128 p1 = static_cast<__int128>(M(a.m) * k1) * M(b.m);
    __int128 p2 = static_cast<__int128>(M(c.m) * k2) * M(d.m);
    const int f = f1 < f2 ? f1 : f2;
    p1 *= static_cast<__int128>(1) << (f1 - f);
    p2 *= static_cast<__int128>(1) << (f2 - f);
    return wdd_of_int(p1 + p2, f - 104);
  }
  wdd t1{}, t2{};
  if (!z1) t1 = (wdd_of(k1) * wdd_of(x1)) * wdd_of(y1);
  if (!z2) t2 = (wdd_of(k2) * wdd_of(x2)) * wdd_of(y2);
  if (z1) return t2;
  if (z2) return t1;
  return t1 + t2;
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_DOT2_HPP
