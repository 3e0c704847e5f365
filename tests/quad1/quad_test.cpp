// The three predicates over every class of single-precision value; quad:
// statuses, root bits, and which outputs stay untouched.
#include <cmath>
#include <optional>

#include <qubic/qubic.hpp>

#include "bits.hpp"

namespace qubic {
namespace {

using test::from_bits;
using test::inf;
using test::nan;

TEST(Classify, EveryClassOfValue) {
  const struct { const char* why; std::uint32_t bits; bool inf, nan, dnrm; } rows[] = {
      {"-0", 0x80000000u, false, false, false},
      {"smallest subnormal", 0x00000001u, false, false, true},
      {"largest subnormal, negative", 0x807FFFFFu, false, false, true},
      {"flmin is normal", 0x00800000u, false, false, false},
      {"-flmax is finite", 0xFF7FFFFFu, false, false, false},
      {"+inf", 0x7F800000u, true, false, false},
      {"signalling NaN, sign set", 0xFFA5A5A5u, false, true, false},
  };
  for (const auto& r : rows) {
    const float x = from_bits(r.bits);
    EXPECT_TRUE(isinf(x) == r.inf && isnan(x) == r.nan && isdnrm(x) == r.dnrm) << r.why;
  }
}

struct out {
  std::int32_t iflag = 12345;
  float x[4] = {test::sentinel(), test::sentinel(), test::sentinel(), test::sentinel()};  // x1r x1i x2r x2i
};

out run(float a, float b, float c) {
  out o;
  quad(a, b, c, o.x[0], o.x[1], o.x[2], o.x[3], o.iflag);
  return o;
}

// Expected outputs by bit pattern; untouched: the caller's value must stay
// (checked when the status says nothing was written there, iflag < 20).
constexpr std::optional<std::uint32_t> U;

TEST(Quad, ExactCases) {
  const struct { const char* why; float a, b, c; std::int32_t iflag; std::optional<std::uint32_t> x[4]; } rows[] = {
      // Refused: one row per predicate, each position once.
      {"a infinite", inf, -3, 2, -2, {}},
      {"b NaN", 1, nan, 2, -2, {}},
      {"c the smallest subnormal", 1, -3, from_bits(1), -2, {}},
      // Degenerate equations.
      {"a=b=c=0: every x solves it", 0, 0, 0, -1, {}},
      {"a=b=0, c!=0: nothing solves it", 0, 0, 5, 0, {}},
      {"linear, usable", 0, 2, -4, 11, {0x40000000u, 0u, U, U}},
      {"linear with c=0: the zero is exact (-0)", 0, 3, 0, 11, {0x80000000u, 0u, U, U}},
      {"linear, quotient overflows", 0, 1e-30f, 1e30f, 10, {0xFF800000u, 0u, U, U}},
      {"c=0: exact 0 stays first", 1, 5, 0, 22, {0x00000000u, 0u, 0xC0A00000u, 0u}},
      {"c=0, b=0: the zero -(b/a) is exact", 1, 0, 0, 22, {0x00000000u, 0u, 0x80000000u, 0u}},
      // Near-double-root band: discriminant in double precision.
      {"band, double root", 1, 2, 1, 22, {0xBF800000u, 0u, 0xBF800000u, 0u}},
      {"band, real pair, +sdisc root first", 1, 2.05f, 1, 22, {0xBF4CCCCEu, 0u, 0xBF9FFFFFu, 0u}},
      // Complex pairs below the band (b = 0, a > 0, real part -0: x^3 + x in tests/qubic).
      {"complex", 3, 1, 2, 22, {0xBE2AAAABu, 0x3F4C9F45u, 0xBE2AAAABu, 0xBF4C9F45u}},
      {"complex, b=0, a<0: real part +0", -1, 0, -1, 22, {0x00000000u, 0x3F800000u, 0x00000000u, 0xBF800000u}},
      // Real pairs, |b| >= 2 sqrt|ac|: the larger root first.
      {"real, same signs", 1, -3, 2, 22, {0x3FFFFFFFu, 0u, 0x3F800001u, 0u}},
      {"real, opposite signs", 1, -3, -1, 22, {0x405360ADu, 0u, 0xBE9B0569u, 0u}},
      // Real pairs, opposite signs, |b| < 2 sqrt|ac|.
      {"opposite signs, b=0, a<0", -1, 0, 4, 22, {0x40000000u, 0u, 0xC0000000u, 0u}},
      {"golden ratio", 1, -1, -1, 22, {0x3FCF1BBDu, 0u, 0xBF1E377Au, 0u}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const out o = run(r.a, r.b, r.c);
    EXPECT_EQ(o.iflag, r.iflag);
    for (int k = 0; k < 4; ++k) {
      if (r.x[k] || r.iflag < 20) {
        EXPECT_BITS(o.x[k], from_bits(r.x[k].value_or(test::sentinel_bits))) << k;
      }
    }
  }
}

// Roots that the scaling keeps within reach although 4ac or b*b lies far
// outside the single range, and roots that overflow or underflow.  Expected
// are the exact roots: an infinity or a zero bit for bit, any other value to
// a relative 1e-6 with its sign.
TEST(Quad, ScaledAndUnusableRoots) {
  const double s3 = std::sqrt(3.0), phi = (1.0 + std::sqrt(5.0)) / 2.0, y = std::sqrt(1.0 - 0.975 * 0.975);
  const struct { const char* why; float a, b, c; std::int32_t iflag; double x[4]; } rows[] = {
      {"band, complex, a<0: imaginary part has the sign of a", -1, 1.95f, -1, 22, {0.975, -y, 0.975, y}},
      {"band, complex, a>0", 1, 1.95f, 1, 22, {-0.975, y, -0.975, -y}},
      {"complex with 4ac beyond flmax", 1, 1e19f, 1e38f, 22, {-5e18, 5e18 * s3, -5e18, -5e18 * s3}},
      {"real with 4ac beyond flmax", 1, -1e19f, -1e38f, 22, {1e19 * phi, 0, -1e19 / phi, 0}},
      {"larger root overflows, the usable one goes first", 1e-30f, 1e10f, 1, 21, {-1e-10, 0, -INFINITY, 0}},
      {"f*b overflows, the other root is subnormal", 1, 3e38f, 1, 20, {-INFINITY, 0, -1 / 3e38, 0}},
      {"abc underflows: refused though both are written", 1, 1e-36f, -1e10f, 20, {-1e5, 0, 1e5, 0}},
      {"real part underflows to -0 while b != 0", 1e30f, 1e-30f, 1e-30f, 20, {-0.0, 1e-30, -0.0, -1e-30}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    const out o = run(r.a, r.b, r.c);
    EXPECT_EQ(o.iflag, r.iflag);
    for (int k = 0; k < 4; ++k) {
      const double got = o.x[k], want = r.x[k];
      if (want == 0.0 || std::isinf(want)) {
        EXPECT_BITS(o.x[k], static_cast<float>(want)) << k;
      } else {
        EXPECT_TRUE(std::signbit(got) == std::signbit(want) && std::fabs(got - want) < 1e-6 * std::fabs(want))
            << k << ": " << test::show(o.x[k]) << ", want " << want;
      }
    }
  }
}

}  // namespace
}  // namespace qubic
