// wide: doubles taken apart into mantissa and exponent, exact powers of two
// over the whole integer range, and the wide double-double `wdd`, a value
// with an error bound whose exponent is an int, so that products of degree
// six in the coefficients of a double cubic neither overflow nor underflow
// (docs/exact64.md section 3).
//
//  * split_exp(x) = {m, e} with x = m 2^e, 1 <= |m| < 2 (m = 0, e = 0 for
//    x = 0); exact for every finite double, subnormal ones included.
//    Example: split_exp(0x1p-1074) = {1, -1074}, split_exp(-6) = {-1.5, 2}.
//  * pow2(n): 2^n exactly for -1074 <= n <= 1023, 0 below, +inf above.
//  * wdd: the real in [(h + l) - e, (h + l) + e] 2^x, with 1 <= |h| < 2 and
//    |l| <= 2^-53 |h| (or h = l = 0).  Products and sums add their rounding
//    to e (bounds proved in docs/exact64.md, "wide double-double"); every
//    operation also adds a floor of 2^-1000, which covers any underflow of l
//    or e (h never underflows: it stays in [1, 2)).  Example
//    (Exact64Blocks.WorkedExamples): the product of wdd(3) and wdd(1/3
//    rounded) is 1 - 2^-54 (exact) with e below 2^-102 (the product's
//    bound, 8.08 u^2).
#ifndef QUBIC_EXACT64_WIDE_HPP
#define QUBIC_EXACT64_WIDE_HPP

#include <bit>
#include <cmath>
#include <cstdint>

#include "exact/expansion.hpp"

