// The readers, named fields and texts with bits worked out from the reading
// rules.  read_e16 (with its direct path for the common shapes) and
// read_e16_slow (the general reader), rounded as glibc's strtof rounds;
// fields at large, readable or not, are fuzzed against a strtof oracle that
// shares no code with the readers (fuzz/e16_read_fuzz.cpp), and the writer's
// layout of every float through the round trip (fuzz/roundtrip_fuzz.cpp).
// read_free_real, to float and to double, against the compiler's own reading
// of the same text as a literal (an independent conversion, rounded once to
// nearest, ties to even): hexadecimal constants at the rounding boundaries
// and the ends of both ranges, D exponents, out-of-range decimals; and the
// texts it must refuse, leaving x untouched.
#include "text/e16_read.hpp"

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "bits.hpp"
#include "text/e16_read_slow.hpp"
#include "text/free_read.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

// Expected of a refused field: the output keeps the caller's value.
constexpr std::uint32_t refused = sentinel_bits;

TEST(E16Read, NamedFields) {
  const struct { std::string_view field; std::uint32_t bits; const char* why; } cases[] = {
      // No point: the last 8 digits are the fraction, also under an exponent.
      {"       100000000", 0x3F800000, "100000000 / 10^8 = 1"}, {"1E2", 0x358637BD, "1 / 10^8 * 10^2: 1e-6"},
      // Ties to even, and decimals beside a float midpoint: the double on the
      // direct path lands on the midpoint, so the general reader decides.
      {"  0.16777217E+08", 0x4B800000, "the writer's layout of 2^24 + 1: a tie, to the even 2^24"},
      {"16777219.", 0x4B800002, "2^24 + 3: tie, to the even 2^24 + 4"},
      {"1677721700000000", 0x4B800000, "no point: 8 implied fraction digits, still a tie"},
      {"16777218.9999999", 0x4B800001, "just below a midpoint"}, {"16777219.0000001", 0x4B800002, "just above"},
      {"5.19094443321228", 0x40A61C37, "below a midpoint by less than half a double ulp: to the odd float below"},
      {"9.38910722732544", 0x411639C9, "above a midpoint by less than half a double ulp: to the odd float above"},
      // The limits of the direct path: w <= 2^53, |scale| <= 22, 4 exponent digits.
      {"9007199254740992", 0x4CABCC77, "2^53, no point: the largest w taken directly"},
      {"9007199254740993", 0x4CABCC77, "2^53 + 1: the general way"},
      {"1.E22", 0x64078678, "10^22, the largest exact power"}, {"1.E23", 0x65A96816, "10^23: the general way"},
      {"1.E-22", 0x1AF1C901, "10^-22"}, {"1.E-23", 0x19416D9A, "10^-23: the general way"},
      {"1.E0038", 0x7E967699, "four exponent digits"}, {"1.E00038", 0x7E967699, "five: the general way"},
      {"  0.11754944E-37", 0x00800000, "flmin: scale -45, the general way"},
      {"1.5D+03", 0x44BB8000, "a D exponent: 1500"}, {"1.5+3", 0x44BB8000, "a sign alone starts the exponent"},
      // Long exponents: no int overflow on the way.
      {"0.0E+99999999999", 0x00000000, "zero digits with a huge exponent stay zero"},
      {"1E-12345678901", 0x00000000, "eleven exponent digits"}, {"1e999999999999", 0x7F800000, "twelve: infinity"},
      {"-1.0e-9999999999", 0x80000000, "a huge negative exponent, negative: -0"},
      // The ends of the range: flmax..2^128 and 0..the smallest subnormal.
      {"3.40282356e38", 0x7F7FFFFF, "flmax: just below the midpoint"}, {"3.40282357e38", 0x7F800000, "above: inf"},
      {"7.006493e-46", 0x00000001, "just above half the smallest subnormal"}, {"7.006492e-46", 0, "below: +0"},
      // Refused: the output keeps its value (the fuzz target tries every other text).
      {"1.0+", refused, "a bare sign without digits"}, {"00000000000000001", refused, "wider than a field"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    float fast = sentinel(), slow = sentinel();
    EXPECT_EQ(read_e16(c.field, fast), c.bits != refused);
    EXPECT_EQ(read_e16_slow(c.field, slow), c.bits != refused);
    EXPECT_BITS(fast, from_bits(c.bits));
    EXPECT_BITS(slow, from_bits(c.bits));
  }
}


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
      {"0.00000000000000000000000000000000000000001e400", inf, dinf, "1e359: the leading zeros count against the exponent"},
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
