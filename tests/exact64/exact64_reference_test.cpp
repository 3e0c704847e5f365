// solve_exact_double() and qubic_exact_double() against the exact rational
// reference (exact/reference.cpp), over seeded families of double cubics;
// the named examples against true values worked with 400-bit mpmath
// (tools/reference_check.py --show) or by hand; and, on double inputs that
// are exactly floats, the relation to solve_exact() that can be proven.
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

#include "exact/reference.hpp"
#include "exact64/families64.hpp"

namespace qubic {
namespace {

using namespace test64;

constexpr std::uint64_t sentinel_bits = 0x7FF5A5A5A5A5A5A5u;  // a NaN no computation makes
const double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

// Per root its flag and the bits of both parts; an unwritten root's parts
// print as the quiet NaN when both are NaN.  Equal text, equal answers.
std::string show(const solution_double& s) {
  std::string out;
  for (int k = 0; k < 3; ++k) {
    const bool blank = !s.written[k] && std::isnan(s.root[k].real()) && std::isnan(s.root[k].imag());
    const double re = blank ? nan : s.root[k].real(), im = blank ? nan : s.root[k].imag();
    char buf[160];
    std::snprintf(buf, sizeof buf, "  flag %d, %s: %016llX %016llX (%a %+ai)\n", s.flag[k], s.written[k] ? "written" : "not written",
                  static_cast<unsigned long long>(bits(re)), static_cast<unsigned long long>(bits(im)), re, im);
    out += buf;
  }
  return out;
}

std::string show(const cubic& c) {
  std::string out = "a3 a2 a1 a0:";
  for (const double x : c) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %a", x);
    out += buf;
  }
  return out + "\n";
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
#if __has_feature(address_sanitizer)
constexpr int sanitized = 4;
#else
constexpr int sanitized = 1;
#endif
#else
constexpr int sanitized = 1;
#endif

// Cubics per family: count, times 100 with QUBIC_EXHAUSTIVE=1.
int cubics(int count) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  return (on != nullptr && std::string_view(on) == "1" ? 100 : 1) * count / sanitized;
}

class Exact64Family : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Exact64Family, AgreesWithReference) {
  const family& fam = families[GetParam()];
  rng g = family_rng(GetParam());
  int failures = 0, skipped = 0;
  for (int n = 0; n < cubics(fam.count) && failures < 10; ++n) {
    const cubic c = fam.make(g);
    if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2]) || !std::isfinite(c[3])) {
      ++skipped;
      continue;
    }
    if (const std::string d = departure(c); !d.empty()) {
      ++failures;
      ADD_FAILURE() << d;
    }
  }
  EXPECT_LE(skipped, cubics(fam.count) / 8) << "a family whose cubics overflow tests little";
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
TEST(Exact64, NamedExamples) {
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

using fcubic = std::array<float, 4>;

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
  return why + show(cubic{c[0], c[1], c[2], c[3]}) + "solve_exact_double:\n" + show(d) + "solve_exact (as double):\n" +
         show(solution_double{{{{f.root[0].real(), f.root[0].imag()}, {f.root[1].real(), f.root[1].imag()}, {f.root[2].real(), f.root[2].imag()}}},
                               f.flag, f.written});
}

float flt(double x) { return static_cast<float>(x); }

struct float_family { const char* name; fcubic (*make)(rng&); };

// Float cubics made as the float engine's families make them.
const float_family float_families[] = {
    {"ordinary", [](rng& g) { return fcubic{flt(uniform(g, -10, 10)), flt(uniform(g, -10, 10)), flt(uniform(g, -10, 10)), flt(uniform(g, -10, 10))}; }},
    {"any bit pattern", [](rng& g) {
       fcubic c;
       for (float& x : c) {
         const auto u = static_cast<std::uint32_t>(g());
         x = std::bit_cast<float>(u % 8 == 0 ? u & 0x80000000u : u);
       }
       return c;
     }},
    // 2^k (x - p 2^j)^2 (x - q 2^j), |p|, |q| <= 128, j and k in [-20, 20]: exact floats.
    {"exact multiple roots", [](rng& g) {
       const std::int64_t p = integer(g, -128, 128), q = integer(g, 0, 3) != 0 ? integer(g, -128, 128) : p;
       const auto j = static_cast<int>(integer(g, -20, 20)), k = static_cast<int>(integer(g, -20, 20));
       const cubic d = scaled({1, -(2 * p + q), p * p + 2 * p * q, -p * p * q}, j, k);
       return fcubic{flt(d[0]), flt(d[1]), flt(d[2]), flt(d[3])};
     }},
    // A real root o 2^-150 on a float midpoint (a double exactly), 2^k (x - o 2^-150)(x^2 + m 2^j).
    {"rational roots on a float midpoint", [](rng& g) {
       const double o = static_cast<double>(2 * integer(g, 0, 1023) + 1), m = static_cast<double>(integer(g, 1, 2047));
       const auto k = static_cast<int>(integer(g, 1, 60)), j = static_cast<int>(integer(g, 0, 40));
       return fcubic{flt(std::ldexp(1, k)), flt(std::ldexp(-o, k - 150)), flt(std::ldexp(m, j + k)), flt(std::ldexp(-o * m, j + k - 150))};
     }},
    // a3 of 2^-149 .. 2^-100 and a2 = -a3 t, t of 2^125 .. 2^130, in float.
    {"roots at the float overflow edge", [](rng& g) {
       fcubic c{flt(uniform(g, -4, 4)), flt(uniform(g, -4, 4)), flt(uniform(g, -4, 4)), flt(uniform(g, -4, 4))};
       const double a = binades(g, -149, -100), t = binades(g, 125, 130, false);
       c[0] = flt(a);
       c[1] = flt(-a * t);
       return c;
     }},
    {"complex pairs", [](rng& g) {
       const std::array<double, 4> x{binades(g, -10, 10, false), binades(g, -30, 30), binades(g, -30, 30), binades(g, -30, 30, false)};
       const cubic d = from_pair(x[0], x[1], x[2], x[3]);
       return fcubic{flt(d[0]), flt(d[1]), flt(d[2]), flt(d[3])};
     }},
};

TEST(Exact64, FloatInputsRelateToFloatEngine) {
  for (std::size_t n = 0; n < std::size(float_families); ++n) {
    const float_family& fam = float_families[n];
    SCOPED_TRACE(fam.name);
    rng g(0x5eed6480u + n);
    int failures = 0;
    for (int i = 0; i < cubics(200) && failures < 10; ++i) {
      const fcubic c = fam.make(g);
      if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2]) || !std::isfinite(c[3])) continue;
      if (const std::string d = unrelated(c); !d.empty()) {
        ++failures;
        ADD_FAILURE() << d;
      }
    }
  }
}

}  // namespace
}  // namespace qubic
