// Free-form lines: reals and status digits separated by single blanks.
#ifndef QUBIC_CALL_FREE_WRITE_HPP
#define QUBIC_CALL_FREE_WRITE_HPP

#include <cstddef>

namespace qubic::call {

// Room one real needs in a free-form line: the longest shortest form of a
// float is 15 characters ("-1.17549435e-38").
inline constexpr std::size_t free_real_room = 16;

// Writes x at out as the shortest decimal that reads back to the same float,
// exactly as std::to_chars(first, last, x) writes it, and returns the end.
// out must have free_real_room characters.  Nothing is widened to double.
//
// Example: 3.0f -> "3", 0x1.fffffep+0f -> "1.9999999", -0.0f -> "-0",
// 1e-10f -> "1e-10".
char* write_free_real(char* out, float x);

// Writes the line "x1 x2 x3\n" (values separated by single blanks, no leading
// blank) and returns its end.  out must have 3 * free_real_room characters.
//
// Example: 3, 0x1.fffffep+0f, 0x1.000002p+0f -> "3 1.9999999 1.0000001\n".
char* write_free_line(char* out, float x1, float x2, float x3);

}  // namespace qubic::call

#endif  // QUBIC_CALL_FREE_WRITE_HPP
