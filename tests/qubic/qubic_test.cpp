// qubic: screening, the degenerate paths, the general path, and which root
// entries each path writes.
#include <optional>

#include <qubic/qubic.hpp>

#include "bits.hpp"

namespace qubic {
namespace {

using test::bits;
using test::inf;
using test::nan;
using test::sentinel;
using test::sentinel_bits;

struct result {
  roots rroot{{sentinel(), sentinel(), sentinel()}};
  roots iroot{{sentinel(), sentinel(), sentinel()}};
  flags fl{{99, 99, 99}};
};

// Coefficients highest power first, as a record lists them.
result solve(float a3, float a2, float a1, float a0) {
  result r;
  const coeffs array{{a0, a1, a2, a3}};
  qubic(array, r.rroot, r.iroot, r.fl);
  return r;
}

// One root entry: expected real and imaginary bits, or untouched.
using entry = std::optional<std::pair<std::uint32_t, std::uint32_t>>;
constexpr entry untouched = std::nullopt;

struct row {
  const char* why;
  float a3, a2, a1, a0;
  std::int32_t f1, f2, f3;
  entry r1, r2, r3;
};

void check(const row& w) {
  SCOPED_TRACE(w.why);
  const result r = solve(w.a3, w.a2, w.a1, w.a0);
  EXPECT_EQ(r.fl(1), w.f1);
  EXPECT_EQ(r.fl(2), w.f2);
  EXPECT_EQ(r.fl(3), w.f3);
  const entry want[] = {w.r1, w.r2, w.r3};
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    const auto e = want[k - 1];
    const std::uint32_t re = e ? e->first : sentinel_bits;
    const std::uint32_t im = e ? e->second : sentinel_bits;
    EXPECT_EQ(bits(r.rroot(k)), re) << test::show(r.rroot(k));
    EXPECT_EQ(bits(r.iroot(k)), im) << test::show(r.iroot(k));
  }
}

constexpr std::uint32_t zero = 0x00000000u;
constexpr std::uint32_t one = 0x3F800000u;
constexpr std::uint32_t below_two = 0x3FFFFFFFu;  // 2 - 2^-23
constexpr std::uint32_t above_one = 0x3F800001u;  // 1 + 2^-23

TEST(QubicScreening, RefusedInAnyPositionLeavesRootsAlone) {
  for (const float v : {inf, -inf, nan, 1e-40f, -1e-40f, 1e-38f}) {
    for (int pos = 0; pos <= 3; ++pos) {
      float c[4] = {1, -6, 11, -6};
      c[pos] = v;
      check({"refused", c[0], c[1], c[2], c[3], -2, -2, -2, untouched, untouched, untouched});
      c[0] = pos == 0 ? v : 0.0f;  // also when the leading coefficient is zero
      check({"refused, leading zero", c[0], c[1], c[2], c[3], -2, -2, -2, untouched, untouched, untouched});
    }
  }
  // The smallest normal, 2^-126, is accepted.
  EXPECT_NE(solve(1, 0, 0, 1.17549435e-38f).fl(1), -2);
}

TEST(QubicDegenerate, LeadingOrConstantCoefficientZero) {
  const row rows[] = {
      {"identically zero", 0, 0, 0, 0, 0, 0, 0, untouched, untouched, untouched},
      {"nonzero constant", 0, 0, 0, 5, -1, -1, -1, untouched, untouched, untouched},
      {"linear 2x - 6", 0, 0, 2, -6, 1, -1, -1, {{0x40400000u, zero}}, untouched, untouched},
      {"linear, root underflows", 0, 0, 1e30f, 1e-30f, -3, -1, -1, {{0x80000000u, zero}}, untouched, untouched},
      {"quadratic x^2 - 3x + 2", 0, 1, -3, 2, 1, 1, -1, {{below_two, zero}}, {{above_one, zero}}, untouched},
      {"-0 leads like +0", -0.0f, 1, -3, 2, 1, 1, -1, {{below_two, zero}}, {{above_one, zero}}, untouched},
      {"-0 constant: root 1 is +0", 1, -3, 2, -0.0f, 1, 1, 1, {{zero, zero}}, {{below_two, zero}},
       {{above_one, zero}}},
      {"x^3 + x: 0 and +-i", 1, 0, 1, 0, 1, 1, 1, {{zero, zero}}, {{0x80000000u, one}},
       {{0x80000000u, 0xBF800000u}}},
  };
  for (const row& w : rows) check(w);

}

TEST(QubicGeneral, SolvedCubics) {
  const row rows[] = {
      {"road of one record", 1, -6, 11, -6, 1, 1, 1, {{0x40400000u, zero}}, {{below_two, zero}}, {{above_one, zero}}},
      // -1, then 0.5 +- i sqrt(3)/2 rounded to single (0x3F5DB3D7).
      {"x^3 + 1: a conjugate pair", 1, 0, 0, 1, 1, 1, 1, {{0xBF800000u, zero}}, {{0x3F000000u, 0x3F5DB3D7u}},
       {{0x3F000000u, 0xBF5DB3D7u}}},
      // The residual test held at 2 while a bisection had moved the iterate
      // to 1; the tested iterate is returned.
      {"x^3 - 2x - 4", 1, 0, -2, -4, 1, 1, 1, {{0x40000000u, zero}}, {{0xBF800000u, 0x3F7FFFFFu}},
       {{0xBF800000u, 0xBF7FFFFFu}}},
      // 1, -6, 11, -6 written without decimal points: scaled by 1e-8.
      {"scaled road", 1e-8f, -6e-8f, 1.1e-7f, -6e-8f, 1, 1, 1, {{0x403FFFF6u, zero}}, {{0x4000000Cu, zero}},
       {{0x3F7FFFF6u, zero}}},
  };
  for (const row& w : rows) check(w);
}

// Flags where some root is unusable or not computed, with root 3's bits
// where they are pinned (0: not checked; sentinel_bits: untouched).
TEST(Qubic, FlagsOfUnusableRoots) {
  const struct {
    const char* why;
    float a3, a2, a1, a0;
    std::int32_t f1, f2, f3;
    std::uint32_t r3;
  } rows[] = {
      {"quadratic, one root overflows", 0, 1e-30f, 1e10f, 1, 1, -3, -1, sentinel_bits},
      {"quadratic, no usable root", 0, 1, 3e38f, 1, -3, -3, -1, sentinel_bits},
      // (x - 1)(x^2 + 1e10 x + 1e-30): the small factor root is a subnormal.
      {"a factor root underflows", 1, 1e10f, -1e10f, -1e-30f, 1, 1, -3, 0},
      // The factor's constant -(a0/r) rounds to 0: its root 0 is flagged -3,
      // and the lost constant c moves the other root x by |c|/(|s2| x^2),
      // relative, |c| <= 2^-150.  With |s2| x^2 >= 2^-126 that is below 2^-24
      // and x keeps its flag; below, the move is unbounded.  True roots (300-bit
      // mpmath): 1e14 and -5e-29 +- 3.16e-21 i (root 3 -1e-28 is off by 100%);
      // 6.9e17, 4.758e-16 (root 3 4.772e-16, off by 0.3%) and 1.4e-18;
      // 5.44e14, 1.6644142e-14 (root 3, right) and 2.3e-27;
      // -9.37e7, 9.442481536e7 (root 3, its nearest single) and 5.2e-37.
      {"lost constant, x^2 term 1e-64: distrusted", 1e-8f, -1e6f, -1e-22f, -1e-35f, 1, -3, -3, 0x90FD87B7u},
      {"lost constant, x^2 term 6e-47: distrusted", -2.7137702e-16f, 187.6835f, -8.9560995e-14f, 1.237633e-31f, 1,
       -3, -3, 0x26098A87u},
      {"lost constant, x^2 term 1.5e-37: kept", 5.32421829e-10f, -289825.031f, 4.82388884e-09f, -1.09984988e-35f, 1,
       -3, 1, 0x2895EAC7u},
      {"lost constant, x^2 term 0.1: kept", 1.15440656e-17f, -8.07126935e-12f, -0.102165289f, 5.26655047e-38f, 1, -3,
       1, 0x4CB419DEu},
      // The error estimate overflows near the root 2.633e12; the x^2 term
      // overflows in the split: degraded deflation, untrusted factor.
      {"degraded deflation", 57.309166f, -1.50899884e+14f, 8261317.5f, -8.8259835e-09f, -4, -5, -5, 0},
      // Refinement fails: root 1 holds the estimate, roots 2 and 3 are untouched.
      {"values overflow inside 0..-1e30", 1, 1e30f, 0, 1, -6, -6, -6, sentinel_bits},
      {"pass limit near the root -1e-40", 1, 0, 1e10f, 1e-30f, -6, -6, -6, sentinel_bits},
      {"x^3 + 3 stalls between neighbours", 1, 0, 0, 3, -6, -6, -6, sentinel_bits},
  };
  for (const auto& w : rows) {
    SCOPED_TRACE(w.why);
    const result r = solve(w.a3, w.a2, w.a1, w.a0);
    EXPECT_EQ(r.fl(1), w.f1);
    EXPECT_EQ(r.fl(2), w.f2);
    EXPECT_EQ(r.fl(3), w.f3);
    if (w.r3 != 0) {
      EXPECT_EQ(bits(r.rroot(3)), w.r3) << test::show(r.rroot(3));
    }
  }
}

TEST(QubicGeneral, EarlyEnds) {
  const row rows[] = {
      {"bound 1 + 1e60 overflows", 1e-30f, 0, 0, 1e30f, -6, -6, -6, untouched, untouched, untouched},
      {"refinement stalls between neighbours", 1, 1, 0, 1, -6, -6, -6, {{0xBFBB97D6u, zero}}, untouched, untouched},
  };
  for (const row& w : rows) check(w);
}

}  // namespace
}  // namespace qubic
