// write_e16: the E16.8 layout, rounding to 8 digits, carries, ties and the
// values at the ends of the float range.
#include "call/e16_write.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/e16_read.hpp"

namespace {

using qubic::call::write_e16;
using qubic::test::from_bits;

std::string written(float x) {
  char out[16];
  write_e16(x, out);
  return std::string(out, 16);
}

struct write_case {
  std::uint32_t bits;
  const char* text;
  const char* why;
};

template <std::size_t N>
void check_writes(const write_case (&cases)[N]) {
  for (const write_case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(written(from_bits(c.bits)), c.text);
  }
}

TEST(E16Write, Layout) {
  const write_case cases[] = {
      {0x3F800000, "  0.10000000E+01", "1: two blanks, 0., 8 digits, exponent +01"},
      {0xC0C00000, " -0.60000000E+01", "-6: one blank, the minus sign"},
      {0x41300000, "  0.11000000E+02", "11"},
      {0x3F000000, "  0.50000000E+00", "0.5: exponent +00"},
      {0x3DCCCCCD, "  0.10000000E+00", "0.1f is 0.100000001490116..."},
      {0x501502F9, "  0.10000000E+11", "1e10f is exactly 10^10"},
      {0x3F7FFFFF, "  0.99999994E+00", "1 - 2^-24 = 0.999999940395..."},
  };
  check_writes(cases);
}

TEST(E16Write, RoundingToEightDigits) {
  const write_case cases[] = {
      {0x358637BD, "  0.10000000E-05", "9.99999997e-7: rounding carries into a new exponent"},
      {0x4A7FFFFF, "  0.41943038E+07", "4194303.75: exact tie at the ninth digit, 7 odd: up"},
      {0x4A7FFFF9, "  0.41943022E+07", "4194302.25: exact tie at the ninth digit, 2 even: stays"},
      {0x4CEB79A3, "  0.12345679E+09", "123456789 is stored as 123456792"},
      {0x4CBEBC20, "  0.10000000E+09", "99999999 is stored as 10^8"},
  };
  check_writes(cases);
}

TEST(E16Write, EndsOfTheRange) {
  const write_case cases[] = {
      {0x7F7FFFFF, "  0.34028235E+39", "flmax 3.40282347e38: exponent +39 fits two digits"},
      {0xFF7FFFFF, " -0.34028235E+39", "-flmax: 15 columns, still one blank"},
      {0x00800000, "  0.11754944E-37", "flmin 1.17549435e-38"},
      {0x007FFFFF, "  0.11754942E-37", "largest subnormal 1.17549421e-38"},
      {0x00000001, "  0.14012985E-44", "smallest subnormal 1.40129846e-45: exponent -44"},
      {0x80000001, " -0.14012985E-44", "negative smallest subnormal"},
  };
  check_writes(cases);
}

TEST(E16Write, ZerosAndNonFinite) {
  const write_case cases[] = {
      {0x00000000, "  0.00000000E+00", "+0: exponent stays 00"},
      {0x80000000, " -0.00000000E+00", "-0 keeps its sign"},
      {0x7F800000, "        Infinity", "+infinity"},
      {0xFF800000, "       -Infinity", "-infinity"},
      {0x7FC00000, "             NaN", "quiet NaN"},
      {0xFFC00000, "             NaN", "NaN with the sign bit: no sign written"},
      {0x7FA5A5A5, "             NaN", "signalling NaN with a payload"},
  };
  check_writes(cases);
}

// Random floats (seed 4242, uniform bit patterns) against glibc's printf,
// which rounds the exact value of the float to 8 significant digits on its
// own: "%.7e" of the float widened to double (exact) gives d.ddddddde+XX.
// The written field must hold those digits with the exponent one higher, and
// read back as the float nearest to that 8-digit decimal.
TEST(E16Write, RandomFloatsMatchPrintf) {
  std::mt19937 gen(4242);
  for (int n = 0; n < 100000; ++n) {
    const float x = from_bits(static_cast<std::uint32_t>(gen()));
    if (std::isnan(x) || std::isinf(x) || x == 0.0f) continue;
    char p[32];
    std::snprintf(p, sizeof p, "%.7e", static_cast<double>(std::fabs(x)));
    const std::string ps(p);
    const std::size_t e = ps.find('e');
    const int e10 = std::atoi(ps.c_str() + e + 1) + 1;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%s0.%c%s%c%c%02d", std::signbit(x) ? "-" : "", ps[0],
                  ps.substr(2, 7).c_str(), 'E', e10 < 0 ? '-' : '+', std::abs(e10));
    std::string exp16(expected);
    exp16.insert(0, 16 - exp16.size(), ' ');
    const std::string got = written(x);
    ASSERT_EQ(got, exp16) << qubic::test::show(x);

    std::string plain = (std::signbit(x) ? "-" : "") + ps;
    float nearest = std::strtof(plain.c_str(), nullptr);
    float back = 0.0f;
    ASSERT_TRUE(qubic::call::read_e16(got, back)) << got;
    ASSERT_BITS(back, nearest) << got;
  }
}

}  // namespace
