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
using test::from_bits;
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
  const float bad[] = {inf, -inf, nan, 1e-40f, -1e-40f, 1e-38f};
  for (const float v : bad) {
    for (int pos = 0; pos <= 3; ++pos) {
      float c[4] = {1, -6, 11, -6};
      c[pos] = v;
      check({"refused", c[0], c[1], c[2], c[3], -2, -2, -2, untouched, untouched, untouched});
      c[0] = pos == 0 ? v : 0.0f;  // also when the leading coefficient is zero
      check({"refused, leading zero", c[0], c[1], c[2], c[3], -2, -2, -2, untouched, untouched,
             untouched});
    }
  }
  // The smallest normal, 2^-126, is accepted.
  EXPECT_NE(solve(1, 0, 0, 1.17549435e-38f).fl(1), -2);
}

TEST(QubicDegenerate, LeadingCoefficientZero) {
  const row rows[] = {
      {"identically zero", 0, 0, 0, 0, 0, 0, 0, untouched, untouched, untouched},
      {"nonzero constant", 0, 0, 0, 5, -1, -1, -1, untouched, untouched, untouched},
      {"linear 2x - 6", 0, 0, 2, -6, 1, -1, -1, {{0x40400000u, zero}}, untouched, untouched},
      {"linear, root underflows", 0, 0, 1e30f, 1e-30f, -3, -1, -1, {{0x80000000u, zero}},
       untouched, untouched},
      {"quadratic x^2 - 3x + 2", 0, 1, -3, 2, 1, 1, -1, {{below_two, zero}}, {{above_one, zero}},
       untouched},
      {"-0 leads like +0", -0.0f, 1, -3, 2, 1, 1, -1, {{below_two, zero}}, {{above_one, zero}},
       untouched},
  };
  for (const row& w : rows) check(w);

  // Roots whose exact bits depend on the overflow: flags, and root 3 untouched.
  struct flag_row {
    const char* why;
    float a2, a1, a0;
    std::int32_t f1, f2;
  };
  const flag_row flag_rows[] = {
      {"quadratic, one root overflows", 1e-30f, 1e10f, 1, 1, -3},
      {"quadratic, no usable root", 1, 3e38f, 1, -3, -3},
  };
  for (const flag_row& w : flag_rows) {
    SCOPED_TRACE(w.why);
    const result r = solve(0, w.a2, w.a1, w.a0);
    EXPECT_EQ(r.fl(1), w.f1);
    EXPECT_EQ(r.fl(2), w.f2);
    EXPECT_EQ(r.fl(3), -1);
    EXPECT_EQ(bits(r.rroot(3)), sentinel_bits);
    EXPECT_EQ(bits(r.iroot(3)), sentinel_bits);
  }
}

TEST(QubicDegenerate, ConstantCoefficientZero) {
  const row rows[] = {
      {"x^3 - 3x^2 + 2x", 1, -3, 2, 0, 1, 1, 1, {{zero, zero}}, {{below_two, zero}},
       {{above_one, zero}}},
      {"-0 constant: root 1 is +0", 1, -3, 2, -0.0f, 1, 1, 1, {{zero, zero}}, {{below_two, zero}},
       {{above_one, zero}}},
      {"x^3 + x: 0 and +-i", 1, 0, 1, 0, 1, 1, 1, {{zero, zero}}, {{0x80000000u, one}},
       {{0x80000000u, 0xBF800000u}}},
  };
  for (const row& w : rows) check(w);
}

TEST(QubicGeneral, SolvedCubics) {
  const row rows[] = {
      {"road of one record", 1, -6, 11, -6, 1, 1, 1, {{0x40400000u, zero}}, {{below_two, zero}},
       {{above_one, zero}}},
      // -1, then 0.5 +- i sqrt(3)/2 rounded to single (0x3F5DB3D7).
      {"x^3 + 1: a conjugate pair", 1, 0, 0, 1, 1, 1, 1, {{0xBF800000u, zero}},
       {{0x3F000000u, 0x3F5DB3D7u}}, {{0x3F000000u, 0xBF5DB3D7u}}},
      // The residual test held at 2 while a bisection had moved the iterate
      // to 1; the tested iterate is returned.
      {"x^3 - 2x - 4", 1, 0, -2, -4, 1, 1, 1, {{0x40000000u, zero}},
       {{0xBF800000u, 0x3F7FFFFFu}}, {{0xBF800000u, 0xBF7FFFFFu}}},
      // 1, -6, 11, -6 written without decimal points: scaled by 1e-8.
      {"scaled road", 1e-8f, -6e-8f, 1.1e-7f, -6e-8f, 1, 1, 1, {{0x403FFFF6u, zero}},
       {{0x4000000Cu, zero}}, {{0x3F7FFFF6u, zero}}},
  };
  for (const row& w : rows) check(w);
}

