// Writing one E16.8 field of a coefficient record.
#ifndef QUBIC_CALL_E16_WRITE_HPP
#define QUBIC_CALL_E16_WRITE_HPP

namespace qubic::call {

// Writes x into exactly 16 characters at out (no terminator), right-justified
// with blanks in front: "-" for a negative value, "0.", 8 digits, "E", the
// exponent's sign and two exponent digits, such that x rounded to the nearest
// 8-digit decimal (ties to even) is 0.d1...d8 * 10^nn with d1 nonzero.
// Zero is "0.00000000E+00", negative zero "-0.00000000E+00".  Infinities
// and NaNs are written "Infinity", "-Infinity" and "NaN" (any NaN, whatever
// its sign), right-justified.  No double is involved.
//
// Example: 1.0f -> "  0.10000000E+01", -6.0f -> " -0.60000000E+01",
// 9.99999997e-7f (0x358637BD) -> "  0.10000000E-05" (the rounding carries).
void write_e16(float x, char* out);

}  // namespace qubic::call

#endif  // QUBIC_CALL_E16_WRITE_HPP
