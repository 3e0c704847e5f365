// Reading one E16.8 field of a coefficient record.
#ifndef QUBIC_CALL_E16_READ_HPP
#define QUBIC_CALL_E16_READ_HPP

#include <cstddef>
#include <string_view>

namespace qubic::call {

// Width of one coefficient field in columns.
inline constexpr std::size_t e16_width = 16;

// Reads one field of at most e16_width characters to the nearest float.
//
// Blanks anywhere are ignored and an all-blank field is +0.  The rest is an
// optional sign, a digit string with at most one '.', and an optional
// exponent: E, e, D or d followed by an optionally signed integer, or a sign
// directly followed by an integer ("1.0+5").  Without a '.', the last 8 digits
// are the fraction (the digit string is divided by 10^8).  The exponent scales
// by 10^exp.  "inf", "infinity" and "nan" in any case, optionally signed, give
// an infinity or a quiet NaN of that sign.
//
// The decimal value is rounded once, to nearest with ties to even: overflow
// gives an infinity, underflow the correctly rounded subnormal or a zero, both
// with the field's sign.  The result is always the float nearest to the
// field's exact decimal value: where a double is used on the way, its one
// rounding is shown never to decide the float (see e16_read.cpp).
//
// Returns true and writes x when the field is readable; returns false and
// leaves x untouched otherwise (stray characters such as a tab or a NUL, a
// second '.', an exponent without digits, a field longer than e16_width).
//
// Example: "       100000000" reads 1.0f (no point: 100000000 / 10^8);
// "1.0+5" reads 100000.0f; "1.0E-40" reads the subnormal 0x000116C2;
// "1.2.3" is refused.
bool read_e16(std::string_view field, float& x);

}  // namespace qubic::call

#endif  // QUBIC_CALL_E16_READ_HPP
