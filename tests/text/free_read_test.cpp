// read_free_real, to float and to double, against the compiler's own
// reading of the same text as a literal (an independent conversion, rounded
// once to nearest, ties to even): hexadecimal constants at the rounding
// boundaries and the ends of both ranges, D exponents, out-of-range decimals;
// and the texts it must refuse, leaving x untouched.
#include "text/free_read.hpp"

#include <cmath>
#include <cstring>
#include <limits>

#include "bits.hpp"

namespace qubic::call {
namespace {

using test::inf;

constexpr double dinf = std::numeric_limits<double>::infinity();

TEST(FreeRead, HexadecimalDecimalAndDExponents) {
  const struct { const char* text; float f; double d; const char* why; } cases[] = {
      {"0x1.8p+1", 0x1.8p+1f, 0x1.8p+1, "the common shape"},
      {"-0X1P-149", -0x1p-149f, -0x1p-149, "capitals, the smallest subnormal single"},
      {"0x1.000001p0", 1.0f, 0x1.000001p0, "a tie in single goes to even"},
      {"0x1.0000011p0", 0x1.000002p0f, 0x1.0000011p0, "just above the tie"},
      {"0x1.ffffffp127", inf, 0x1.ffffffp127, "the single overflow threshold, a tie: inf"},
      {"0x1.fffffefp127", 0x1.fffffep127f, 0x1.fffffefp127, "just below it: the largest single"},
      {"-0x1p-150", -0.0f, -0x1p-150, "half the smallest subnormal, a tie: a signed zero"},
      {"0x1.8p-150", 0x1p-149f, 0x1.8p-150, "three quarters of it rounds up"},
      {"0x1p1024", inf, dinf, "beyond both ranges"},
      {"0x1.8p-1075", 0.0f, 0x1p-1074, "below half the smallest subnormal single; 2^-1074 in double"},
      {"0x1p-1075", 0.0f, 0.0, "a tie at zero in double too"},
      {"0x.8", 0.5f, 0.5, "a bare point, no exponent"},
      {"0x10", 16.0f, 16.0, "no point, no exponent"},
      {"0x1.8d3", 0x1.8d3p0f, 0x1.8d3p0, "a d in hexadecimal is a digit"},
      {"1.5D+03", 1500.0f, 1500.0, "a D exponent"},
      {"2d-1", 0.2f, 0.2, "a lower-case d"},
      {"0.1", 0.1f, 0.1, "a decimal rounded once to each"},
      {"1e39", inf, 1e39, "beyond single only"},
      {"-1e-46", -0.0f, -1e-46, "below single only"},
      {"1e400", inf, dinf, "beyond both"},
      {"-1e-400", -0.0f, -0.0, "below both"},
      {"1e99999999999999999999", inf, dinf, "an exponent beyond every integer type"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + ": " + c.why);
    float f = test::sentinel();
    double d = 0.0;
    EXPECT_TRUE(read_free_real(c.text, f));
    EXPECT_TRUE(read_free_real(c.text, d));
    EXPECT_BITS(f, c.f);
    EXPECT_EQ(std::memcmp(&d, &c.d, sizeof d), 0) << d << " read, " << c.d << " expected";
  }
}

TEST(FreeRead, Refusals) {
  for (const char* text : {"", "0x", "0x1p", "0xp1", "0x-1", "0x+1", "0xinf", "1p3", "1.5D", "1dd3", "1d5e3",
                           "--1", "nan(1)", "1e", " 1"}) {
    float f = test::sentinel();
    double d = -7.0;
    EXPECT_FALSE(read_free_real(text, f) || read_free_real(text, d)) << text;
    EXPECT_BITS(f, test::sentinel());
    EXPECT_EQ(d, -7.0) << text;
  }
}

}  // namespace
}  // namespace qubic::call
