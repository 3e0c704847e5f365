// The writers against the standard library's correctly rounded
// conversions, which share no code with them (both find their digits with
// integer arithmetic of their own): write_e16 against text/e16_oracle.hpp,
// write_free_real against std::to_chars(first, last, x), the shortest
// round-trip conversion, text for text; and write_free_line.  The named
// cases also pin the text itself, worked out by hand.  The sweeps of all
// 2^32 bit patterns are opt-in:
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='*Write.AllBitPatterns'
#include "text/e16_write.hpp"
#include "text/free_write.hpp"

#include "text/e16_oracle.hpp"
#include "text/oracle.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

std::string e16_written(float x) {
  char f[16];
  write_e16(x, f);
  return std::string(f, sizeof f);
}

std::string e16_mismatch(float x) {
  const std::string got = e16_written(x), want = e16_oracle(x);
  return got == want ? "" : show(x) + ": wrote \"" + got + "\", correctly rounded is \"" + want + "\"";
}

// The cases named in the house style, pinned by hand; the sweeps below hold the rest.
TEST(E16Write, NamedHardCases) {
  const struct { std::uint32_t bits; const char* text; const char* why; } cases[] = {
      {0x3F800000, "  0.10000000E+01", "1: two blanks, 0., 8 digits, exponent +01"},
      {0xC0C00000, " -0.60000000E+01", "-6: one blank, the minus sign"},
      {0x358637BD, "  0.10000000E-05", "9.99999997e-7: rounding carries into a new exponent"},
      {0x4A7FFFFF, "  0.41943038E+07", "4194303.75: exact tie at the ninth digit, 7 odd: up"},
      {0x7F7FFFFF, "  0.34028235E+39", "flmax 3.40282347e38: exponent +39"},
      {0x80000001, " -0.14012985E-44", "smallest subnormal 1.40129846e-45, negative: exponent -44"},
      {0x80000000, " -0.00000000E+00", "-0 keeps its sign, exponent 00"},
      {0x7F800000, "        Infinity", "+infinity"}, {0xFF800000, "       -Infinity", "-infinity"},
      {0xFFA5A5A5, "             NaN", "negative signalling NaN with a payload: no sign written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(e16_written(from_bits(c.bits)), c.text);
    EXPECT_EQ(e16_oracle(from_bits(c.bits)), c.text) << "the oracle itself";
  }
}

// Every float that is an exact 9-significant-digit decimal ending in 5, for
// decades 10^-4..10^3, and an evenly spread tenth of them in the decades up to
// 10^6 (no other decade holds such a tie).  A tie (10k + 5) * 10^(d-8) is
// dyadic only when 5^(7-d) divides 2k + 1; then it is j * 2^(d-8) with j odd,
// and it is a float when j < 2^24.
TEST(E16Write, TiesAtTheNinthDigit) {
  std::vector<std::uint32_t> patterns;
  for (int d = -4; d <= 6; ++d) {
    double p5 = 1.0;  // 5^(8-d), exact in double (below 2^53)
    for (int k = 0; k < 8 - d; ++k) p5 *= 5.0;
    const auto jlo = static_cast<std::uint64_t>(std::ceil(1e8 / p5)) | 1u;
    const std::uint64_t jhi = std::min<std::uint64_t>(static_cast<std::uint64_t>(std::ceil(1e9 / p5)), 1u << 24);
    for (std::uint64_t j = jlo; j < jhi; j += d <= 3 ? 2 : 20) {
      const float v = std::ldexp(static_cast<float>(j), d - 8);  // exact: j < 2^24
      patterns.insert(patterns.end(), {bits(v), bits(-v)});
    }
  }
  ASSERT_GT(patterns.size(), 100000u);
  expect_agree(patterns, e16_mismatch);
}

// Uniform random patterns are left to fuzz/roundtrip_fuzz.cpp.
TEST(E16Write, DecadeAndRangeBoundaries) { expect_agree(boundary_bits(), e16_mismatch); }

TEST(E16Write, AllBitPatterns) { sweep_all_bits(e16_mismatch); }


std::string free_written(float x) {
  char out[free_real_room];
  return std::string(out, write_free_real(out, x));
}

std::string free_mismatch(float x) {
  char want[64];
  const std::string w(want, std::to_chars(want, want + sizeof want, x).ptr), g = free_written(x);
  return g == w ? "" : show(x) + ": wrote \"" + g + "\", to_chars writes \"" + w + "\"";
}

// Pinned by hand; the sweeps below hold the rest against to_chars.
TEST(FreeWrite, NamedHardCases) {
  const struct { std::uint32_t bits; const char* text; const char* why; } cases[] = {
      {0x40400000, "3", "no point"}, {0x3FFFFFFF, "1.9999999", "2 - 2^-23"}, {0x4CBEBC20, "1e+08", "10^8"},
      {0x3A83126F, "0.001", "1e-3: 0.001 ties 1e-03 in length, plain wins"}, {0x00000001, "1e-45", "subnormal"},
      {0xFF7FFFFF, "-3.4028235e+38", "-flmax"}, {0x80000000, "-0", "-0"}, {0xFF800000, "-inf", "-infinity"},
      {0xFFC00000, "-nan", "negative NaN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(free_written(from_bits(c.bits)), c.text);
    EXPECT_EQ(free_mismatch(from_bits(c.bits)), "") << "the oracle itself";
  }
}

// -0x1.54485ap-120 needs 9 digits (8 do not read back, glibc's "%.7e" and
// strtof say): three of it fill the room of a line exactly.  Shorter lines
// are run end to end (tests/e2e/batch_test.cpp).
TEST(FreeWrite, TheLongestLine) {
  const float x = -0x1.54485ap-120f;
  char out[3 * free_real_room];
  EXPECT_EQ(std::string(out, write_free_line(out, x, x, x)), "-1.00000075e-36 -1.00000075e-36 -1.00000075e-36\n");
}

TEST(FreeWrite, DecadeAndBinadeBoundaries) { expect_agree(boundary_bits(), free_mismatch); }

// Seed 4711: uniform bit patterns, so every exponent and NaNs too.
TEST(FreeWrite, RandomBitPatterns) { expect_agree(random_bits(4711, 2000000), free_mismatch); }

TEST(FreeWrite, AllBitPatterns) { sweep_all_bits(free_mismatch); }

}  // namespace
}  // namespace qubic::call
