// keys: doubles as ordered integer keys, the midpoints between neighbours as
// exact points, and the search for the double a real number rounds to
// (docs/exact64.md section 2).
//
// Keys.  key(x) is the bit pattern of x >= +0 and minus that of -x for
// x < 0: -0 and +0 share key 0, and keys order as values.  +inf has key
// inf_key = 0x7FF0000000000000, -inf key -inf_key.
//
// Points.  The midpoint of two adjacent doubles has 54 significant bits, and
// below 2^-1022 it is an odd multiple of 2^-1075: neither is a double.  A
// point is (B + s 2^ell) 2^sigma with B a double, s in {-1, 0, +1}: a
// normal midpoint is the lower neighbour plus half the gap above it; a
// subnormal one is (2k + 1) 2^-1075, B = 2k + 1.  mid(inf_key - 1) is the
// overflow threshold 2^1024 - 2^970 = DBL_MAX + 2^970; mid(-1 - j) =
// -mid(j).  Worked example: mid(0) = 1 * 2^-1075 (B = 1, sigma = -1075);
// mid(key(1.0)) = 1 + 2^-53 (B = 1, s = 1, ell = -53).
//
// Search.  side(j) is the exact sign of x - mid(j) for one unknown real x.
// The largest j with side(j) >= 0 and whether side was 0 there give the key
// x rounds to, ties to even (inf counting as even, as IEEE 754 overflow
// does).  From a guess: two calls when it is right, else a gallop and a
// bisection, at most about 128 calls over the 2^64 keys.
#ifndef QUBIC_EXACT64_KEYS_HPP
#define QUBIC_EXACT64_KEYS_HPP

#include <bit>
#include <cstdint>

#include "exact64/wide.hpp"

namespace qubic::exact64 {

inline constexpr std::int64_t inf_key = 0x7FF0000000000000;

inline std::int64_t key(double x) {
  const std::uint64_t b = std::bit_cast<std::uint64_t>(x);
  const std::int64_t mag = static_cast<std::int64_t>(b & 0x7FFFFFFFFFFFFFFFull);
  return (b >> 63) != 0 ? -mag : mag;
}

// The double of key k, |k| <= inf_key; key 0 gives +0.
inline double key_double(std::int64_t k) {
  const double mag = std::bit_cast<double>(static_cast<std::uint64_t>(k < 0 ? -k : k));
  return k < 0 ? -mag : mag;
}

struct point {
  double B = 0.0;
  int s = 0;
  int ell = 0;
  int sigma = 0;
};

// mid(j), -inf_key <= j < inf_key.
inline point mid(std::int64_t j) {
  if (j < 0) {
    point p = mid(-1 - j);
    p.B = -p.B;
    p.s = -p.s;
    return p;
  }
  if (j < (std::int64_t{1} << 52)) {  // lower neighbour 0 or subnormal: (2j + 1) 2^-1075
    return {static_cast<double>(2 * j + 1), 0, 0, -1075};
  }
  const double x = key_double(j);
  return {x, 1, exponent(x) - 53, 0};  // the gap above a normal x is 2^(e - 52)
}

// The exponent of a point's value (B + s 2^ell) 2^sigma, B != 0: that of B
// plus sigma, or one more when B + s 2^ell crosses a power of two (only
// upwards: B = 2^k - 2^(k-53) and s = +1 gives 2^k - 2^(k-54), still below).
inline int point_exponent(const point& p) { return exponent(p.B) + p.sigma; }

// The key x rounds to from the largest j with mid(j) <= x and whether x is
// mid(j); j = -inf_key - 1 stands for "below every midpoint".
inline std::int64_t rounded_key(std::int64_t j, bool tie) {
  if (!tie) return j + 1;
  const bool j_even = (std::bit_cast<std::uint64_t>(key_double(j)) & 1u) == 0;
  return j_even ? j : j + 1;
}

// The key x rounds to; side(j) = sign(x - mid(j)).  lo_ok: every j < lo_ok
// is known to satisfy side(j) >= 0 with no tie (used when x > 0 is known).
template <class Side>
std::int64_t round_by_search(Side&& side, std::int64_t guess, std::int64_t lo_ok = -inf_key) {
  // Invariant: pred(lo) (or lo below every midpoint), !pred(hi) (or hi =
  // inf_key, above every midpoint).  Widths are taken unsigned: they reach
  // 2^64 - 2^53.
  std::int64_t lo = -inf_key - 1;
  std::int64_t hi = inf_key;
  bool lo_tie = false;
  auto width = [&] { return static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo); };
  auto probe = [&](std::int64_t j) -> bool {
    if (j < lo_ok) {
      lo = j;
      lo_tie = false;
      return true;
    }
    const int s = side(j);
    if (s >= 0) {
      lo = j;
      lo_tie = s == 0;
      return true;
    }
    hi = j;
    return false;
  };
  if (guess < -inf_key) guess = -inf_key;
  if (guess > inf_key) guess = inf_key;
  std::int64_t j = guess - 1;  // the cell of guess is (mid(guess - 1), mid(guess))
  if (j < -inf_key) j = -inf_key;
  if (probe(j)) {
    std::uint64_t step = 1;
    while (step < width() && probe(static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + step)) &&
           step < (std::uint64_t{1} << 62))
      step *= 2;
  } else {
    std::uint64_t step = 1;
    while (step < width() && !probe(static_cast<std::int64_t>(static_cast<std::uint64_t>(hi) - step)) &&
           step < (std::uint64_t{1} << 62))
      step *= 2;
  }
  while (width() > 1) probe(static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + width() / 2));
  return rounded_key(lo, lo_tie);
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_KEYS_HPP
