// Splitting one input line of qubic-solve into the four coefficients.
#ifndef QUBIC_SOLVE_LINE_HPP
#define QUBIC_SOLVE_LINE_HPP

#include <array>
#include <string>
#include <string_view>

namespace qubic::tool {

enum class line_kind { blank, cubic, malformed };

// Reads a line (without its '\n') as four numbers, highest power first:
// a[0] = A3, a[1] = A2, a[2] = A1, a[3] = A0.  Numbers are separated by
// blanks (space, tab, carriage return), by one comma, or by one comma with
// blanks around it; blanks may also lead and trail.  Each number is read by
// call::read_free_real.
//
// blank:     the line holds only blanks (or nothing); a and why untouched.
// cubic:     a written; why untouched.
// malformed: why says what is wrong, in a few words without the line
//            number; a untouched.
//
// Real is float or double: each number is rounded once to it.
//
// Example: "1, -6 11,-6" -> cubic (1, -6, 11, -6); "1,,2,3" -> malformed,
// "empty field between two commas".
template <class Real>
line_kind read_line(std::string_view line, std::array<Real, 4>& a, std::string& why);

enum class header { none, coefficients, full };

// What a first line of input is: the header that --csv writes (full), its
// first four names alone, "a3,a2,a1,a0" (coefficients), or neither (none);
// a '\r' may end it.  Example: "a3,a2,a1,a0\r" -> coefficients.
header read_header(std::string_view line);

// The coefficients of a row of the table --csv writes: the line up to its
// fourth comma; the flags and roots after it are not read (they are computed
// again).  A line with fewer commas is returned whole.
// Example: "1,-6,11,-6,1,1,1,3,0,2,0,1,0" -> "1,-6,11,-6".
std::string_view coefficients_of_row(std::string_view line);

// Quotes a piece of input for an error message: at most 40 characters,
// anything but printable ASCII shown as '?'.  Example: "ab\tc" -> "'ab?c'".
std::string quoted(std::string_view s);

}  // namespace qubic::tool

#endif  // QUBIC_SOLVE_LINE_HPP
