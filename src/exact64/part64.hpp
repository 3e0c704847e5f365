// part64: one part (real or imaginary) of one root, rounded to double from
// its sign oracle, and written into a solution (docs/exact64.md section 2).
//
// round_part searches from the key of a double guess (keys.hpp); a part that
// rounds to key 0 is told apart by its sign at the point 0: +0 for an exact
// zero, else a signed zero marked lost (flag -3).  Worked example
// (Exact64Blocks.SearchRoundsTiesToEven): x = 3 * 2^-1075 lies on mid(1), the midpoint of
// 2^-1074 and 2^-1073; the even pattern wins: {2^-1073, lost = false}.
#ifndef QUBIC_EXACT64_PART64_HPP
#define QUBIC_EXACT64_PART64_HPP

#include <bit>
#include <cmath>
#include <cstdint>

#include <qubic/exact.hpp>

#include "exact64/keys.hpp"
#include "exact64/stats64.hpp"

namespace qubic::exact64 {

struct part {
  double f;
  bool lost;
};

// Lost, infinite or subnormal, read from the bits of |f|: infinity is
// 0x7FF0...0 and the subnormals 1 .. 0x000F...F (a NaN, never a result, is
// not irregular, as with the comparisons |f| > max and 0 < |f| < min).
inline bool irregular(part x) {
  const std::uint64_t ab = std::bit_cast<std::uint64_t>(x.f) & 0x7FFFFFFFFFFFFFFFull;
  return x.lost || ab == 0x7FF0000000000000ull || ab - 1 < 0x000FFFFFFFFFFFFFull;
}

inline std::int64_t guess_key(double x) { return x == x ? key(x) : 0; }

// side(j) = sign(x - mid(j)); side0() = sign(x - 0).
template <class Side, class Side0>
part round_part(Side&& side, Side0&& side0, double guess, std::int64_t lo_ok = -inf_key) {
  int calls = 0;
  auto counted = [&](std::int64_t j) {
    ++calls;
    return side(j);
  };
  const std::int64_t k = round_by_search(counted, guess_key(guess), lo_ok);
  if (calls > 2) ++stats().searches;
  stats().calls += static_cast<std::uint64_t>(calls);
  if (k != 0) return {key_double(k), false};
  const int s0 = side0();
  if (s0 == 0) return {0.0, false};
  return {s0 < 0 ? -0.0 : 0.0, true};
}

[[gnu::always_inline]] inline void put(solution_double& out, int k, part re, part im) {
  out.root[k] = {re.f, im.f};
  out.written[k] = true;
  out.flag[k] = (irregular(re) || irregular(im)) ? -3 : 1;
}

[[gnu::always_inline]] inline void put_real(solution_double& out, int k, part re) {
  put(out, k, re, part{0.0, false});
}

// A root whose parts were confirmed in cells of normal doubles (a real
// root's imaginary part is +0): nothing irregular to test.
[[gnu::always_inline]] inline void put_normal(solution_double& out, int k, double re, double im) {
  out.root[k] = {re, im};
  out.written[k] = true;
  out.flag[k] = 1;
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_PART64_HPP
