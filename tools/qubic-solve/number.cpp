// read_number: a free-form decimal to the nearest float, converted once.
//
// std::from_chars<float> does the reading and the one rounding (no double
// in between, so no double rounding); this file only takes the sign, turns
// away what from_chars would accept but a coefficient should not be (a second
// sign, a NaN payload "nan(...)"), and settles the out-of-range case: there
// from_chars answers result_out_of_range and leaves its output unset.
#include "number.hpp"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

namespace qubic::tool {
namespace {

// Decimal exponents beyond this overflow or underflow every float whatever
// the (at most a few thousand) digits are.
constexpr long exponent_clamp = 1000000;

// For a numeral that from_chars found out of range, hence finite and
// nonzero: true when it rounds to infinity, false when to zero.  Written as
// 0.d1 d2 ... * 10^lead with d1 nonzero, it overflows only for lead >= 39
// and underflows only for lead <= -45, so the sign of lead decides.
bool rounds_to_infinity(std::string_view s) {
  const std::size_t e = s.find_first_of("eE");
  const std::string_view mantissa = s.substr(0, e);
  long exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = s.substr(e + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    if (r.ec == std::errc::result_out_of_range) return !negative;  // the exponent alone decides
    exponent = std::min(exponent, exponent_clamp);
    if (negative) exponent = -exponent;
  }
  const long point = static_cast<long>(std::min(mantissa.find('.'), mantissa.size()));
  const long first = static_cast<long>(mantissa.find_first_not_of("0."));  // some digit is nonzero
  const long lead = first < point ? point - first : -(first - point - 1);
  return lead + exponent > 0;
}

}  // namespace

bool read_number(std::string_view s, float& x) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = (s[0] == '-');
    s.remove_prefix(1);
  }
  if (s.empty() || s[0] == '-' || s.find('(') != std::string_view::npos) return false;

  const char* end = s.data() + s.size();
  float magnitude = 0.0f;
  const auto [ptr, ec] = std::from_chars(s.data(), end, magnitude, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    if (ptr != end) return false;
    magnitude = rounds_to_infinity(s) ? std::numeric_limits<float>::infinity() : 0.0f;
  } else if (ec != std::errc() || ptr != end) {
    return false;
  }
  x = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace qubic::tool
