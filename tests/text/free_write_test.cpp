// write_free_real against std::to_chars(first, last, x), the standard
// library's shortest round-trip conversion, text for text; write_free_line.
//
// write_free_real finds its digits with integer arithmetic of its own.  The
// named cases also pin the text itself, worked out by hand.  The sweep of
// all 2^32 bit patterns is opt-in:
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='FreeWrite.AllBitPatterns'
#include "text/free_write.hpp"

#include "text/oracle.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

std::string written(float x) {
  char out[free_real_room];
  return std::string(out, write_free_real(out, x));
}

std::string mismatch(float x) {
  char want[64];
  const std::string w(want, std::to_chars(want, want + sizeof want, x).ptr), g = written(x);
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
    EXPECT_EQ(written(from_bits(c.bits)), c.text);
    EXPECT_EQ(mismatch(from_bits(c.bits)), "") << "the oracle itself";
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

TEST(FreeWrite, DecadeAndBinadeBoundaries) { expect_agree(boundary_bits(), mismatch); }

// Seed 4711: uniform bit patterns, so every exponent and NaNs too.
TEST(FreeWrite, RandomBitPatterns) { expect_agree(random_bits(4711, 2000000), mismatch); }

TEST(FreeWrite, AllBitPatterns) { sweep_all_bits(mismatch); }

}  // namespace
}  // namespace qubic::call
