// write_free_real, write_free_line: shortest round-trip decimals.
//
// The shortest form keeps the roots exact: each printed real reads back to
// the bits the solver produced, so two runs can be compared as text.  The
// text is the one std::to_chars(first, last, x) writes; the digits are
// computed here with integer arithmetic.
//
// A finite nonzero float v = m * 2^e reads back from every decimal in its
// rounding interval: from halfway to the float below to halfway to the float
// above, both ends included when m is even (a tie reads to the even
// neighbour), excluded when m is odd.  In units of 2^(e-2) the interval runs
// from 4m - 2 (4m - 1 at the bottom of a binade, where the float below is
// half as far) to 4m + 2, and v is 4m.
//
//   1. At the level 10^k0 with k0 = floor(log10 2^(e-2)), the interval is
//      wider than 10^k0, so it holds a multiple of 10^k0.  The smallest and
//      the largest such multiple, lo and hi (in units of 10^k0), and
//      floor(v / 10^k0) with the class of the dropped fraction are computed
//      exactly (decimal_scale.hpp).
//   2. One level up, the candidates are ceil(lo / 10) .. floor(hi / 10) (a
//      ceiling or floor of a ceiling or floor is the ceiling or floor of the
//      quotient).  While that range is not empty, go up; v drops one digit
//      into its fraction class.  The last level holding a candidate gives
//      the fewest significant digits.
//   3. At that level the candidate nearest to v is v rounded to nearest
//      (ties to even), moved up to lo if it fell below the interval.  It
//      never exceeds hi: rounding up past hi would need v at least half a
//      step above hi while the interval end, half an ulp above v, is below
//      the next step, so the interval could not reach down to hi.
//
// The layout is to_chars': plain ("123.45", "0.001") when that is not longer
// than scientific ("1.2345e+08", "1e-05"), and a plain integer written with
// all its digits (2^30 is "1073741824", not "1073741800").
#include "text/free_write.hpp"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "text/decimal_scale.hpp"

namespace qubic::call {
namespace {

using namespace decimal;

// 10^0 .. 10^19.
struct pow10_table {
  u64 v[20];
  constexpr pow10_table() : v{} {
    u64 p = 1;
    for (int k = 0; k < 20; ++k) {
      v[k] = p;
      p *= 10;
    }
  }
};
constexpr pow10_table pow10{};

// Decimal digits of c > 0.  With b the bit length of c (2^(b-1) <= c < 2^b)
// and 1233 / 4096 just below log10 2, t = floor(b * 1233 / 4096) is
// floor(log10 c) or one more; one more exactly when c < 10^t.
inline int count_digits(u64 c) {
  const int t = ((64 - std::countl_zero(c)) * 1233) >> 12;
  return t + 1 - (c < pow10.v[t] ? 1 : 0);
}

// Writes the n <= 8 decimal digits of d (exactly n, d < 10^n) at out, two
// at a time from the right.
[[gnu::always_inline]] inline void put_short(char* out, std::uint32_t d, int n) {
  while (n >= 2) {
    n -= 2;
    std::memcpy(out + n, pairs.c + 2 * (d % 100), 2);
    d /= 100;
  }
  if (n == 1) out[0] = static_cast<char>('0' + d);
}

// Writes the n decimal digits of c (exactly n, c < 10^n) at out: the last 8
// in 32 bits at a time while more are left, then the rest.  A loop, not a
// recursion, so that it can be inlined into its callers (always: left to
// itself, the link-time optimiser outlines it or not as unrelated code
// changes).
[[gnu::always_inline]] inline void put_digits(char* out, u64 c, int n) {
  while (n > 8) {
    n -= 8;
    put_short(out + n, static_cast<std::uint32_t>(c % 100000000u), 8);
    c /= 100000000u;
  }
  put_short(out, static_cast<std::uint32_t>(c), n);
}

}  // namespace

char* write_free_real(char* out, float x) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(x);
  const std::uint32_t biased = (bits >> 23) & 0xFF;
  const std::uint32_t fraction = bits & 0x7FFFFF;
  if (biased == 0xFF) return std::to_chars(out, out + free_real_room, x).ptr;  // inf, nan
  if ((bits >> 31) != 0) *out++ = '-';
  if (biased == 0 && fraction == 0) {
    *out++ = '0';
    return out;
  }

