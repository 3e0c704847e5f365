// solve(), solution::solved() and flag_meaning(): the value interface.
#include <qubic/solve.hpp>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/files.hpp"

namespace qubic {
namespace {

TEST(Solve, RoadCubicBits) {
  // 3, then 2 - 2^-23 and 1 + 2^-23 from the factor x^2 - 3x + 2, imaginary parts +0.
  const solution s = solve(1.0f, -6.0f, 11.0f, -6.0f);
  EXPECT_BITS(s.root[0].real(), 3.0f);
  EXPECT_BITS(s.root[1].real(), 0x1.fffffep+0f);
  EXPECT_BITS(s.root[2].real(), 0x1.000002p+0f);
  for (std::size_t k = 0; k < 3; ++k) EXPECT_BITS(s.root[k].imag(), 0.0f);
}

// Which roots are written, where the flags alone cannot tell (the last two rows).
TEST(Solve, FlagsAndWrittenRoots) {
  const struct {
    const char* why;
    std::array<float, 4> a;  // a3, a2, a1, a0
    std::array<std::int32_t, 3> flag;
    std::array<bool, 3> written;
  } cases[] = {
      {"three real roots", {1, -6, 11, -6}, {1, 1, 1}, {true, true, true}},
      {"leading zero: root 3 does not exist", {0, 1, -3, 2}, {1, 1, -1}, {true, true, false}},
      {"an infinite coefficient is refused", {1, 0, 0, test::from_bits(0x7F800000u)}, {-2, -2, -2}, {}},
      {"Cauchy's bound overflows: given up before any root", {1e-30f, 0, 0, 1e30f}, {-6, -6, -6}, {}},
      {"x^3 + x^2 + 1: the refinement fails, root 1 is written", {1, 1, 0, 1}, {-6, -6, -6}, {true, false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const solution s = solve(c.a[0], c.a[1], c.a[2], c.a[3]);
    EXPECT_EQ(s.flag, c.flag);
    EXPECT_EQ(s.written, c.written);
    EXPECT_EQ(s.solved(), c.flag[0] == 1 && c.flag[1] == 1 && c.flag[2] == 1);
    for (std::size_t k = 0; k < 3; ++k) {  // an unwritten root is a quiet NaN in both parts
      const float re = s.root[k].real(), im = s.root[k].imag();
      EXPECT_TRUE(c.written[k] || (re != re && im != im && (test::bits(re) & 0x00400000u) != 0)) << k;
    }
  }
}

TEST(FlagMeaning, TheReadmeTableUsesTheSameWords) {
  const std::string readme = test::read_file(QUBIC_README);
  for (std::int32_t code = flag::not_computed; code <= flag::found; ++code) {
    const std::string_view m = flag_meaning(code);
    EXPECT_NE(readme.find("| " + std::to_string(code) + " | " + std::string(m) + " |"), std::string::npos) << m;
    EXPECT_EQ(m.data()[m.size()], '\0') << code;
  }
  for (const std::int32_t code : {-7, 2}) EXPECT_EQ(flag_meaning(code), "unknown flag code");
}

}  // namespace
}  // namespace qubic
