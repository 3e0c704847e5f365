// Exact decimal scaling of a binary value: floor(X * 2^e * 10^p) and what the
// floor drops, with integer arithmetic only.  Shared by the E16.8 writer and
// the shortest round-trip writer.
#ifndef QUBIC_CALL_DECIMAL_SCALE_HPP
#define QUBIC_CALL_DECIMAL_SCALE_HPP

#include <cstdint>

namespace qubic::call::decimal {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

// 5^k for k = 0..52, exact: 5^52 < 2^121.
struct pow5_table {
  u128 v[53];
  constexpr pow5_table() : v{} {
    u128 p = 1;
    for (int k = 0; k < 53; ++k) {
      v[k] = p;
      p *= 5;
    }
  }
};
inline constexpr pow5_table pow5{};

// The fraction that a floor drops, in classes.
enum frac : int { zero, below_half, half, above_half };

constexpr frac classify(bool half_bit, bool sticky) {
  return half_bit ? (sticky ? above_half : half) : (sticky ? below_half : zero);
}

// The class after one more decimal digit r (0..9) is dropped in front of a
// fraction of class f: (r + f) / 10 against 1/2.
constexpr frac drop_digit(unsigned r, frac f) {
  if (r > 5) return above_half;
  if (r == 5) return f == zero ? half : above_half;
  return (r == 0 && f == zero) ? zero : below_half;
}

// Whether rounding q + f to nearest, ties to even, goes up.
constexpr bool rounds_up(u64 q, frac f) { return f == above_half || (f == half && (q & 1) != 0); }

// floor(log10(2^E)) for -160 <= E <= 130.  E * log10 2 stays at least 0.004
// away from every integer in that range (closest: E = +-93), and 78913 / 2^18
// misses log10 2 by less than 8e-7, so the product lands on the same side.
constexpr int floor_log10_pow2(int e) { return (e * 78913) >> 18; }

struct scaled {
  u64 q;   // floor(X * 2^e * 10^p)
  frac f;  // the dropped fraction
};

// floor(X * 2^e * 10^p) exactly, for X < 2^26, -52 <= p <= 52, and a
// quotient below 2^34.  Two cases:
//
//   p >= 0:  X * 10^p * 2^e = X * 5^p / 2^s with s = -e - p (an integer
//            shifted left when s <= 0).  The bits shifted out give the half
//            bit and the sticky bit.  For p <= 16 the product fits 64 bits;
//            beyond, X * 5^p < 2^147 is held as a high part over the 64 low
//            bits of the product.
//   p < 0:   X * 2^e / 10^-p = (X * 2^(e+p)) / 5^-p, both integers when
//            e + p >= 0 (the callers' ranges ensure it), the numerator below
//            2^128 and the divisor at most 5^52: one division, and twice the
//            remainder against the divisor gives the class.
// Always inlined: each caller passes constants that prune most of it, and
// the link-time optimiser, left to itself, inlines it or not depending on
// unrelated code elsewhere in the program (a third more instructions in
// write_free_real when it does not).
[[gnu::always_inline]] inline scaled scale(u64 x, int e, int p) {
  if (p >= 0) {
    const int s = -e - p;
    if (p <= 16 && s < 64) {
      // 5^16 < 2^38 and X < 2^26: the product fits 64 bits.
      const u64 n = x * static_cast<u64>(pow5.v[p]);
      if (s <= 0) return {n << -s, zero};
      const u64 rest = n & ((u64{1} << s) - 1);
      const u64 halfway = u64{1} << (s - 1);
      return {n >> s, classify(rest >= halfway, (rest & (halfway - 1)) != 0)};
    }
    const u128 p5 = pow5.v[p];
    if (s <= 0) return {static_cast<u64>((static_cast<u128>(x) * p5) << -s), zero};
    const u128 lo_prod = static_cast<u128>(x) * static_cast<u64>(p5);
    const u128 hi = static_cast<u128>(x) * static_cast<u64>(p5 >> 64) + (lo_prod >> 64);
    const u64 low = static_cast<u64>(lo_prod);
    if (s < 64) {
      // The product is below 2^(s+34), so hi < 2^34 and the quotient's low
      // 64 bits are the quotient; the bits shifted out all lie in low.
      const u64 q = (static_cast<u64>(hi) << (64 - s)) | (low >> s);
      const u64 rest = low & ((u64{1} << s) - 1);
      const u64 halfway = u64{1} << (s - 1);
      return {q, classify(rest >= halfway, (rest & (halfway - 1)) != 0)};
    }
    const int t = s - 64;
    if (t == 0) return {static_cast<u64>(hi), classify((low >> 63) != 0, (low << 1) != 0)};
    const u128 rest = hi & ((static_cast<u128>(1) << t) - 1);
    const u128 halfway = static_cast<u128>(1) << (t - 1);
    return {static_cast<u64>(hi >> t), classify(rest >= halfway, (rest & (halfway - 1)) != 0 || low != 0)};
  }
  const u128 d5 = pow5.v[-p];
  const u128 n = static_cast<u128>(x) << (e + p);
  const u128 q = n / d5;
  const u128 r = n - q * d5;
  const u128 r2 = r << 1;  // r < 5^52 < 2^121: no overflow
  const frac f = r == 0 ? zero : (r2 < d5 ? below_half : (r2 == d5 ? half : above_half));
  return {static_cast<u64>(q), f};
}

// "00".."99", two characters each.
struct pairs_table {
  char c[200];
  constexpr pairs_table() : c{} {
    for (int k = 0; k < 100; ++k) {
      c[2 * k] = static_cast<char>('0' + k / 10);
      c[2 * k + 1] = static_cast<char>('0' + k % 10);
    }
  }
};
inline constexpr pairs_table pairs{};

}  // namespace qubic::call::decimal

#endif  // QUBIC_CALL_DECIMAL_SCALE_HPP