  const u64 m = biased == 0 ? fraction : (fraction | 0x800000u);
  const int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;
  const bool even = (m & 1) == 0;
  const bool closer_below = fraction == 0 && biased > 1;  // the float below is half as far

  // Step 1: the interval and v at the level 10^k0, in units of 2^(e-2).
  const int e2 = e - 2;
  const int k0 = floor_log10_pow2(e2);
  const scaled vs = scale(4 * m, e2, -k0);
  const scaled up = scale(4 * m + 2, e2, -k0);
  const scaled down = scale(4 * m - (closer_below ? 1 : 2), e2, -k0);
  u64 hi = up.q - ((up.f == zero && !even) ? 1 : 0);
  u64 lo = down.q + ((down.f != zero || !even) ? 1 : 0);
  u64 vr = vs.q;
  frac vf = vs.f;
  int k = k0;

  // Step 2: up while the next level still holds a candidate.
  for (;;) {
    const u64 lo10 = (lo + 9) / 10;
    const u64 hi10 = hi / 10;
    if (lo10 > hi10) break;
    vf = drop_digit(static_cast<unsigned>(vr % 10), vf);
    vr /= 10;
    lo = lo10;
    hi = hi10;
    ++k;
  }

  // Step 3: the candidate nearest to v.
  u64 c = vr + (rounds_up(vr, vf) ? 1 : 0);
  if (c < lo) c = lo;
  if (c > hi) c = hi;

  // Layout: c * 10^k, n digits, scientific exponent x10 = k + n - 1.
  const int n = count_digits(c);
  const int x10 = k + n - 1;
  const int sci_len = n + (n > 1 ? 1 : 0) + 4;  // |x10| <= 45: two exponent digits
  const int plain_len = k >= 0 ? n + k : (x10 >= 0 ? n + 1 : n + 1 - x10);
  if (plain_len <= sci_len) {
    if (k >= 0) {
      // An integer below 10^14 (plain needs x10 <= 13): all of its digits.
      const u64 v = e >= 0 ? (m << e) : (m >> -e);
      put_digits(out, v, n + k);
      return out + n + k;
    }
    if (x10 >= 0) {
      const int ip = x10 + 1;  // digits before the point
      const u64 pow = pow10.v[n - ip];
      put_digits(out, c / pow, ip);
      out[ip] = '.';
      put_digits(out + ip + 1, c % pow, n - ip);
      return out + n + 1;
    }
    out[0] = '0';
    out[1] = '.';
    std::memset(out + 2, '0', static_cast<std::size_t>(-x10 - 1));
    put_digits(out + 1 - x10, c, n);
    return out + n + 1 - x10;
  }
  // d[.ddd]e+XX
  const u64 pow = pow10.v[n - 1];
  out[0] = static_cast<char>('0' + c / pow);
  char* p = out + 1;
  if (n > 1) {
    *p++ = '.';
    put_digits(p, c % pow, n - 1);
    p += n - 1;
  }
  *p++ = 'e';
  *p++ = x10 < 0 ? '-' : '+';
  const int ax = x10 < 0 ? -x10 : x10;
  std::memcpy(p, pairs.c + 2 * ax, 2);
  return p + 2;
}

char* write_free_line(char* out, float x1, float x2, float x3) {
  char* p = write_free_real(out, x1);
  *p++ = ' ';
  p = write_free_real(p, x2);
  *p++ = ' ';
  p = write_free_real(p, x3);
  *p++ = '\n';
  return p;
}

}  // namespace qubic::call
