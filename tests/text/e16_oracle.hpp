// The E16.8 field of a float by the standard library's correctly rounded
// conversion, a code path that shares nothing with write_e16:
// std::to_chars(|x|, std::chars_format::scientific, 7) rounds the exact
// binary value to 8 significant digits, ties to even; its "d.ddddddde+XX" is
// moved into the 0.dddddddd E+nn shape with the exponent one higher (zero
// keeps 00), right justified in 16 columns.  Shared by the unit tests of the
// writer and the round-trip fuzz target, so it needs no GoogleTest.
#ifndef QUBIC_TESTS_TEXT_E16_ORACLE_HPP
#define QUBIC_TESTS_TEXT_E16_ORACLE_HPP

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qubic::test {

inline std::string e16_oracle(float x) {
  if (std::isnan(x)) return "             NaN";
  if (std::isinf(x)) return x > 0 ? "        Infinity" : "       -Infinity";
  char sci[32] = {}, f[32];
  std::to_chars(sci, sci + sizeof sci - 1, std::fabs(x), std::chars_format::scientific, 7);
  const int e = std::atoi(sci + 10) + (x != 0.0f ? 1 : 0);
  std::snprintf(f, sizeof f, "%s0.%c%.7sE%c%02d", std::signbit(x) ? "-" : "", sci[0], sci + 2, e < 0 ? '-' : '+',
                std::abs(e));
  return std::string(16 - std::string(f).size(), ' ') + f;
}

}  // namespace qubic::test

#endif  // QUBIC_TESTS_TEXT_E16_ORACLE_HPP
