// read_e16 (with its direct path for the common shapes) and read_e16_slow
// (the general reader): named fields with bits worked out from the reading
// rules and rounded by glibc's strtof.  Fields at large, readable or not, are
// fuzzed against a strtof oracle that shares no code with the readers
// (fuzz/e16_read_fuzz.cpp), and the writer's layout of every float through
// the round trip (fuzz/roundtrip_fuzz.cpp).
#include "text/e16_read.hpp"

#include <string_view>

#include "bits.hpp"
#include "text/e16_read_slow.hpp"

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

}  // namespace
}  // namespace qubic::call
