// Reading one decimal number of a qubic-solve command line or input line.
#ifndef QUBIC_SOLVE_NUMBER_HPP
#define QUBIC_SOLVE_NUMBER_HPP

#include <string_view>

namespace qubic::tool {

// Reads the whole of s as one float, rounded once to nearest, ties to even.
//
// Accepted: an optional sign, then either digits with at most one '.' (at
// least one digit) and an optional exponent (e or E, an optional sign, at
// least one digit), or "inf", "infinity" or "nan" in any case.  Out of range
// values read as the rounding gives them: overflow to an infinity, underflow
// to the nearest subnormal or to a zero, always with the sign written.
//
// Returns false and leaves x untouched when s is anything else (empty, a
// blank, a comma, a second '.', "1e", "0x1p3", "nan(1)").
//
// Example: "1.0E+30" -> 0x7149F2CA, "1e-40" -> the subnormal 0x000116C2,
// "-1e-50" -> -0.0f, "1e39" -> +inf, "-0" -> -0.0f.
bool read_number(std::string_view s, float& x);

}  // namespace qubic::tool

#endif  // QUBIC_SOLVE_NUMBER_HPP
