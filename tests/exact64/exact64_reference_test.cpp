// solve_exact_double() and qubic_exact_double() against the exact rational
// reference (exact/reference.cpp), over seeded families of double cubics;
// the named examples against true values worked with 300- to 4500-bit
// mpmath (tools/reference_check.py --show) or by hand; and, on double inputs
// that are exactly floats, the relation to solve_exact() that can be proven.
// Zero departures: every flag, every written entry and every bit of every
// written part.
//
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='*Exact64*'   (100 times the cubics)
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

#include "exact/families.hpp"
#include "exact/reference.hpp"
#include "exact64/families64.hpp"

namespace qubic {
namespace {

using namespace test64;

constexpr std::uint64_t sentinel_bits = 0x7FF5A5A5A5A5A5A5u;  // a NaN no computation makes
const double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

using test::show;

std::string show(const cubic& c) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "a3 a2 a1 a0: %a %a %a %a\n", c[0], c[1], c[2], c[3]);
  return buf;
}

// qubic_exact_double() on outputs prefilled with the sentinel NaN: a root
// counts as written when either part lost the sentinel.
solution_double by_reference(const cubic& c) {
  const double f = from_bits(sentinel_bits);
  roots_double re{{f, f, f}}, im = re;
  flags fl{{7, 7, 7}};
  qubic_exact_double(coeffs_double{{c[3], c[2], c[1], c[0]}}, re, im, fl);
  solution_double s;
  for (int k = 0; k < 3; ++k) {
    s.flag[k] = fl(k + 1);
    s.written[k] = bits(re(k + 1)) != sentinel_bits || bits(im(k + 1)) != sentinel_bits;
    s.root[k] = {re(k + 1), im(k + 1)};
  }
  return s;
}

// "" when the engine, in both call forms, agrees with the reference; else the
// coefficients and the answers.
std::string departure(const cubic& c) {
  const std::string r = show(test::reference_double(c[0], c[1], c[2], c[3])),
                    e = show(solve_exact_double(c[0], c[1], c[2], c[3])), b = show(by_reference(c));
  if (e == r && b == r) return "";
  std::string out = show(c) + "solve_exact_double:\n" + e;
  if (b != e) (out += "qubic_exact_double:\n") += b;
  return out + "reference:\n" + r;
}

// Under AddressSanitizer the reference's many small GMP allocations cost
// about twelve times as much.  That build looks for memory faults, which a
// quarter of each family exercises as well; the plain build runs them all.
#if defined(__SANITIZE_ADDRESS__)
constexpr int sanitized = 4;
#elif defined(__has_feature)
constexpr int sanitized = __has_feature(address_sanitizer) ? 4 : 1;
#else
constexpr int sanitized = 1;
#endif

// Cubics per family: count, times 100 with QUBIC_EXHAUSTIVE=1.
int cubics(int count) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  return (on != nullptr && std::string_view(on) == "1" ? 100 : 1) * count / sanitized;
}

// check(c) on n cubics c from make (those with an infinite or NaN
// coefficient skipped); the first ten departures are reported.  Returns the
// number skipped.
template <class Cubic>
int over(int n, std::mt19937_64& g, Cubic (*make)(std::mt19937_64&), std::string (*check)(const Cubic&)) {
  int failures = 0, skipped = 0;
  for (int i = 0; i < n && failures < 10; ++i) {
    const Cubic c = make(g);
    if (!std::all_of(c.begin(), c.end(), [](auto x) { return std::isfinite(x); })) {
      ++skipped;
    } else if (const std::string d = check(c); !d.empty()) {
      ++failures;
      ADD_FAILURE() << d;
    }
  }
  return skipped;
}

class Exact64Family : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Exact64Family, AgreesWithReference) {
  const family& fam = families[GetParam()];
  rng g = family_rng(GetParam());
  EXPECT_LE(over(cubics(fam.count), g, fam.make, departure), cubics(fam.count) / 8) << "a family whose cubics overflow tests little";
}