TEST(QubicGeneral, UnusableAndDegradedRoots) {
  // (x - 1)(x^2 + 1e10 x + 1e-30): the small factor root is subnormal.
  result r = solve(1, 1e10f, -1e10f, -1e-30f);
  EXPECT_EQ(r.fl(1), 1);
  EXPECT_EQ(r.fl(2), 1);
  EXPECT_EQ(r.fl(3), -3);
  EXPECT_BITS(r.rroot(1), 1.0f);
  EXPECT_BITS(r.rroot(2), -1e10f);
  EXPECT_TRUE(isdnrm(r.rroot(3)));

  // The factor's constant -(a0/r) underflows to zero: the root 0 of the
  // factor is no root of a cubic whose constant is nonzero.
  r = solve(1.15440656e-17f, -8.07126935e-12f, -0.102165289f, 5.26655047e-38f);
  EXPECT_EQ(r.fl(1), 1);
  EXPECT_EQ(r.fl(2), -3);
  EXPECT_EQ(r.fl(3), 1);

  // The error estimate overflows near the root 2.633e12 (half of it was once
  // accepted); the root is right but the x^2 term overflows in the split:
  // degraded deflation, so the factor's roots cannot be trusted.
  r = solve(57.309166f, -1.50899884e+14f, 8261317.5f, -8.8259835e-09f);
  EXPECT_EQ(r.fl(1), -4);
  EXPECT_EQ(r.fl(2), -5);
  EXPECT_EQ(r.fl(3), -5);
  EXPECT_EQ(bits(r.rroot(1)), 0x54194405u);
}

TEST(QubicGeneral, EarlyEnds) {
  const row rows[] = {
      {"bound 1 + 1e60 overflows", 1e-30f, 0, 0, 1e30f, -6, -6, -6, untouched, untouched,
       untouched},
      {"refinement stalls between neighbours", 1, 1, 0, 1, -6, -6, -6, {{0xBFBB97D6u, zero}},
       untouched, untouched},
  };
  for (const row& w : rows) check(w);

  // Refinement fails: root 1 holds the estimate (imaginary part 0), roots 2
  // and 3 are untouched.  Each row also runs rtsafe on the same bracket to
  // pin the status behind the flags.
  struct fail_row {
    const char* why;
    float a3, a2, a1, a0, x2;
    std::int32_t iflag;
  };
  const fail_row fails[] = {
      {"values overflow inside 0..-1e30", 1, 1e30f, 0, 1, -1e30f - 1.0f, -2},
      {"pass limit near the root -1e-40", 1, 0, 1e10f, 1e-30f, -(1e10f + 1.0f), -1},
      {"x^3 + 3 stalls between neighbours", 1, 0, 0, 3, -4.0f, -1},
  };
  for (const fail_row& f : fails) {
    SCOPED_TRACE(f.why);
    const result r = solve(f.a3, f.a2, f.a1, f.a0);
    EXPECT_EQ(r.fl(1), -6);
    EXPECT_EQ(r.fl(2), -6);
    EXPECT_EQ(r.fl(3), -6);
    EXPECT_FALSE(isnan(r.rroot(1)));
    EXPECT_EQ(bits(r.iroot(1)), zero);
    EXPECT_EQ(bits(r.rroot(2)), sentinel_bits);
    EXPECT_EQ(bits(r.rroot(3)), sentinel_bits);
    std::int32_t iflag = 99;
    rtsafe(0.0f, f.x2, iflag, coeffs{{f.a0, f.a1, f.a2, f.a3}});
    EXPECT_EQ(iflag, f.iflag);
  }
}

}  // namespace
}  // namespace qubic
