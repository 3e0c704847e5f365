// cells: floats as ordered integer keys, the midpoints between neighbours,
// and the search for the float a real number rounds to.
//
// Keys.  A float f maps to key(f): its bit pattern for f >= +0, minus the
// pattern of -f for f < 0, so that -0 and +0 share key 0 and the order of the
// keys is the order of the values.  +inf has key inf_key = 0x7F800000 and
// -inf key -inf_key; every finite float lies strictly between them.
//
// Cells.  mid(j) is the midpoint between the floats of keys j and j + 1, a
// double holding it exactly (at most 25 significant bits, exponent in
// [-150, 128]).  mid(inf_key - 1) = 2^128 - 2^103 is the overflow threshold
// of rounding to nearest.  A real x rounds to key j + 1 exactly when
// mid(j) < x < mid(j + 1); x = mid(j) is a tie, decided for the key whose
// pattern is even (inf counts as even, 0x7F800000, as IEEE 754 rounding
// does).  Below mid(-inf_key) every x rounds to -inf.
//
// Search.  An oracle side(m) returns the exact sign of x - m at a midpoint m
// for one unknown real x.  The predicate side(mid(j)) >= 0 is true up to the
// largest j with mid(j) <= x and false above, so a search over j finds the
// cell of x from any starting guess: two oracle calls when the guess is
// right, a gallop and a bisection otherwise.
#ifndef QUBIC_EXACT_CELLS_HPP
#define QUBIC_EXACT_CELLS_HPP

#include <bit>
#include <cstdint>

namespace qubic::exact {

inline constexpr std::int64_t inf_key = 0x7F800000;

inline std::int64_t key(float f) {
  const std::uint32_t u = std::bit_cast<std::uint32_t>(f);
  const std::int64_t mag = u & 0x7FFFFFFFu;
  return (u >> 31) != 0 ? -mag : mag;
}

// The float of key k, |k| <= inf_key; key 0 gives +0.
inline float key_float(std::int64_t k) {
  const float mag = std::bit_cast<float>(static_cast<std::uint32_t>(k < 0 ? -k : k));
  return k < 0 ? -mag : mag;
}

// mid(j) for -inf_key <= j < inf_key: the mean of two adjacent floats, or
// +-(2^128 - 2^103) beside an infinity.  Exact: both floats have at most 24
// significant bits within 2^-149 .. 2^128, so their sum has at most 25 bits
// and halving it is exact in double.
inline double mid(std::int64_t j) {
  constexpr double edge = 0x1.fffffep127 + 0x1p103;  // 2^128 - 2^103, exact
  if (j == inf_key - 1) return edge;
  if (j == -inf_key) return -edge;
  const double lo = key_float(j);
  const double hi = key_float(j + 1);
  return (lo + hi) * 0.5;
}

// The rounded value of x given the largest j with mid(j) <= x and whether
// x == mid(j).  j = -inf_key - 1 stands for "below every midpoint".
inline std::int64_t rounded_key(std::int64_t j, bool tie) {
  if (!tie) return j + 1;
  const bool j_even = (std::bit_cast<std::uint32_t>(key_float(j)) & 1u) == 0;
  return j_even ? j : j + 1;
}

// The key x rounds to, x given by side(m) = sign(x - m) in {-1, 0, +1}.
// lo_ok: every j < lo_ok is known to satisfy the predicate without asking
// (used when x is known to be positive); guess: a key near the answer.
template <class Side>
std::int64_t round_by_search(Side&& side, std::int64_t guess, std::int64_t lo_ok = -inf_key) {
  // Invariant: pred(lo) true (or lo below every midpoint), pred(hi) false (or
  // hi = inf_key, above every midpoint); lo_tie: side(mid(lo)) == 0.
  std::int64_t lo = -inf_key - 1;
  std::int64_t hi = inf_key;
  bool lo_tie = false;
  auto probe = [&](std::int64_t j) -> bool {  // pred(j), narrowing [lo, hi]
    if (j < lo_ok) {
      lo = j;
      lo_tie = false;
      return true;
    }
    const int s = side(mid(j));
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
  // The cell of guess is (mid(guess - 1), mid(guess)).
  std::int64_t j = guess - 1;
  if (j >= -inf_key) {
    if (probe(j)) {
      std::int64_t step = 1;
      while (lo + step < hi && probe(lo + step)) step *= 2;
    } else {
      std::int64_t step = 1;
      while (hi - step > lo && !probe(hi - step)) step *= 2;
    }
  }
  while (hi - lo > 1) probe(lo + (hi - lo) / 2);
  return rounded_key(lo, lo_tie);
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_CELLS_HPP
