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

#include <bit>
#include <cstdint>
#include <cstdlib>

#include "exact64/wide.hpp"

namespace qubic::exact64 {

// k1 x1 y1 + k2 x2 y2 = v 2^f exactly, |v| < 2^126, when the two products'
// exponents lie within 14 of each other or one product is zero; exact is
// false otherwise (and v, f are then meaningless).
struct int_form {
  __int128 v;
  int f;
  bool exact;
};

inline int_form form2(const int_mant& a, const int_mant& b, int k1, const int_mant& c, const int_mant& d, int k2) {
  const __int128 p1 = static_cast<__int128>(a.M * k1) * b.M;  // |a.M k1| < 2^58
  const __int128 p2 = static_cast<__int128>(c.M * k2) * d.M;
  const int f1 = a.e + b.e, f2 = c.e + d.e;
  if (p2 == 0) return {p1, f1, true};
  if (p1 == 0) return {p2, f2, true};
  if (f1 - f2 > 14 || f2 - f1 > 14) return {0, 0, false};
  // |p| < 2^111 shifted by at most 14 (as unsigned: two's complement, exact).
  using u128 = unsigned __int128;
  if (f1 >= f2) return {static_cast<__int128>(static_cast<u128>(p1) << (f1 - f2)) + p2, f2, true};
  return {p1 + static_cast<__int128>(static_cast<u128>(p2) << (f2 - f1)), f1, true};
}

inline wdd dot2(double x1, double y1, int k1, double x2, double y2, int k2) {
  const int_form e = form2(split_int(x1), split_int(y1), k1, split_int(x2), split_int(y2), k2);
  if (e.exact) [[likely]] return wdd_of_int(e.v, e.f);
  return (wdd_of(k1) * wdd_of(x1)) * wdd_of(y1) + (wdd_of(k2) * wdd_of(x2)) * wdd_of(y2);
}

// 3 disc = 4AC - B^2 exactly from the integer forms A = b^2 - 3ac,
// B = bc - 9ad, C = c^2 - 3bd (docs/exact64.md section 5, "level 1"), when
// all three are exact (form2).  Their products are below 2^252; when every
// form has two nonzero products its exponent lies within 14 of the
// balanced one (2 e_b for A, e_b + e_c for B, 2 e_c for C), so 4AC and B^2
// differ by at most 30 in exponent and fit 320 bits once aligned.  A form
// that is a lone product may sit anywhere: beyond a shift of 63 the level
// abstains.  The sign is exact; the value's top 126 bits (truncated, the
// dropped part carried in e) become a wdd (relative error below 2^-104).  ok is false, with nothing
// decided, when a form is not exact or the shift is too wide.
struct disc_exact {
  int sign;
  wdd value;  // 3 disc
  bool ok;
  int_form A;  // b^2 - 3ac, exact when ok
};

namespace wide_int {

using u128 = unsigned __int128;
using u64 = std::uint64_t;

// x y for x, y < 2^126, as four 64-bit limbs (least significant first).
inline void mul(u128 x, u128 y, u64* r) {
  const u64 x0 = static_cast<u64>(x), x1 = static_cast<u64>(x >> 64);
  const u64 y0 = static_cast<u64>(y), y1 = static_cast<u64>(y >> 64);
  const u128 p00 = static_cast<u128>(x0) * y0, p01 = static_cast<u128>(x0) * y1;
  const u128 p10 = static_cast<u128>(x1) * y0, p11 = static_cast<u128>(x1) * y1;
  const u128 mid = (p00 >> 64) + static_cast<u64>(p01) + static_cast<u64>(p10);  // < 3 2^64
  const u128 top = (mid >> 64) + (p01 >> 64) + (p10 >> 64) + p11;  // x1 y1 < 2^124: no overflow
  r[0] = static_cast<u64>(p00);
  r[1] = static_cast<u64>(mid);
  r[2] = static_cast<u64>(top);
  r[3] = static_cast<u64>(top >> 64);
  r[4] = 0;
}

// x 2^s in place (five limbs, the top one zero), 0 < s < 64.
inline void shl(u64* x, int s) {
  x[4] = x[3] >> (64 - s);
  x[3] = (x[3] << s) | (x[2] >> (64 - s));
  x[2] = (x[2] << s) | (x[1] >> (64 - s));
  x[1] = (x[1] << s) | (x[0] >> (64 - s));
  x[0] <<= s;
}

// r = x - y (sub) or x + y over five limbs; for the difference, true when
// it is negative (then r holds 2^320 - |x - y|).
inline bool add_sub(const u64* x, const u64* y, bool sub, u64* r) {
  u64 c = 0;
  for (int i = 0; i < 5; ++i) {
    const u128 t = sub ? static_cast<u128>(x[i]) - y[i] - c : static_cast<u128>(x[i]) + y[i] + c;
    r[i] = static_cast<u64>(t);
    c = static_cast<u64>(t >> 64) & 1;
  }
  return sub && c != 0;
}

}  // namespace wide_int

inline disc_exact disc3_exact(double a, double b, double c, double d) {
  using wide_int::u128;
  using wide_int::u64;
  const int_mant ma = split_int(a), mb = split_int(b), mc = split_int(c), md = split_int(d);
  const int_form A = form2(mb, mb, 1, ma, mc, -3), B = form2(mb, mc, 1, ma, md, -9), C = form2(mc, mc, 1, mb, md, -3);
  if (!(A.exact && B.exact && C.exact)) [[unlikely]] return {0, {}, false, {}};
  // 4|AC| 2^ep against B^2 2^eb, both brought to the smaller exponent; a
  // zero term takes the other's exponent (its own is meaningless).
  const int ep = A.v == 0 || C.v == 0 ? 2 * B.f : A.f + C.f + 2, eb = B.v == 0 ? ep : 2 * B.f;
  const int lo = ep < eb ? ep : eb;
  if (ep - lo >= 64 || eb - lo >= 64) [[unlikely]] return {0, {}, false, {}};  // only when a form is a lone product
  u64 x[5], y[5], r[5];
  wide_int::mul(static_cast<u128>(A.v < 0 ? -A.v : A.v), static_cast<u128>(C.v < 0 ? -C.v : C.v), x);
  wide_int::mul(static_cast<u128>(B.v < 0 ? -B.v : B.v), static_cast<u128>(B.v < 0 ? -B.v : B.v), y);
  if (ep > lo) wide_int::shl(x, ep - lo);
  if (eb > lo) wide_int::shl(y, eb - lo);
  // 3 disc = X - Y when 4AC > 0, else -(X + Y) (X + Y < 2^316: no carry out).
  const bool diff = (A.v > 0) == (C.v > 0);
  bool neg = !diff;
  if (wide_int::add_sub(x, y, diff, r)) {  // negative: r = 2^320 - |X - Y|, negated
    neg = true;
    const u64 zero[5] = {0, 0, 0, 0, 0};
    wide_int::add_sub(zero, r, true, r);
  }
  int top = 4;
  while (top > 0 && r[top] == 0) --top;
  if (r[top] == 0) return {0, wdd{0.0, 0.0, lo, 0.0}, true, A};
  // The top 126 bits: v = floor(|r| / 2^drop), the rest below 2^drop.
  const int len = 64 * top + (64 - std::countl_zero(r[top]));
  const int drop = len > 126 ? len - 126 : 0;
  const int w = drop / 64, s = drop % 64;
  const u128 lo2 = (static_cast<u128>(r[w + 1]) << 64) | r[w];  // w <= 2: len <= 316, drop <= 190
  const u128 v = s == 0 ? lo2 : (lo2 >> s) | (static_cast<u128>(r[w + 2]) << (128 - s));
  bool sticky = s != 0 && (r[w] << (64 - s)) != 0;
  for (int i = 0; i < w; ++i) sticky = sticky || r[i] != 0;
  wdd value = wdd_of_int(neg ? -static_cast<__int128>(v) : static_cast<__int128>(v), lo + drop);
  if (sticky) value.e = (value.e + pow2(lo + drop - value.x)) * widen;  // the dropped part, below 2^(lo + drop)
  return {neg ? -1 : 1, value, true, A};
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
