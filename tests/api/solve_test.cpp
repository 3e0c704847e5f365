// solve(), solution::solved() and flag_meaning(): the value interface.
#include <qubic/solve.hpp>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/files.hpp"

namespace qubic {
namespace {

// Flags, the written roots' bits, and which roots are written where the flags
// alone cannot tell (the last two rows).  An unwritten root is a quiet NaN.
TEST(Solve, FlagsAndWrittenRoots) {
  const float unpinned = test::nan;  // written, value not pinned here
  const struct {
    const char* why;
    std::array<float, 4> a;  // a3, a2, a1, a0
    std::array<std::int32_t, 3> flag;
    std::array<bool, 3> written;
    std::array<float, 3> re;  // of the written roots, whose imaginary parts are +0
  } cases[] = {
      {"road", {1, -6, 11, -6}, {1, 1, 1}, {true, true, true}, {3, 0x1.fffffep+0f, 0x1.000002p+0f}},
      {"leading zero: no root 3", {0, 1, -3, 2}, {1, 1, -1}, {true, true}, {0x1.fffffep+0f, 0x1.000002p+0f}},
      {"an infinite coefficient is refused", {1, 0, 0, test::inf}, {-2, -2, -2}, {}, {}},
      {"Cauchy's bound overflows: given up before any root", {1e-30f, 0, 0, 1e30f}, {-6, -6, -6}, {}, {}},
      {"x^3 + x^2 + 1: the refinement fails, root 1 is written", {1, 1, 0, 1}, {-6, -6, -6}, {true}, {unpinned}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const solution s = solve(c.a[0], c.a[1], c.a[2], c.a[3]);
    EXPECT_EQ(s.flag, c.flag);
    EXPECT_EQ(s.written, c.written);
    EXPECT_EQ(s.solved(), c.flag[0] == 1 && c.flag[1] == 1 && c.flag[2] == 1);
    for (std::size_t k = 0; k < 3; ++k) {
      const float re = s.root[k].real(), im = s.root[k].imag();
      if (!c.written[k]) {
        EXPECT_TRUE(re != re && im != im && (test::bits(re) & 0x00400000u) != 0) << k;
      } else if (c.re[k] == c.re[k]) {
        EXPECT_BITS(re, c.re[k]) << k;
        EXPECT_BITS(im, 0.0f) << k;
      }
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
