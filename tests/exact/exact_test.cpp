// solve_exact() and qubic_exact() against the exact rational reference
// (exact/reference.cpp), over seeded families of cubics, and the named
// examples against true values worked with 400-bit mpmath.  Zero departures:
// every flag, every written entry and every bit of every written part.
//
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='Exact.*'   (100 times the cubics)
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "exact/families.hpp"
#include "exact/reference.hpp"
#include "exact/stats.hpp"

namespace qubic {
namespace {

using test::bits;
using test::from_bits;
using test::cubic;
using test::families;
using test::family;
using test::show;
using test::text;

// qubic_exact() on outputs prefilled with the sentinel NaN: a root counts as
// written when either part lost the sentinel.
solution by_reference(const cubic& c) {
  roots re{{test::sentinel(), test::sentinel(), test::sentinel()}}, im = re;
  flags fl{{7, 7, 7}};
  qubic_exact(coeffs{{c[3], c[2], c[1], c[0]}}, re, im, fl);
  solution s;
  for (int k = 0; k < 3; ++k) {
    s.flag[k] = fl(k + 1);
    s.written[k] = bits(re(k + 1)) != test::sentinel_bits || bits(im(k + 1)) != test::sentinel_bits;
    s.root[k] = {re(k + 1), im(k + 1)};
  }
  return s;
}

// "" when the engine, in both call forms, agrees with the reference; else the
// coefficients (hexfloat and bits) and the answers.
std::string departure(const cubic& c) {
  const std::string r = show(test::reference(c[0], c[1], c[2], c[3])), e = show(solve_exact(c[0], c[1], c[2], c[3])),
                    b = show(by_reference(c));
  if (e == r && b == r) return "";
  std::string out = "a3 a2 a1 a0:" + text(c) + "\nsolve_exact:\n" + e;
  if (b != e) (out += "qubic_exact:\n") += b;
  return out + "reference:\n" + r;
}

TEST(Exact, FamiliesAgreeWithReference) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  const int scale = on != nullptr && std::string_view(on) == "1" ? 100 : 1;
  for (const family& fam : families) {
    SCOPED_TRACE(fam.name);
    test::rng g = test::family_rng(fam);
    int failures = 0;
    for (int n = 0; n < fam.count * scale && failures < 10; ++n) {
      const cubic c = fam.make(g);
      if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2]) || !std::isfinite(c[3])) continue;
      if (const std::string d = departure(c); !d.empty()) {
        ++failures;
        ADD_FAILURE() << d;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Cost, counted, not timed.  A polynomial's work is estimated from the
// engine's counters (exact/stats.hpp), each at the instructions it costs
// (callgrind, docs/exact.md section 8): about 1,300 for a cubic of the
// reference mix.  Every family must average at most twice the reference
// mix's mean, and no polynomial may exceed twenty times it.
double work(const exact::counters& c) {
  return 300.0 * c.polynomials + 700.0 * c.first_guesses + 700.0 * c.second_guesses + 50.0 * c.filter +
         30.0 * c.probes + 250.0 * c.sum + 500.0 * c.expansion + 250.0 * c.disc_sum + 300.0 * c.disc_expansion +
         300.0 * c.value_sum + 400.0 * c.value_expansion + 5000.0 * c.gmp;
}

double work(const cubic& c) {
  exact::stats() = {};
  (void)solve_exact(c[0], c[1], c[2], c[3]);
  return work(exact::stats());
}

TEST(Exact, CostsWithinBounds) {
  struct cost { const family* fam; double mean, most; cubic worst; };
  std::vector<cost> costs;
  double ordinary = 0;  // the reference mix's mean work
  for (const family& fam : families) {
    test::rng g = test::family_rng(fam);  // the reference test's cubics, then three times as many again
    cost c{&fam, 0, 0, {}};
    int n = 0;
    for (int i = 0; i < 4 * fam.count; ++i) {
      const cubic a = fam.make(g);
      if (!std::isfinite(a[0]) || !std::isfinite(a[1]) || !std::isfinite(a[2]) || !std::isfinite(a[3])) continue;
      const double w = work(a);
      c.mean += w;
      ++n;
      if (w > c.most) c.most = w, c.worst = a;
    }
    c.mean /= n;
    if (std::string_view(fam.name) == "reference mix") ordinary = c.mean;
    costs.push_back(c);
  }
  ASSERT_GT(ordinary, 1200.0);
  for (const cost& c : costs) {
    SCOPED_TRACE(c.fam->name);
    EXPECT_LE(c.mean, 2 * ordinary);
    EXPECT_LE(c.most, 20 * ordinary) << "a3 a2 a1 a0:" << text(c.worst);
  }
  // The slowest inputs found before the closed forms and the exact
  // expansions (the answers checked against the reference too).
  const struct { const char* why; cubic a; } slow[] = {
      {"quadratic, searched from key 0 in GMP", {0, 6.48907092e17f, -2.33793419e34f, 1.49627788e36f}},
      {"quadratic, likewise", {-0.0f, -1, 4.96193123f, -1.83648694f}},
      {"|a2/a3| > 2^256: the resolvent overflowed", {-0x1p-149f, 0x1p110f, 0x1p119f, 0x1p126f}},
      {"double root 245760, simple root 51200", {-1024, 555745280, -8.76173328e13f, 3.16659349e18f}},
      {"v within 2^-54 of the midpoint 2^-3 - 2^-28: one GMP sign", {-0x1.cp-147f, 0x1p109f, 0x1p95f, 0x1p103f}},
      {"a pair 2^-15 apart near 2^-20: first guesses far off", {0x1.fffffcp-49f, 0x1.dbp-58f, -0x1.db6p-77f, 0x1.db8p-98f}},
  };
  for (const auto& c : slow) {
    SCOPED_TRACE(c.why);
    EXPECT_LE(work(c.a), 20 * ordinary);
    const std::string d = departure(c.a);
    EXPECT_TRUE(d.empty()) << d;
  }
}

// True values worked with 400-bit mpmath (exact rationals for the multiple
// roots), rounded to nearest, ties to even.  Both the engine and the
// reference must give them.
TEST(Exact, NamedExamples) {
  const float inf = test::inf, nan = test::nan;
  // parts: re, im of root 0, 1, 2 (written roots only).
  const struct { const char* why; cubic a; std::array<std::int32_t, 3> flag; std::array<float, 6> parts; } cases[] = {
      {"x^3 + 3", {1, 0, 0, 3}, {1, 1, 1}, {-0x1.713744p+0f, 0, 0x1.713744p-1f, 0x1.3fc016p+0f, 0x1.713744p-1f, -0x1.3fc016p+0f}},
      {"x^3 + x^2 + 1", {1, 1, 0, 1}, {1, 1, 1}, {-0x1.772faep+0f, 0, 0x1.dcbeb4p-3f, 0x1.95c96p-1f, 0x1.dcbeb4p-3f, -0x1.95c96p-1f}},
      {"spread over 60 decades", {1e-30f, 0, 0, 1e30f}, {1, 1, 1}, {-0x1.5af1d8p+66f, 0, 0x1.5af1d8p+65f, 0x1.2c7682p+66f, 0x1.5af1d8p+65f, -0x1.2c7682p+66f}},
      {"roots 1 and +-i near the top of the range", {3e38f, -3e38f, 3e38f, -3e38f}, {1, 1, 1}, {1, 0, 0, 1, 0, -1}},
      {"triple root (x - 1)^3", {1, -3, 3, -1}, {1, 1, 1}, {1, 0, 1, 0, 1, 0}},
      {"(x - 17)^2 (x - 18)", {1, -52, 901, -5202}, {1, 1, 1}, {17, 0, 17, 0, 18, 0}},
      {"(x - 3)^3 scaled by 2^-100", {0x1p-100f, -9 * 0x1p-100f, 27 * 0x1p-100f, -27 * 0x1p-100f}, {1, 1, 1}, {3, 0, 3, 0, 3, 0}},
      {"roots 1, 2, 3", {1, -6, 11, -6}, {1, 1, 1}, {1, 0, 2, 0, 3, 0}},
      {"1e14 and a pair at 1e-29 +- 3e-21 i", {1e-8f, -1e6f, -1e-22f, -1e-35f}, {1, 1, 1}, {0x1.6bcc42p+46f, 0, -0x1.fb0f6cp-95f, 0x1.dddeb2p-69f, -0x1.fb0f6cp-95f, -0x1.dddeb2p-69f}},
      {"exact zero root and +-i: real parts +0", {1, 0, 1, 0}, {1, 1, 1}, {0, 0, 0, 1, 0, -1}},
      {"subnormal a2", {1, 1e-40f, 1, 1}, {1, 1, 1}, {-0x1.5d5a12p-1f, 0, 0x1.5d5a12p-2f, 0x1.295ac6p+0f, 0x1.5d5a12p-2f, -0x1.295ac6p+0f}},
      {"double zero root, then 2^149 overflows", {0x1p-149f, -1, 0, 0}, {1, 1, -3}, {0, 0, 0, 0, inf, 0}},
      {"-2^-200 rounds to -0 before a double zero root", {0x1p100f, 0x1p-100f, 0, 0}, {-3, 1, 1}, {-0.0f, 0, 0, 0, 0, 0}},
      {"+2^-200 rounds to +0 after a double zero root", {0x1p100f, -0x1p-100f, 0, 0}, {1, 1, -3}, {0, 0, 0, 0, 0, 0}},
      {"quadratic: roots 1, 2", {0, 1, -3, 2}, {1, 1, -1}, {1, 0, 2, 0, nan, nan}},
      {"quadratic x^2 + 1: the pair", {0, 1, 0, 1}, {1, 1, -1}, {0, 1, 0, -1, nan, nan}},
      {"linear: root 3 * 2^-150 ties to even 2^-148", {0, 0, 2, -3 * 0x1p-149f}, {-3, -1, -1}, {0x1p-148f, 0, nan, nan, nan, nan}},
      {"linear: root 2^-150 ties to +0", {0, 0, 2, -0x1p-149f}, {-3, -1, -1}, {0, 0, nan, nan, nan, nan}},
      {"linear: root -2^-150 ties to -0", {0, 0, 2, 0x1p-149f}, {-3, -1, -1}, {-0.0f, 0, nan, nan, nan, nan}},
      {"nonzero constant: no root", {0, 0, 0, 5}, {-1, -1, -1}, {nan, nan, nan, nan, nan, nan}},
      {"zero polynomial", {0, -0.0f, 0, 0}, {0, 0, 0}, {nan, nan, nan, nan, nan, nan}},
      {"infinite coefficient", {1, inf, 0, 0}, {-2, -2, -2}, {nan, nan, nan, nan, nan, nan}},
      {"NaN coefficient", {1, 0, 0, nan}, {-2, -2, -2}, {nan, nan, nan, nan, nan, nan}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    solution want{{}, c.flag, {}};
    for (int k = 0; k < 3; ++k) {
      want.root[k] = {c.parts[2 * k], c.parts[2 * k + 1]};
      want.written[k] = c.flag[k] == 1 || c.flag[k] == -3;
    }
    EXPECT_EQ(show(test::reference(c.a[0], c.a[1], c.a[2], c.a[3])), show(want)) << "reference against the true values";
    const std::string d = departure(c.a);
    EXPECT_TRUE(d.empty()) << d;
  }
}

}  // namespace
}  // namespace qubic