INSTANTIATE_TEST_SUITE_P(Exact64, Exact64Family, ::testing::Range<std::size_t>(0, std::size(families)),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                           std::string name;
                           for (const char ch : std::string_view(families[info.param].name))
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

// True values from 400-bit mpmath and exact rationals, by another method than
// the reference's (tools/reference_check.py --show "a3 a2 a1 a0"), or by hand
// where the row says so; rounded to nearest, ties to even.  Both the engine
// and the reference must give them.
TEST(Exact64Named, Roots) {
  constexpr double max = 0x1.fffffffffffffp+1023, min = 0x1p-1074;
  // parts: re, im of root 0, 1, 2 (written roots only).
  const struct { const char* why; cubic a; std::array<std::int32_t, 3> flag; std::array<double, 6> parts; } cases[] = {
      {"x^3 + 3", {1, 0, 0, 3}, {1, 1, 1},
       {-0x1.7137449123ef6p+0, 0, 0x1.7137449123ef6p-1, 0x1.3fc0164bf0b56p+0, 0x1.7137449123ef6p-1, -0x1.3fc0164bf0b56p+0}},
      {"x^3 + x^2 + 1", {1, 1, 0, 1}, {1, 1, 1},
       {-0x1.772fad1ede80bp+0, 0, 0x1.dcbeb47b7a02dp-3, 0x1.95c95ff0778b6p-1, 0x1.dcbeb47b7a02dp-3, -0x1.95c95ff0778b6p-1}},
      {"coefficients 2000 binades apart", {0x1p-1000, 0, 0, 0x1p1000}, {1, 1, 1},
       {-0x1.965fea53d6e3dp+666, 0, 0x1.965fea53d6e3dp+665, 0x1.5fee480fc03e4p+666, 0x1.965fea53d6e3dp+665, -0x1.5fee480fc03e4p+666}},
      {"-max / 2^-1074, a cube root near 2^699", {-min, 0, 0, max}, {1, 1, 1},
       {0x1.428a2f98d728bp+699, 0, -0x1.428a2f98d728bp+698, 0x1.1753e0ec64229p+699, -0x1.428a2f98d728bp+698, -0x1.1753e0ec64229p+699}},
      {"x^3 - 2^100 (x + 2^-100)^2: imaginary part 2^-100 of the real part", {1, -0x1p100, -2, -0x1p-100}, {1, 1, 1},
       {0x1p100, 0, -0x1p-100, 0x1p-200, -0x1p-100, -0x1p-200}},
      {"real part 2^-51 of the imaginary part", {1, -0x1p100, 0x1p-100, -0x1p-200}, {1, 1, 1},
       {0x1p100, 0, 0x1p-201, 0x1p-150, 0x1p-201, -0x1p-150}},
      // By hand, K = 2^53 + 1 (the midpoint of 2^53 and 2^53 + 2): p(K) = 1 > 0 > p(K - 1) = -(K-1)(K-1+1), so
      // the root lies in (K - 1, K): 2^53.
      {"a root 2^-107 of a spacing below the midpoint 2^53 + 1", {1, -0x1p53, -0x1p53, -0x1p53}, {1, 1, 1},
       {0x1p53, 0, -0.5, 0x1.bb67ae8584caap-1, -0.5, -0x1.bb67ae8584caap-1}},
      // By hand: p(K) = -1 < 0 < p(K + 1) = (K + 1)(K + 2), so the root lies in (K, K + 1): 2^53 + 2.
      {"a root 2^-107 of a spacing above the midpoint 2^53 + 1", {1, -0x1p53, -0x1p53, -0x1.0000000000001p53}, {1, 1, 1},
       {0x1.0000000000001p53, 0, -0.5, 0x1.bb67ae8584cabp-1, -0.5, -0x1.bb67ae8584cabp-1}},
      {"triple root (x - 1)^3", {1, -3, 3, -1}, {1, 1, 1}, {1, 0, 1, 0, 1, 0}},
      {"(x - 17)^2 (x - 18)", {1, -52, 901, -5202}, {1, 1, 1}, {17, 0, 17, 0, 18, 0}},
      {"(x - 2)^3 scaled by 2^-1000", {0x1p-1000, -0x1.8p-998, 0x1.8p-997, -0x1p-997}, {1, 1, 1}, {2, 0, 2, 0, 2, 0}},
      {"roots 1, 2, 3", {1, -6, 11, -6}, {1, 1, 1}, {1, 0, 2, 0, 3, 0}},
      // From 300-bit (the wide ones 4500-bit) mpmath.
      {"roots near 1e-300, 1, 1e300 from rounded coefficients", {1, -0x1.7e43c8800759cp+996, 0x1.7e43c8800759cp+996, -1}, {1, 1, 1},
       {0x1.56e1fc2f8f359p-997, 0, 1, 0, 0x1.7e43c8800759cp+996, 0}},
      {"x^3 + 2^1000 x + 1: a tiny real root, a huge pair", {1, 0, 0x1p1000, 1}, {1, 1, 1},
       {-0x1p-1000, 0, 0x1p-1001, 0x1p+500, 0x1p-1001, -0x1p+500}},
      {"x^3 - 3x^2 + 3x - (1 + 2^-52): roots within 2^-17 of 1", {1, -3, 3, -0x1.0000000000001p+0}, {1, 1, 1},
       {0x1.00006597fa94fp+0, 0, 0x1.ffff9a68056b1p-1, 0x1.5fee480fc03e4p-18, 0x1.ffff9a68056b1p-1, -0x1.5fee480fc03e4p-18}},
      {"2^-1074 x^3 - x + 1: roots -+2^537 and 1", {min, 0, -1, 1}, {1, 1, 1}, {-0x1p+537, 0, 1, 0, 0x1p+537, 0}},
      {"x^3 - 1.5 2^-1000 x + 3 2^-1074", {1, 0, -0x1.8p-1000, 0x3p-1074}, {1, 1, 1},
       {-0x1.7137449123ef6p-358, 0, 0x1.7137449123ef6p-359, 0x1.3fc0164bf0b56p-358, 0x1.7137449123ef6p-359, -0x1.3fc0164bf0b56p-358}},
      // By hand.
      {"x^3 - x: the exact zero is +0", {1, 0, -1, 0}, {1, 1, 1}, {-1, 0, 0, 0, 1, 0}},
      {"2^1023 x^3 - 2^-1074: the real root 2^-699", {0x1p1023, 0, 0, -min}, {1, 1, 1},
       {0x1p-699, 0, -0x1p-700, 0x1.bb67ae8584caap-700, -0x1p-700, -0x1.bb67ae8584caap-700}},
      {"linear 2^-1074 x - 1: beyond the range, +inf", {0, 0, min, -1}, {-3, -1, -1}, {inf, 0, nan, nan, nan, nan}},
      {"exact zero root and +-i: real parts +0", {1, 0, 1, 0}, {1, 1, 1}, {0, 0, 0, 1, 0, -1}},
      {"a double zero root, then 2^1074 overflows", {min, -1, 0, 0}, {1, 1, -3}, {0, 0, 0, 0, inf, 0}},
      {"roots 0, 1 + about 2^-2098 (rounds to 1) and about 2^2098 (overflows)", {min, -max, max, 0}, {1, 1, -3}, {0, 0, 1, 0, inf, 0}},
      {"-2^-1100 rounds to -0 before a double zero root", {0x1p1000, 0x1p-100, 0, 0}, {-3, 1, 1}, {-0.0, 0, 0, 0, 0, 0}},
      {"+2^-1100 rounds to +0 after a double zero root", {0x1p1000, -0x1p-100, 0, 0}, {1, 1, -3}, {0, 0, 0, 0, 0, 0}},
      {"a root beyond -2^1024 and a pair +-i whose real part rounds to +0", {min, 0x1p1023, -min, 0x1p1023}, {-3, -3, -3},
       {-inf, 0, 0, 1, 0, -1}},
      {"quadratic: roots 1, 2", {0, 1, -3, 2}, {1, 1, -1}, {1, 0, 2, 0, nan, nan}},
      {"quadratic x^2 + 1: the pair", {0, 1, 0, 1}, {1, 1, -1}, {0, 1, 0, -1, nan, nan}},
      {"quadratic: real part 3 * 2^-1075 ties to even 2^-1073", {0, 1, -0x1.8p-1073, 1}, {-3, -3, -1},
       {0x1p-1073, 1, 0x1p-1073, -1, nan, nan}},
      {"linear: root 3 * 2^-1075 ties to even 2^-1073", {0, 0, 2, -0x1.8p-1073}, {-3, -1, -1}, {0x1p-1073, 0, nan, nan, nan, nan}},
      {"linear: root 2^-1075 ties to +0", {0, 0, 2, -min}, {-3, -1, -1}, {0, 0, nan, nan, nan, nan}},
      {"linear: root -2^-1075 ties to -0", {0, 0, 2, min}, {-3, -1, -1}, {-0.0, 0, nan, nan, nan, nan}},
      // By hand: (2^1024 - 2^971) / (1 - 2^-53) = 2^1024 exactly.
      {"linear: root exactly 2^1024 is +inf", {0, 0, 0x1.fffffffffffffp-1, -max}, {-3, -1, -1}, {inf, 0, nan, nan, nan, nan}},
      {"nonzero constant: no root", {0, 0, 0, 5}, {-1, -1, -1}, {nan, nan, nan, nan, nan, nan}},
      {"zero polynomial", {0, -0.0, 0, 0}, {0, 0, 0}, {nan, nan, nan, nan, nan, nan}},
      {"infinite coefficient", {1, inf, 0, 0}, {-2, -2, -2}, {nan, nan, nan, nan, nan, nan}},
      {"NaN coefficient", {1, 0, 0, nan}, {-2, -2, -2}, {nan, nan, nan, nan, nan, nan}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    solution_double want{{}, c.flag, {}};
    for (int k = 0; k < 3; ++k) {
      want.root[k] = {c.parts[2 * k], c.parts[2 * k + 1]};
      want.written[k] = c.flag[k] == 1 || c.flag[k] == -3;
    }
    EXPECT_EQ(show(test::reference_double(c.a[0], c.a[1], c.a[2], c.a[3])), show(want)) << "reference against the true values";
    const std::string d = departure(c.a);
    EXPECT_TRUE(d.empty()) << d;
  }
}

// ---------------------------------------------------------------------------
// Double inputs that are floats, against solve_exact().  For a root part x,
// let D be x rounded to double and F x rounded to float.  Unless D is the
// midpoint of two adjacent floats m1 < m2 (2^128 - 2^103 counting as the one
// above the largest float), F = (float) D: m1 and m2 are doubles, so
// m1 < D < m2 gives m1 <= pred(D) and succ(D) <= m2, and D's rounding cell,
// which holds x, lies within ((pred(D) + D) / 2, (D + succ(D)) / 2), inside
// (m1, m2).  That covers D = +-0 (|x| <= 2^-1075: F is zero of the same
// sign, +0 for an exact zero, as D is) and D = +-inf (|x| >= 2^1024 - 2^970,
// beyond the float threshold).  At a float midpoint nothing follows: x may
// lie on it or on either side.  Flags: a double -3 (a part beyond 2^1024,
// subnormal, or nonzero below 2^-1074 in size) is a float -3 (beyond 2^128,
// or nonzero below 2^-126); a double 1 is a float 1 exactly when each part
// is an exact zero (D = 0 under flag 1) or F is normal.

using fcubic = test::cubic;

bool float_midpoint(double d) {
  const double a = std::fabs(d);
  if (!std::isfinite(a)) return false;
  const float f = static_cast<float>(a);
  const bool above = static_cast<double>(f) > a;
  const float lo = above ? std::nextafter(f, 0.0f) : f, hi = above ? f : std::nextafter(f, inf);
  if (static_cast<double>(lo) == a || static_cast<double>(hi) == a) return false;
  const double mid = std::isinf(hi) ? 0x1.ffffffp+127 : (static_cast<double>(lo) + static_cast<double>(hi)) / 2;  // exact
  return a == mid;
}

// "" when the two engines' answers relate as proven above.
std::string unrelated(const fcubic& c) {
  const solution f = solve_exact(c[0], c[1], c[2], c[3]);
  const solution_double d = solve_exact_double(c[0], c[1], c[2], c[3]);
  std::string why;
  for (int k = 0; k < 3; ++k) {
    if (f.written[k] != d.written[k]) why += "written differs\n";
    if (!d.written[k] || !f.written[k]) {
      if (f.flag[k] != d.flag[k]) why += "flags differ\n";
      continue;
    }
    bool determined = true, fine = true;
    for (const auto& [x, y] : {std::pair{d.root[k].real(), f.root[k].real()}, std::pair{d.root[k].imag(), f.root[k].imag()}}) {
      if (float_midpoint(x)) {
        determined = false;
        continue;
      }
      const float want = static_cast<float>(x);
      if (std::bit_cast<std::uint32_t>(want) != std::bit_cast<std::uint32_t>(y)) why += "a part is not the double's float\n";
      fine = fine && ((x == 0 && d.flag[k] == 1) || std::isnormal(want));
    }
    if (d.flag[k] == -3 && f.flag[k] != -3) why += "double flag -3, float flag not\n";
    if (d.flag[k] == 1 && determined && f.flag[k] != (fine ? 1 : -3)) why += "flag 1 does not carry over as proven\n";
  }
  if (why.empty()) return "";
  return why + show(cubic{c[0], c[1], c[2], c[3]}) + "solve_exact_double:\n" + show(d) + "solve_exact:\n" + show(f);
}

// On the float engine's own families (tests/exact/families.hpp).
TEST(Exact64, FloatInputsRelateToFloatEngine) {
  for (const test::family& fam : test::families) {
    SCOPED_TRACE(fam.name);
    test::rng g = test::family_rng(fam);
    over(cubics(200), g, fam.make, unrelated);
  }
}

}  // namespace
}  // namespace qubic
