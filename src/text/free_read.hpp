// Reading one free-form number: a qubic-solve argument or a field of its
// input lines.
#ifndef QUBIC_TEXT_FREE_READ_HPP
#define QUBIC_TEXT_FREE_READ_HPP

#include <string_view>

namespace qubic::call {

// Reads the whole of s as one float, or one double, rounded once to nearest,
// ties to even.
//
// Accepted: an optional sign, then one of
//   * a decimal: digits with at most one '.' (at least one digit) and an
//     optional exponent (e, E, d or D, an optional sign, at least one digit);
//   * a hexadecimal floating constant: 0x or 0X, hexadecimal digits with at
//     most one '.' (at least one digit), and an optional binary exponent
//     (p or P, an optional sign, at least one decimal digit), as C's strtod
//     reads it;
//   * "inf", "infinity" or "nan" in any case.
// Out of range values read as the rounding gives them: overflow to an
// infinity, underflow to the nearest subnormal or to a zero, always with the
// sign written.
//
// Returns false and leaves x untouched when s is anything else (empty, a
// blank, a comma, a second '.', "1e", "0x", "0x1p", "1p3", "nan(1)").
//
// Example: "1.0E+30" -> 0x7149F2CA, "1.5D+03" -> 1500, "1e-40" -> the
// subnormal 0x000116C2, "-1e-50" -> -0.0f, "1e39" -> +inf, "-0" -> -0.0f,
// "0x1.8p+1" -> 3, "-0X1P-149" -> -2^-149 (0x80000001), "0x1.000001p0" ->
// 1 as a float (a tie, to even) and 1 + 2^-24 as a double.
bool read_free_real(std::string_view s, float& x);
bool read_free_real(std::string_view s, double& x);

}  // namespace qubic::call

#endif  // QUBIC_TEXT_FREE_READ_HPP
