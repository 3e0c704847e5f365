// The text of one real in qubic-solve's output.
#ifndef QUBIC_SOLVE_REAL_TEXT_HPP
#define QUBIC_SOLVE_REAL_TEXT_HPP

#include <string>

namespace qubic::tool {

// Appends the shortest decimal that reads back to the same float, or the
// same double, as std::to_chars(first, last, x) writes it, except that every
// NaN is "nan" (the sign of a NaN carries no meaning).
//
// Example: 3 -> "3", 2 - 2^-23 -> "1.9999999", -0 -> "-0", -inf -> "-inf",
// 1e-10f -> "1e-10"; the double 0.1 -> "0.1", the float 0.1f widened to
// double -> "0.10000000149011612".
void append_real(std::string& out, float x);
void append_real(std::string& out, double x);

}  // namespace qubic::tool

#endif  // QUBIC_SOLVE_REAL_TEXT_HPP
