// write_e16: a float as an E16.8 field, its 8 digits computed exactly.
//
// A finite nonzero float is v = m * 2^e with m < 2^24 an integer and
// -149 <= e <= 104.  With d the decimal exponent of v (10^d <= v < 10^(d+1)),
// the field shows q = v * 10^(7-d) rounded to an integer, 10^7 <= q <= 10^8,
// as 0.q * 10^(d+1).  Every step below is integer arithmetic on the exact
// binary value, so the rounding is the one rounding from v to 8 digits, ties
// to even, exactly as std::to_chars(v, std::chars_format::scientific, 7)
// rounds:
//
//   p = 7 - d >= 0:  v * 10^p = m * 5^p / 2^s with s = -e - p (or an integer
//                    m * 5^p * 2^-s when s <= 0).  5^p < 2^121 (p <= 52), so
//                    m * 5^p fits 145 bits; it is kept as a 64-bit high part
//                    over a 128-bit product, and the bits shifted out decide
//                    the rounding (the half bit and a sticky bit).
//   p < 0:           v * 10^p = (m * 2^(e+p)) / 5^-p, both integers
//                    (e + p >= 3 whenever v >= 10^8), the numerator below
//                    2^97, the divisor below 2^72: one 128-bit division, and
//                    the remainder against half the divisor decides.
//
// d is first estimated from the binary exponent: with v in [2^E, 2^(E+1)),
// d' = floor(E * log10 2) <= d <= d' + 1.  E * log10 2 is never within 0.004
// of an integer for -149 <= E <= 127 (the closest are E = +-93), and
// 78913 / 2^18 misses log10 2 by less than 8e-7, so the shift below computes
// floor(E * log10 2) exactly.  When d = d' + 1 the scaled value has 9 integer
// digits; dividing its integer part by 10 is exact (floor(floor(x)/10) =
// floor(x/10)) and the dropped digit joins the half and sticky information,
// so the result is still rounded once.
#include "text/e16_write.hpp"

#include "text/decimal_scale.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

namespace qubic::call {
namespace {

using namespace decimal;

constexpr int width = 16;

inline void put2(char* out, unsigned k) { std::memcpy(out, pairs.c + 2 * k, 2); }

void right_justify(const char* text, int n, char* out) {
  std::memset(out, ' ', width);
  std::memcpy(out + (width - n), text, static_cast<std::size_t>(n));
}

}  // namespace

void write_e16(float x, char* out) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(x);
  const bool negative = (bits >> 31) != 0;
  const std::uint32_t biased = (bits >> 23) & 0xFF;
  const std::uint32_t fraction = bits & 0x7FFFFF;

  if (biased == 0xFF) {
    if (fraction != 0) {
      right_justify("NaN", 3, out);
    } else if (negative) {
      right_justify("-Infinity", 9, out);
    } else {
      right_justify("Infinity", 8, out);
    }
    return;
  }

  u64 q = 0;    // the 8 digits
  int e10 = 0;  // the exponent written after E
  if (biased != 0 || fraction != 0) {
    const u64 m = biased == 0 ? fraction : (fraction | 0x800000u);
    const int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;
    const int top = e + (63 - std::countl_zero(m));  // E: v in [2^E, 2^(E+1))
    int d = floor_log10_pow2(top);
    scaled sc = scale(m, e, 7 - d);
    if (sc.q >= 100000000u) {
      // d was one too small: drop the ninth digit into the fraction class.
      sc.f = drop_digit(static_cast<unsigned>(sc.q % 10), sc.f);
      sc.q /= 10;
      ++d;
    }
    q = sc.q;
    if (rounds_up(q, sc.f)) ++q;
    if (q == 100000000u) {  // 9.99999995 and above carry into a new decade
      q = 10000000u;
      ++d;
    }
    e10 = d + 1;
  }

  // "  0.ddddddddE+nn" or " -0.ddddddddE+nn": every finite value has the
  // same columns, the sign in column 2.
  out[0] = ' ';
  out[1] = negative ? '-' : ' ';
  out[2] = '0';
  out[3] = '.';
  const unsigned hi4 = static_cast<unsigned>(q / 10000);
  const unsigned lo4 = static_cast<unsigned>(q % 10000);
  put2(out + 4, hi4 / 100);
  put2(out + 6, hi4 % 100);
  put2(out + 8, lo4 / 100);
  put2(out + 10, lo4 % 100);
  out[12] = 'E';
  out[13] = e10 < 0 ? '-' : '+';
  put2(out + 14, static_cast<unsigned>(e10 < 0 ? -e10 : e10));  // 0..45 for a finite float
}

}  // namespace qubic::call
