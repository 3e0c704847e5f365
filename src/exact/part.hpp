// part: one part (real or imaginary) of one root, rounded to float from its
// sign oracle, and written into a solution.
//
// round_part computes the float nearest to the real x that side(m) =
// sign(x - m) describes, ties to even (cells.hpp, docs/exact.md section 2):
// the search starts at the key of a double guess, and a right guess costs
// two oracle calls.  Nothing is widened: the guess only picks the first
// cell.  A part that rounds to key 0 is told apart by side(0): +0 for an
// exact zero, else a signed zero marked lost (the flag turns to -3).
//
// Worked example (Exact.NamedExamples, "linear: root 3 * 2^-150 ties to
// even 2^-148" and "linear: root 2^-150 ties to +0"): for x = 3 * 2^-150,
// side(mid(1)) = 0 at the midpoint of 2^-149 and 2^-148, and the even
// pattern wins: {2^-148, lost = false}.  For x = 2^-150 the tie at mid(0)
// goes to key 0, side(0) = +1, so {+0, lost = true} and flag -3.
#ifndef QUBIC_EXACT_PART_HPP
#define QUBIC_EXACT_PART_HPP

#include <cmath>
#include <cstdint>
#include <limits>

#include <qubic/exact.hpp>

#include "exact/cells.hpp"
#include "exact/stats.hpp"

namespace qubic::exact {

// A rounded part: its float, and whether a nonzero value rounded to zero.
struct part {
  float f;
  bool lost;
};

// The sign of the exact value the part was rounded from: that of the
// float, or for a zero, 0 when exact and the zero's sign when lost.
inline int value_sign(part x) {
  if (x.f != 0.0f) return x.f > 0.0f ? 1 : -1;
  if (!x.lost) return 0;
  return std::signbit(x.f) ? -1 : 1;
}

// True when the rounded part overflowed, is subnormal or was lost to zero.
inline bool irregular(part x) {
  const float ax = std::fabs(x.f);
  return x.lost || ax > std::numeric_limits<float>::max() ||
         (ax > 0.0f && ax < std::numeric_limits<float>::min());
}

// The key of a guess; beyond the float range, an infinity's (a double
// outside it must not be converted to float).
inline std::int64_t guess_key(double x) {
  if (!(x == x)) return 0;
  if (x > std::numeric_limits<float>::max()) return inf_key;
  if (x < -std::numeric_limits<float>::max()) return -inf_key;
  return key(static_cast<float>(x));
}

// The float nearest to the x that side describes; side(0) tells an exact
// zero (+0) from a value that rounds to zero (signed zero, lost).  lo_ok as
// for round_by_search (0 when x is known to be positive).
template <class Side>
part round_part(Side&& side, double guess, std::int64_t lo_ok = -inf_key) {
  int calls = 0;
  auto counted = [&](double m) {
    ++calls;
    return side(m);
  };
  const std::int64_t k = round_by_search(counted, guess_key(guess), lo_ok);
  if (calls > 2) ++stats().searches;
  stats().probes += static_cast<unsigned>(calls);
  if (k != 0) return {key_float(k), false};
  const int s0 = side(0.0);
  if (s0 == 0) return {0.0f, false};
  return {s0 < 0 ? -0.0f : 0.0f, true};
}

// Writes root k of out from its parts: root, written = true, flag 1, or -3
// when either part is irregular.  The other roots keep their values.
inline void put(solution& out, int k, part re, part im) {
  out.root[k] = {re.f, im.f};
  out.written[k] = true;
  out.flag[k] = (irregular(re) || irregular(im)) ? -3 : 1;
}

inline void put_real(solution& out, int k, part re) { put(out, k, re, part{0.0f, false}); }

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_PART_HPP