namespace qubic::exact64 {

using exact::split;
using exact::two;
using exact::two_prod;
using exact::two_prod_split;
using exact::two_sum;

inline constexpr double u = 0x1p-53;

struct mant_exp {
  double m;
  int e;
};

inline mant_exp split_exp(double x) {
  std::uint64_t b = std::bit_cast<std::uint64_t>(x);
  int bias = static_cast<int>((b >> 52) & 0x7FF);
  int shift = 0;
  if (bias == 0) [[unlikely]] {
    if (x == 0.0) return {0.0, 0};
    b = std::bit_cast<std::uint64_t>(x * 0x1p64);  // exact: subnormal times 2^64 is normal
    bias = static_cast<int>((b >> 52) & 0x7FF);
    shift = 64;
  }
  const double m = std::bit_cast<double>((b & 0x800FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
  return {m, bias - 1023 - shift};
}

// The exponent of x != 0 (floor(log2 |x|)).
inline int exponent(double x) {
  const int bias = static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF);
  if (bias != 0) [[likely]] return bias - 1023;
  return split_exp(x).e;
}

// x = M 2^e with M an integer, |M| < 2^53 (M = 0 for x = 0): the 53-bit
// integer mantissa of a normal double read from its bits.
struct int_mant {
  std::int64_t M;
  int e;
};

inline int_mant split_int(double x) {
  const std::uint64_t b = std::bit_cast<std::uint64_t>(x);
  const int bias = static_cast<int>((b >> 52) & 0x7FF);
  if (bias != 0) [[likely]] {
    const std::int64_t m = static_cast<std::int64_t>((b & 0xFFFFFFFFFFFFFull) | 0x10000000000000ull);
    return {(b >> 63) != 0 ? -m : m, bias - 1075};
  }
  const mant_exp me = split_exp(x);
  return {static_cast<std::int64_t>(me.m * 0x1p52), me.e - 52};
}

inline double pow2(int n) {
  if (n >= -1022) {
    if (n > 1023) return INFINITY;
    return std::bit_cast<double>(static_cast<std::uint64_t>(n + 1023) << 52);
  }
  if (n < -1074) return 0.0;
  return std::bit_cast<double>(std::uint64_t{1} << (n + 1074));
}

inline constexpr double floor_eta = 0x1p-1000;
inline constexpr double widen = 1.0 + 0x1p-48;

struct wdd {
  double h = 0.0;
  double l = 0.0;
  int x = 0;
  double e = 0.0;
};

// (h, l) made a normalised pair with 1 <= |h| < 2, the exponent moved into x.
// Exact but for an underflow of l or e, covered by the floor.
inline wdd wdd_norm(double h, double l, int x, double e) {
  const two s = two_sum(h, l);
  // A value this far below the bound's floor is kept as 0 with its size in e
  // (so that 2^-k below stays a normal double).
  if (std::fabs(s.hi) < 0x1p-900) return {0.0, 0.0, x, ((e + std::fabs(s.hi) * 2.0) + floor_eta) * widen};
  const int k = exponent(s.hi);
  const double f = pow2(-k);  // |k| small: h comes from sums and products of [1, 2)
  return {s.hi * f, s.lo * f, x + k, (e * f + floor_eta) * widen};
}

inline wdd wdd_of(double v) {
  const mant_exp me = split_exp(v);
  return {me.m, 0.0, me.e, 0.0};
}

inline double wdd_mag(const wdd& a) { return std::fabs(a.h) + std::fabs(a.l); }

// a b: two_prod of the heads is exact; the cross terms and the dropped l l
// err by at most 8 u^2 |a.h b.h| (docs/exact64.md).
inline wdd operator*(const wdd& a, const wdd& b) {
  const two p = two_prod(a.h, b.h);
  const double t = a.h * b.l + a.l * b.h;
  const double ma = wdd_mag(a), mb = wdd_mag(b);
  const double e = ((8.0 * u * u) * std::fabs(p.hi) * 1.01 + ma * b.e + mb * a.e) + a.e * b.e;
  return wdd_norm(p.hi, p.lo + t, a.x + b.x, e);
}

// a + b: the smaller aligned to the larger's exponent (exact, or dropped
// with its magnitude added to the bound when 2^-600 below), then summed with
// an error of at most 3 u^2 (|a.h| + |b.h|).
inline wdd operator+(const wdd& a, const wdd& b) {
  if (a.h == 0.0 && b.h == 0.0) {
    const int x = a.x > b.x ? a.x : b.x;
    return {0.0, 0.0, x, ((a.e * pow2(a.x - x) + b.e * pow2(b.x - x)) + floor_eta) * widen};
  }
  const wdd& big = (b.h == 0.0 || (a.h != 0.0 && a.x >= b.x)) ? a : b;
  const wdd& small = (&big == &a) ? b : a;
  const int d = small.x - big.x;
  double sh = 0.0, sl = 0.0, se = 0.0;
  if (small.h != 0.0 && d >= -600) {
    const double f = pow2(d);
    sh = small.h * f;
    sl = small.l * f;
    se = small.e * f;
  } else {  // a zero head adds only its bound; a dropped value adds its size below 2
    se = ((small.h != 0.0 ? 2.0 : 0.0) + small.e) * pow2(d < -1000 ? -1000 : d);  // rounded up below 2^-1000
  }
  const two s = two_sum(big.h, sh);
  const double t = big.l + sl;
  const double e = ((3.0 * u * u) * (std::fabs(big.h) + std::fabs(sh)) * 1.01 + big.e) + se;
  return wdd_norm(s.hi, s.lo + t, big.x, e);
}

inline wdd operator-(const wdd& a) { return {-a.h, -a.l, a.x, a.e}; }
inline wdd operator-(const wdd& a, const wdd& b) { return a + (-b); }

// a 2^k, exact.
inline wdd scale(wdd a, int k) {
  a.x += k;
  return a;
}

// The integer v 2^x (|v| < 2^126) as a wdd.  v is cut into three 42-bit
// pieces, each an exact double; h = fl(d2 + d1) and its remainder are exact
// (two_sum), so the only rounding is that of l = fl(rem + d0), a sum of
// integers: none below 2^53, at most u |l| above (then |l| <= 2^-52 |v|),
// and the final two_sum is exact.
inline wdd wdd_of_int(__int128 v, int x) {
  if (v == 0) return {0.0, 0.0, x, 0.0};
  const std::int64_t t0 = static_cast<std::int64_t>(v & 0x3FFFFFFFFFF);
  const std::int64_t t1 = static_cast<std::int64_t>((v >> 42) & 0x3FFFFFFFFFF);
  const std::int64_t t2 = static_cast<std::int64_t>(v >> 84);  // signed, below 2^42
  const two h = two_sum(static_cast<double>(t2) * 0x1p84, static_cast<double>(t1) * 0x1p42);
  const double l = h.lo + static_cast<double>(t0);
  return wdd_norm(h.hi, l, x, std::fabs(l) < 0x1p53 ? 0.0 : u * std::fabs(l) * 1.01);
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_WIDE_HPP
