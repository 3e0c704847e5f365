// read_free_real: a free-form decimal or hexadecimal number to the nearest float
// or double, converted once.
//
// std::from_chars does the reading and the one rounding (nothing in between,
// so no double rounding); this file only takes the sign and the 0x prefix,
// turns a D exponent into an E, turns away what from_chars would accept but a
// coefficient should not be (a second sign, a NaN payload "nan(...)"), and
// settles the out-of-range case: there from_chars answers
// result_out_of_range and leaves its output unset.
#include "text/free_read.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace qubic::call {
namespace {

// Exponents beyond this overflow or underflow every double whatever the (at
// most a few thousand) digits are.
constexpr long exponent_clamp = 1000000;

// For a numeral that from_chars found out of range, hence finite and
// nonzero: true when it rounds to infinity, false when to zero.  Written as
// 0.d1 d2 ... base^lead with d1 nonzero, times 10^e (a decimal, base 10) or
// 2^e (a hexadecimal, base 16), the value lies within a factor of base below
// 10^(lead + e), or 2^(4 lead + e).  Overflow needs at least 2^127 (float) or
// 2^1023 (double), underflow to zero at most 2^-150 or 2^-1075, so the sign
// of lead + e, or of 4 lead + e, decides.
bool rounds_to_infinity(std::string_view s, bool hex) {
  const std::size_t e = s.find_first_of(hex ? "pP" : "eE");
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
  return (hex ? 4 * lead : lead) + exponent > 0;
}

template <class Real>
bool read(std::string_view s, Real& x) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = (s[0] == '-');
    s.remove_prefix(1);
  }
  const bool hex = s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
  if (hex) {
    s.remove_prefix(2);
    // from_chars would also take a sign, "inf" or "nan" here.
    if (s.empty() || !(std::isxdigit(static_cast<unsigned char>(s[0])) || s[0] == '.')) return false;
  }
  if (s.empty() || s[0] == '-' || s.find('(') != std::string_view::npos) return false;

  // A D exponent, as Fortran writes it, is an E exponent.  (No word that
  // from_chars reads, inf, infinity or nan, has a d in it.)
  std::string with_e;
  if (const std::size_t d = hex ? std::string_view::npos : s.find_first_of("dD"); d != std::string_view::npos) {
    with_e = s;
    with_e[d] = 'e';
    s = with_e;
  }

  const char* end = s.data() + s.size();
  Real magnitude = 0;
  const auto [ptr, ec] =
      std::from_chars(s.data(), end, magnitude, hex ? std::chars_format::hex : std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    if (ptr != end) return false;
    magnitude = rounds_to_infinity(s, hex) ? std::numeric_limits<Real>::infinity() : Real(0);
  } else if (ec != std::errc() || ptr != end) {
    return false;
  }
  x = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

bool read_free_real(std::string_view s, float& x) { return read(s, x); }
bool read_free_real(std::string_view s, double& x) { return read(s, x); }

}  // namespace qubic::call
