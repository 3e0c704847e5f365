// read_e16_slow: one E16.8 field to the nearest float, converted exactly once.
//
// The reference for every field: read_e16 handles the common shapes itself
// and passes everything else here.
//
// The field is normalised into a plain decimal "ddd...e<exp>" (blanks dropped,
// leading zeros dropped, the point and the implied 8-digit fraction folded
// into the exponent) and handed to std::from_chars<float>, which rounds the
// exact decimal value once.  Reading through a double and narrowing would
// round twice, and scaling by powers of ten in float would round at every
// step; both can miss the nearest float.
#include "text/e16_read_slow.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace qubic::call {
namespace {

// Exponent magnitudes beyond this already overflow or underflow every float
// whatever the (at most 16) digits are, so larger ones are clamped here: the
// result does not change and the arithmetic below cannot overflow.
constexpr long exp_clamp = 1000000;

// Digits taken as the fraction when the field has no decimal point.
constexpr long implied_fraction = 8;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_lower(const char* s, std::size_t n, std::string_view word) {
  if (n != word.size()) return false;
  for (std::size_t k = 0; k < n; ++k) {
    if (lower(s[k]) != word[k]) return false;
  }
  return true;
}

}  // namespace

bool read_e16_slow(std::string_view field, float& x) {
  if (field.size() > e16_width) return false;

  // The significant characters, blanks removed.
  char s[e16_width];
  std::size_t n = 0;
  for (const char c : field) {
    if (c != ' ') s[n++] = c;
  }
  if (n == 0) {
    x = 0.0f;
    return true;
  }

  std::size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') {
    negative = (s[i] == '-');
    ++i;
  }

  // Spelled-out infinities and NaNs.
  if (equals_lower(s + i, n - i, "inf") || equals_lower(s + i, n - i, "infinity")) {
    const float inf = std::numeric_limits<float>::infinity();
    x = negative ? -inf : inf;
    return true;
  }
  if (equals_lower(s + i, n - i, "nan")) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    x = std::copysign(nan, negative ? -1.0f : 1.0f);
    return true;
  }

  // Mantissa: digits with at most one point.  Leading zeros are dropped from
  // the digit string but still counted as fraction digits after a point.
  char digits[e16_width + 24];
  std::size_t nd = 0;
  bool any_digit = false;
  bool point = false;
  long fraction = 0;
  for (; i < n; ++i) {
    const char c = s[i];
    if (is_digit(c)) {
      any_digit = true;
      if (nd > 0 || c != '0') digits[nd++] = c;
      if (point) ++fraction;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return false;

  // Exponent: a letter with an optional sign, or a bare sign.
  long exponent = 0;
  if (i < n) {
    const char c = lower(s[i]);
    bool exp_negative = false;
    if (c == 'e' || c == 'd') {
      ++i;
      if (i < n && (s[i] == '+' || s[i] == '-')) {
        exp_negative = (s[i] == '-');
        ++i;
      }
    } else if (c == '+' || c == '-') {
      exp_negative = (c == '-');
      ++i;
    } else {
      return false;
    }
    if (i == n) return false;
    for (; i < n; ++i) {
      if (!is_digit(s[i])) return false;
      if (exponent < exp_clamp) exponent = exponent * 10 + (s[i] - '0');
    }
    if (exponent > exp_clamp) exponent = exp_clamp;
    if (exp_negative) exponent = -exponent;
  }

  if (nd == 0) {
    x = negative ? -0.0f : 0.0f;
    return true;
  }

  // value = digits * 10^scale, digits an integer without leading zeros.
  const long scale = exponent - (point ? fraction : implied_fraction);
  digits[nd] = 'e';
  const auto [eend, eec] = std::to_chars(digits + nd + 1, digits + sizeof digits, scale);
  if (eec != std::errc()) return false;  // cannot happen: |scale| <= 10^6 + 16

  float magnitude = 0.0f;
  const auto [end, ec] = std::from_chars(digits, eend, magnitude, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // from_chars reports this only when the correctly rounded result is an
    // infinity or a zero, and leaves magnitude unset.  With the value written
    // 0.d1d2... * 10^(scale + nd), d1 nonzero, an overflow needs
    // scale + nd >= 39 and an underflow to zero needs scale + nd <= -44, so
    // the sign of scale + nd tells them apart.
    const long leading = scale + static_cast<long>(nd);
    magnitude = leading > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
  } else if (ec != std::errc() || end != eend) {
    return false;  // cannot happen for the string built above
  }
  x = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace qubic::call
