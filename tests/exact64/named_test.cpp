// solve_exact_double on named cubics whose true roots were worked with
// 300-bit (and, for the wide ones, 4500-bit) mpmath and rounded to double
// exactly (the values are written next to each case), and the contract's
// edges worked by hand: ties, the ends of the range, the lower degrees, the
// by-reference form's untouched entries.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

#include "exact64/stats64.hpp"

namespace qubic {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct root {
  int flag;
  double re, im;
};
struct named {
  const char* why;
  double a3, a2, a1, a0;
  root r[3];
};

const named rows[] = {
    {"x^3 + 3: -3^(1/3), then 3^(1/3) (1 +- i sqrt 3) / 2", 1, 0, 0, 3,
     {{1, -0x1.7137449123ef6p+0, 0}, {1, 0x1.7137449123ef6p-1, 0x1.3fc0164bf0b56p+0},
      {1, 0x1.7137449123ef6p-1, -0x1.3fc0164bf0b56p+0}}},
    {"x^3 - 2", 1, 0, 0, -2,
     {{1, 0x1.428a2f98d728bp+0, 0}, {1, -0x1.428a2f98d728bp-1, 0x1.1753e0ec64229p+0},
      {1, -0x1.428a2f98d728bp-1, -0x1.1753e0ec64229p+0}}},
    {"(x - 1)(x - 2)(x - 3), by hand", 1, -6, 11, -6, {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}}},
    {"roots near 1e-300, 1, 1e300 from rounded coefficients", 1, -0x1.7e43c8800759cp+996,
     0x1.7e43c8800759cp+996, -1,
     {{1, 0x1.56e1fc2f8f359p-997, 0}, {1, 1, 0}, {1, 0x1.7e43c8800759cp+996, 0}}},
    {"x^3 + 2^1000 x + 1: a tiny real root, a huge pair", 1, 0, 0x1p1000, 1,
     {{1, -0x1p-1000, 0}, {1, 0x1p-1001, 0x1p+500}, {1, 0x1p-1001, -0x1p+500}}},
    {"x^3 - 3x^2 + 3x - (1 + 2^-52): roots within 2^-17 of 1", 1, -3, 3, -0x1.0000000000001p+0,
     {{1, 0x1.00006597fa94fp+0, 0}, {1, 0x1.ffff9a68056b1p-1, 0x1.5fee480fc03e4p-18},
      {1, 0x1.ffff9a68056b1p-1, -0x1.5fee480fc03e4p-18}}},
    {"2^-1074 x^3 - x + 1: roots -+2^537 and 1", 0x1p-1074, 0, -1, 1,
     {{1, -0x1p+537, 0}, {1, 1, 0}, {1, 0x1p+537, 0}}},
    {"x^3 - 1.5 2^-1000 x + 3 2^-1074", 1, 0, -0x1.8p-1000, 0x3p-1074,
     {{1, -0x1.7137449123ef6p-358, 0}, {1, 0x1.7137449123ef6p-359, 0x1.3fc0164bf0b56p-358},
      {1, 0x1.7137449123ef6p-359, -0x1.3fc0164bf0b56p-358}}},
    // By hand from here on.
    {"(x - 17)^2 (x - 18): a double root", 1, -52, 901, -5202, {{1, 17, 0}, {1, 17, 0}, {1, 18, 0}}},
    {"(x - 1)^3: a triple root", 1, -3, 3, -1,
     {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}}},
    {"x^3 - x = x (x - 1)(x + 1): the exact zero is +0", 1, 0, -1, 0, {{1, -1, 0}, {1, 0, 0}, {1, 1, 0}}},
    {"x^3 + x = x (x^2 + 1): 0, then +-i", 1, 0, 1, 0, {{1, 0, 0}, {1, 0, 1}, {1, 0, -1}}},
    {"2^1023 x^3 - 2^-1074: the real root 2^-699", 0x1p1023, 0, 0, -0x1p-1074,
     {{1, 0x1p-699, 0}, {1, -0x1p-700, 0x1.bb67ae8584caap-700}, {1, -0x1p-700, -0x1.bb67ae8584caap-700}}},
    {"x^2 - 3x + 2 (a3 = 0)", 0, 1, -3, 2, {{1, 1, 0}, {1, 2, 0}, {-1, 0, 0}}},
    {"x^2 + 1 (a3 = 0)", 0, 1, 0, 1, {{1, 0, 1}, {1, 0, -1}, {-1, 0, 0}}},
    {"2x - 3 2^-1074: 3 2^-1075 ties to the even 2^-1073, subnormal", 0, 0, 2, -0x3p-1074,
     {{-3, 0x1p-1073, 0}, {-1, 0, 0}, {-1, 0, 0}}},
    {"2x - 2^-1074: 2^-1075 ties to +0, a lost zero", 0, 0, 2, -0x1p-1074, {{-3, 0, 0}, {-1, 0, 0}, {-1, 0, 0}}},
    {"2^-1074 x - 1: beyond the range, +inf", 0, 0, 0x1p-1074, -1, {{-3, inf, 0}, {-1, 0, 0}, {-1, 0, 0}}},
};

TEST(Exact64Named, Roots) {
  for (const named& n : rows) {
    const solution_double s = solve_exact_double(n.a3, n.a2, n.a1, n.a0);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(s.flag[k], n.r[k].flag) << n.why << ", root " << k;
      if (n.r[k].flag == -1) continue;
      EXPECT_EQ(bits(s.root[k].real()), bits(n.r[k].re)) << n.why << ", root " << k << ": " << s.root[k].real();
      EXPECT_EQ(bits(s.root[k].imag()), bits(n.r[k].im)) << n.why << ", root " << k << ": " << s.root[k].imag();
    }
  }
}

// The by-reference form writes every flag and only the written roots; the
// others keep a recognisable NaN payload.
TEST(Exact64Named, Untouched) {
  const double sentinel = std::bit_cast<double>(std::uint64_t{0x7FF5A5A5A5A5A5A5});
  const struct { const char* why; double a3, a2, a1, a0; int flags[3]; bool written[3]; } cases[] = {
      {"NaN: nothing written", std::numeric_limits<double>::quiet_NaN(), 1, 2, 3, {-2, -2, -2}, {false, false, false}},
      {"inf: nothing written", 1, inf, 2, 3, {-2, -2, -2}, {false, false, false}},
      {"the zero polynomial", 0, 0, 0, 0, {0, 0, 0}, {false, false, false}},
      {"a nonzero constant", 0, 0, 0, -0.0 + 5, {-1, -1, -1}, {false, false, false}},
      {"a quadratic leaves root 3", 0, 1, 0, -4, {1, 1, -1}, {true, true, false}},
  };
  for (const auto& c : cases) {
    coeffs_double a;
    a(3) = c.a3;
    a(2) = c.a2;
    a(1) = c.a1;
    a(0) = c.a0;
    roots_double re{{sentinel, sentinel, sentinel}}, im = re;
    flags fl{{7, 7, 7}};
    qubic_exact_double(a, re, im, fl);
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(fl(k), c.flags[k - 1]) << c.why;
      EXPECT_EQ(bits(re(k)) != bits(sentinel), c.written[k - 1]) << c.why << " root " << k;
      EXPECT_EQ(bits(im(k)) != bits(sentinel), c.written[k - 1]) << c.why << " root " << k;
    }
  }
}

}  // namespace
}  // namespace qubic
