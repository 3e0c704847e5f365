// write_free_real / write_free_line: shortest round-trip decimals, single blanks.
#include "call/free_write.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace {

using qubic::call::free_real_room;
using qubic::call::write_free_line;
using qubic::call::write_free_real;
using qubic::test::from_bits;

std::string written(float x) {
  char out[free_real_room];
  const char* end = write_free_real(out, x);
  return std::string(out, static_cast<std::size_t>(end - out));
}

TEST(FreeWrite, ShortestForms) {
  const struct {
    std::uint32_t bits;
    const char* text;
    const char* why;
  } cases[] = {
      {0x40400000, "3", "an integer has no point"},
      {0x3FFFFFFF, "1.9999999", "2 - 2^-23: 8 digits tell it from 2"},
      {0x3F800001, "1.0000001", "1 + 2^-23"},
      {0x00000000, "0", "+0"},
      {0x80000000, "-0", "-0 keeps its sign"},
      {0x2EDBE6FF, "1e-10", "1e-10f: scientific is shorter than 0.0000000001"},
      {0x42C80000, "100", "100: fixed is shorter than 1e+02"},
      {0x4B189680, "1e+07", "10^7: 1e+07 is shorter than 10000000"},
      {0x3A83126F, "0.001", "0.001f: equal lengths, fixed form"},
      {0xBFC00000, "-1.5", "negative"},
      {0x7F7FFFFF, "3.4028235e+38", "flmax"},
      {0x00000001, "1e-45", "smallest subnormal: 1e-45 reads back to it"},
      {0xFF7FFFFF, "-3.4028235e+38", "-flmax"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(written(from_bits(c.bits)), c.text);
  }
}

TEST(FreeWrite, LineOfThree) {
  char out[3 * free_real_room];
  const char* end = write_free_line(out, 3.0f, 0x1.fffffep+0f, 0x1.000002p+0f);
  EXPECT_EQ(std::string(out, static_cast<std::size_t>(end - out)), "3 1.9999999 1.0000001\n");
  end = write_free_line(out, 0.0f, -0.0f, 0.0f);
  EXPECT_EQ(std::string(out, static_cast<std::size_t>(end - out)), "0 -0 0\n");
  // The longest line: -0x1.54485ap-120 needs 9 digits (8 do not read back,
  // glibc's "%.7e" and strtof say), so three of it fill the room exactly.
  end = write_free_line(out, -0x1.54485ap-120f, -0x1.54485ap-120f, -0x1.54485ap-120f);
  EXPECT_EQ(std::string(out, static_cast<std::size_t>(end - out)),
            "-1.00000075e-36 -1.00000075e-36 -1.00000075e-36\n");
}

// Random finite floats (seed 777, uniform bit patterns): the text reads back
// through glibc's strtof to the same bits and fits the room; a text with a
// point or an exponent has at most 9 significant digits (a large integer
// written in fixed form shows its exact digits, which can be more).
TEST(FreeWrite, RandomFloatsRoundTrip) {
  std::mt19937 gen(777);
  for (int n = 0; n < 100000; ++n) {
    const float x = from_bits(static_cast<std::uint32_t>(gen()));
    if (std::isnan(x) || std::isinf(x)) continue;
    const std::string s = written(x);
    ASSERT_LE(s.size(), free_real_room - 1);
    ASSERT_BITS(std::strtof(s.c_str(), nullptr), x) << s;
    if (s.find_first_of(".e") == std::string::npos) continue;
    int sig = 0;
    bool leading = true;
    for (char c : s) {
      if (c == 'e') break;
      if (c >= '1' && c <= '9') leading = false;
      if (c >= '0' && c <= '9' && !leading) ++sig;
    }
    ASSERT_LE(sig, 9) << s;
  }
}

}  // namespace
