// read_e16: the common shapes of a field converted directly, exactly.
//
// Most fields are a sign, at most 16 digits with or without a point, and an
// exponent, with blanks only around them.  For those the decimal value is
// w * 10^s with w the digit string as an integer (w < 10^16).  When
// w <= 2^53 and |s| <= 22, both w and 10^|s| are exact doubles, so
// D = w * 10^s (or w / 10^-s) is the exact value rounded once, to the nearest
// double.  Rounding D to float then gives the float nearest to the exact
// value, unless D is exactly halfway between two floats:
//
//   every float midpoint is a double (25 significant bits), and rounding to
//   the nearest double is monotone, so a value below a midpoint gives a
//   D at or below it, and a value above gives a D at or above it.  If D is
//   no midpoint, the exact value and D lie strictly between the same two
//   midpoints, which is the interval of one float: the float nearest to D is
//   the float nearest to the exact value.  If D is a midpoint, the exact
//   value may lie on either side (or on it), and the double cannot tell.
//
// So a D that lands on a midpoint goes the general way, as does every other
// shape (blanks inside, inf and nan, more digits, larger exponents, anything
// unreadable).  The values reachable here lie between 10^-22 and 10^38, all
// normal floats, where a midpoint is a double whose 29 low fraction bits are
// exactly 1 followed by 28 zeros.
#include "text/e16_read.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

#include "text/e16_read_slow.hpp"

namespace qubic::call {
namespace {

// 10^0 .. 10^22: every one an exact double (5^22 < 2^53).
constexpr double exact_pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int max_exact_pow10 = 22;

// Digits taken as the fraction when the field has no decimal point.
constexpr int implied_fraction = 8;

// Exponents with more digits than this go the general way.
constexpr int max_exponent_digits = 4;

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// True when the 8 bytes at p are all '0'..'9' (only on little-endian
// machines), with v their value.  The bytes are loaded as one little-endian
// word and checked all at once: each byte b has b + 0x46 and b - 0x30 both
// below 0x80 exactly when 0x30 <= b <= 0x39 (the lowest byte that is no
// digit gets no carry or borrow from below, so its own test decides).  Then
// they are combined pairwise: 8 digits -> 4 two-digit numbers -> 2
// four-digit numbers -> 1 eight-digit number.
inline bool eight_digits(const char* p, std::uint64_t& value) {
  if constexpr (std::endian::native != std::endian::little) return false;
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if ((((v + 0x4646464646464646u) | (v - 0x3030303030303030u)) & 0x8080808080808080u) != 0) return false;
  v -= 0x3030303030303030u;
  v = (v * 10) + (v >> 8);  // byte 2k: the two-digit number of bytes 2k, 2k+1
  const std::uint64_t pairs_lo = v & 0x000000FF000000FFu;
  const std::uint64_t pairs_hi = (v >> 16) & 0x000000FF000000FFu;
  value = ((pairs_lo * (100 + (std::uint64_t{1000000} << 32))) + (pairs_hi * (1 + (std::uint64_t{10000} << 32)))) >> 32;
  return true;
}

// Appends the digits from p on to w and returns the first non-digit (or
// end), eight digits at a time while eight bytes are left.  w stays below
// 10^16: a field has at most 16 characters.
inline const char* scan_digits(const char* p, const char* end, std::uint64_t& w) {
  while (end - p >= 8) {
    std::uint64_t v;
    if (!eight_digits(p, v)) break;
    w = w * 100000000u + v;
    p += 8;
  }
  while (p < end && is_digit(*p)) {
    w = w * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  return p;
}

// The float nearest to w * 10^scale, for 0 < w <= 2^53 and |scale| <= 22,
// or false when the double on the way is a float midpoint (see above).
inline bool direct(std::uint64_t w, int scale, bool negative, float& x) {
  const double wd = static_cast<double>(w);  // exact: w <= 2^53
  const double d = scale >= 0 ? wd * exact_pow10[scale] : wd / exact_pow10[-scale];
  if ((std::bit_cast<std::uint64_t>(d) & 0x1FFFFFFFu) == 0x10000000u) return false;
  const float f = static_cast<float>(d);
  x = negative ? -f : f;
  return true;
}

// The writer's own layout, " -0.ddddddddE+nn" or "  0.ddddddddE+nn": fixed
// columns, 8 digits, a two-digit exponent.
inline bool writer_layout(const char* f, std::uint64_t& w, int& scale, bool& negative) {
  if (f[0] != ' ' || (f[1] != ' ' && f[1] != '-') || f[2] != '0' || f[3] != '.' || f[12] != 'E' ||
      (f[13] != '+' && f[13] != '-') || !is_digit(f[14]) || !is_digit(f[15])) {
    return false;
  }
  if (!eight_digits(f + 4, w)) return false;
  const int exponent = (f[14] - '0') * 10 + (f[15] - '0');
  scale = (f[13] == '-' ? -exponent : exponent) - 8;
  negative = f[1] == '-';
  return true;
}

}  // namespace

bool read_e16(std::string_view field, float& x) {
  if (field.size() > e16_width) return false;
  if (field.size() == e16_width) {
    std::uint64_t w;
    int scale;
    bool negative;
    if (writer_layout(field.data(), w, scale, negative)) {
      if (w == 0) {
        x = negative ? -0.0f : 0.0f;
        return true;
      }
      if (scale >= -max_exact_pow10 && scale <= max_exact_pow10 && direct(w, scale, negative, x)) return true;
      return read_e16_slow(field, x);
    }
  }
  const char* p = field.data();
  const char* end = p + field.size();
  while (p < end && *p == ' ') ++p;
  while (end > p && end[-1] == ' ') --end;
  if (p == end) {
    x = 0.0f;
    return true;
  }

  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }

  // At most 16 digits: w < 10^16 < 2^64.
  std::uint64_t w = 0;
  const char* first = p;
  p = scan_digits(p, end, w);
  long ndigits = p - first;
  int scale = -implied_fraction;
  if (p < end && *p == '.') {
    ++p;
    const char* frac = p;
    p = scan_digits(p, end, w);
    ndigits += p - frac;
    scale = -static_cast<int>(p - frac);
  }
  if (ndigits == 0) return read_e16_slow(field, x);

  if (p < end) {
    bool exp_negative = false;
    const char c = *p;
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++p;
      if (p < end && (*p == '+' || *p == '-')) {
        exp_negative = *p == '-';
        ++p;
      }
    } else if (c == '+' || c == '-') {
      exp_negative = c == '-';
      ++p;
    } else {
      return read_e16_slow(field, x);
    }
    const char* e0 = p;
    int exponent = 0;
    while (p < end && is_digit(*p)) {
      // Only the digits this path can take are accumulated: more would
      // overflow the int, and such a field goes the general way below.
      if (p - e0 < max_exponent_digits) exponent = exponent * 10 + (*p - '0');
      ++p;
    }
    if (p == e0 || p != end || p - e0 > max_exponent_digits) return read_e16_slow(field, x);
    scale += exp_negative ? -exponent : exponent;
  }

  if (w == 0) {
    x = negative ? -0.0f : 0.0f;
    return true;
  }
  if (w > (std::uint64_t{1} << 53) || scale > max_exact_pow10 || scale < -max_exact_pow10) {
    return read_e16_slow(field, x);
  }
  if (direct(w, scale, negative, x)) return true;
  return read_e16_slow(field, x);
}

}  // namespace qubic::call
