// Fuzz target: a single written as an E16.8 field and read back.
//
// Every 4 bytes of the input are one binary32 pattern x (little-endian).
// write_e16 must give 16 columns of the shape [blanks][-]0.dddddddd E±nn,
// with the digits and exponent of x correctly rounded to 8 significant
// digits; the oracle for those is the C library's printf("%.7e") on x
// widened to double (exact), a conversion that shares no code with
// write_e16.  read_e16 must then give the single nearest to that 8-digit
// decimal, which the C library's strtof computes.  Infinities and NaN are
// written as words and read back as themselves.
#include <cstdio>

#include "text/e16_read.hpp"
#include "text/e16_write.hpp"
#include "fuzz.hpp"

namespace {

using namespace qubic::fuzz;

void round_trip(float x) {
  char field[16];
  qubic::call::write_e16(x, field);
  const std::string_view f(field, sizeof field);
  float back = 0.0f;
  check(qubic::call::read_e16(f, back));
  if (std::isnan(x)) return check(f == "             NaN" && std::isnan(back));
  if (std::isinf(x)) return check(f == (x > 0 ? "        Infinity" : "       -Infinity") && bits(back) == bits(x));

  // "d.ddddddde+XX" (or more exponent digits) for |x|; zero has exponent 0.
  char sci[32];
  const double ax = std::fabs(static_cast<double>(x));
  std::snprintf(sci, sizeof sci, "%.7e", ax);
  const int e10 = std::atoi(sci + 10) + (ax != 0.0 ? 1 : 0);
  const char* sign = std::signbit(x) ? "-" : "";
  char want[32];
  std::snprintf(want, sizeof want, "%s0.%c%.7sE%c%02d", sign, sci[0], sci + 2, e10 < 0 ? '-' : '+', std::abs(e10));
  const std::size_t n = std::strlen(want);
  check(n <= 15 && f.substr(0, 16 - n).find_first_not_of(' ') == f.npos && f.substr(16 - n) == want);

  // The single nearest to the written decimal: strtof of the same digits.
  char dec[40];
  std::snprintf(dec, sizeof dec, "%s%.9se%+d", sign, sci, e10 - 1);
  check(bits(back) == bits(std::strtof(dec, nullptr)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t at = 0; at + 4 <= size; at += 4) round_trip(load_le(data + at));
  return 0;
}
