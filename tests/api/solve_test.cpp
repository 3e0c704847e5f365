// solve(), solution::solved() and flag_meaning(): the value interface.
#include <qubic/solve.hpp>

#include <array>
#include <cstdint>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace qubic {
namespace {

using test::from_bits;

constexpr float inf = std::numeric_limits<float>::infinity();

// Roots are checked only where written; unwritten ones must be (NaN, NaN).
struct solve_case {
  const char* why;
  std::array<float, 4> a;  // a3, a2, a1, a0
  std::array<std::int32_t, 3> flag;
  std::array<bool, 3> written;
  std::array<float, 6> root;  // re1, im1, re2, im2, re3, im3
  bool solved;
};

TEST(Solve, RootsFlagsAndWrittenEntries) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float s32 = from_bits(0x3F5DB3D7u);  // 0.866025388, sqrt(3)/2 rounded
  const solve_case cases[] = {
      {"three real roots, 2 - 2^-23 and 1 + 2^-23 from the factor",
       {1.0f, -6.0f, 11.0f, -6.0f}, {1, 1, 1}, {true, true, true},
       {3.0f, 0.0f, 0x1.fffffep+0f, 0.0f, 0x1.000002p+0f, 0.0f}, true},
      {"x^3 + 1: a real root and a conjugate pair",
       {1.0f, 0.0f, 0.0f, 1.0f}, {1, 1, 1}, {true, true, true},
       {-1.0f, 0.0f, 0.5f, s32, 0.5f, -s32}, true},
      {"leading zero: the quadratic's roots, root 3 does not exist and stays unwritten",
       {0.0f, 1.0f, -3.0f, 2.0f}, {1, 1, -1}, {true, true, false},
       {0x1.fffffep+0f, 0.0f, 0x1.000002p+0f, 0.0f, nan, nan}, false},
      {"identically zero: every number is a root, none written",
       {0.0f, 0.0f, 0.0f, 0.0f}, {0, 0, 0}, {false, false, false},
       {nan, nan, nan, nan, nan, nan}, false},
      {"an infinite coefficient is refused, nothing written",
       {1.0f, 0.0f, 0.0f, inf}, {-2, -2, -2}, {false, false, false},
       {nan, nan, nan, nan, nan, nan}, false},
      {"a subnormal coefficient is refused",
       {1.0f, from_bits(0x000116C2u), 1.0f, 1.0f}, {-2, -2, -2}, {false, false, false},
       {nan, nan, nan, nan, nan, nan}, false},
      {"Cauchy's bound overflows: given up before any root",
       {1e-30f, 0.0f, 0.0f, 1e30f}, {-6, -6, -6}, {false, false, false},
       {nan, nan, nan, nan, nan, nan}, false},
  };
  for (const solve_case& c : cases) {
    SCOPED_TRACE(c.why);
    const solution s = solve(c.a[0], c.a[1], c.a[2], c.a[3]);
    EXPECT_EQ(s.flag, c.flag);
    EXPECT_EQ(s.written, c.written);
    EXPECT_EQ(s.solved(), c.solved);
    for (std::size_t k = 0; k < 3; ++k) {
      SCOPED_TRACE(k + 1);
      if (c.written[k]) {
        EXPECT_BITS(s.root[k].real(), c.root[2 * k]);
        EXPECT_BITS(s.root[k].imag(), c.root[2 * k + 1]);
      } else {
        // Any NaN will do: quiet, never the internal sentinel.
        EXPECT_TRUE(s.root[k].real() != s.root[k].real());
        EXPECT_TRUE(s.root[k].imag() != s.root[k].imag());
        EXPECT_NE(test::bits(s.root[k].real()) & 0x00400000u, 0u) << "not a quiet NaN";
      }
    }
  }
}

TEST(Solve, SameBitsAsTheArrayInterface) {
  // The same cubic through qubic() with caller arrays: identical bits.
  const std::array<float, 4> a = {2.0f, -3.0f, 0.5f, 7.0f};
  coeffs array;
  array(3) = a[0];
  array(2) = a[1];
  array(1) = a[2];
  array(0) = a[3];
  roots rroot{{test::sentinel(), test::sentinel(), test::sentinel()}};
  roots iroot = rroot;
  flags fl;
  qubic(array, rroot, iroot, fl);
  const solution s = solve(a[0], a[1], a[2], a[3]);
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(s.flag[k - 1], fl(k));
    EXPECT_EQ(s.written[k - 1], test::bits(rroot(k)) != test::sentinel_bits);
    if (s.written[k - 1]) {
      EXPECT_BITS(s.root[k - 1].real(), rroot(k));
      EXPECT_BITS(s.root[k - 1].imag(), iroot(k));
    }
  }
}

TEST(Solve, SolvedOnlyWhenAllThreeFlagsAreFound) {
  const struct {
    std::array<std::int32_t, 3> flag;
    bool solved;
  } cases[] = {
      {{1, 1, 1}, true},  {{1, 1, -3}, false}, {{-4, -5, -5}, false},
      {{0, 0, 0}, false}, {{1, 1, -1}, false}, {{-6, 1, 1}, false},
  };
  for (const auto& c : cases) {
    solution s{};
    s.flag = c.flag;
    EXPECT_EQ(s.solved(), c.solved) << c.flag[0] << ' ' << c.flag[1] << ' ' << c.flag[2];
  }
}

TEST(FlagMeaning, EveryCodeHasItsOwnWords) {
  const std::int32_t codes[] = {flag::found,     flag::all_roots, flag::no_root,
                                flag::refused,   flag::unusable,  flag::degraded,
                                flag::unclean,   flag::not_computed};
  std::set<std::string> seen;
  for (const std::int32_t code : codes) {
    const std::string_view m = flag_meaning(code);
    EXPECT_NE(m, flag_meaning(2)) << code << " reads as an unknown code";
    EXPECT_TRUE(seen.insert(std::string(m)).second) << code << " shares its words";
    EXPECT_EQ(m.data()[m.size()], '\0') << code;
  }
  EXPECT_EQ(flag_meaning(flag::found), "found and usable");
  EXPECT_EQ(flag_meaning(flag::not_computed).substr(0, 12), "not computed");
  EXPECT_EQ(flag_meaning(-7), "unknown flag code");
  EXPECT_EQ(flag_meaning(2), "unknown flag code");
}

TEST(FlagMeaning, TheReadmeUsesTheSameWords) {
  std::ifstream in(QUBIC_README);
  ASSERT_TRUE(in) << QUBIC_README;
  std::stringstream text;
  text << in.rdbuf();
  for (std::int32_t code = flag::not_computed; code <= flag::found; ++code) {
    const std::string row = "| " + std::to_string(code) + " | " + std::string(flag_meaning(code)) + " |";
    EXPECT_NE(text.str().find(row), std::string::npos) << "README lacks the row " << row;
  }
}

}  // namespace
}  // namespace qubic
