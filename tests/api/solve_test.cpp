// solve(), solution::solved() and flag_meaning(): the value interface.
#include <qubic/solve.hpp>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/files.hpp"

namespace qubic {
namespace {

// Which roots are written where the flags alone cannot tell: both rows end
// with -6, -6, -6.  An unwritten root is a quiet NaN.  The flags and roots of
// other cubics are run end to end through qubic-solve (tests/e2e/solve_test.cpp).
TEST(Solve, WrittenRootsWhereTheFlagsCannotTell) {
  const struct { const char* why; std::array<float, 4> a; std::array<bool, 3> written; } cases[] = {
      {"Cauchy's bound overflows: given up before any root", {1e-30f, 0, 0, 1e30f}, {}},
      {"x^3 + x^2 + 1: the refinement fails, root 1 is written", {1, 1, 0, 1}, {true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const solution s = solve(c.a[0], c.a[1], c.a[2], c.a[3]);
    EXPECT_EQ(s.flag, (std::array<std::int32_t, 3>{-6, -6, -6}));
    EXPECT_EQ(s.written, c.written);
    EXPECT_FALSE(s.solved());
    for (std::size_t k = 0; k < 3; ++k) {
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
