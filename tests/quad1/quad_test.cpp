// quad: statuses, root bits, and which outputs stay untouched.
#include <cmath>
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

struct out {
  float x1r, x1i, x2r, x2i;
  std::int32_t iflag;
};

out run(float a, float b, float c) {
  out o{sentinel(), sentinel(), sentinel(), sentinel(), 12345};
  quad(a, b, c, o.x1r, o.x1i, o.x2r, o.x2i, o.iflag);
  return o;
}

// Expected outputs by bit pattern; nullopt means "must keep the caller's value".
using want = std::optional<std::uint32_t>;
constexpr want untouched = std::nullopt;

struct exact_row {
  const char* why;
  float a, b, c;
  std::int32_t iflag;
  want x1r, x1i, x2r, x2i;
};

const exact_row exact_rows[] = {
    // Degenerate equations.
    {"a=b=c=0: every x solves it", 0, 0, 0, -1, untouched, untouched, untouched, untouched},
    {"a=b=0, c!=0: nothing solves it", 0, 0, 5, 0, untouched, untouched, untouched, untouched},
    {"linear, usable", 0, 2, -4, 11, 0x40000000u, 0x00000000u, untouched, untouched},
    {"linear with c=0: the zero is exact (-0)", 0, 3, 0, 11, 0x80000000u, 0u, untouched, untouched},
    {"linear, quotient underflows to -0", 0, 1e30f, 1e-30f, 10, 0x80000000u, 0u, untouched, untouched},
    {"linear, quotient overflows", 0, 1e-30f, 1e30f, 10, 0xFF800000u, 0u, untouched, untouched},
    {"c=0: exact 0 stays first", 1, 5, 0, 22, 0x00000000u, 0u, 0xC0A00000u, 0u},
    {"c=0, b=0: the zero -(b/a) is exact", 1, 0, 0, 22, 0x00000000u, 0u, 0x80000000u, 0u},
    // Near-double-root band: discriminant in double precision.
    {"band, double root", 1, 2, 1, 22, 0xBF800000u, 0u, 0xBF800000u, 0u},
    {"band, real pair, +sdisc root first", 1, 2.05f, 1, 22, 0xBF4CCCCEu, 0u, 0xBF9FFFFFu, 0u},
    // Complex pairs below the band.
    {"complex", 3, 1, 2, 22, 0xBE2AAAABu, 0x3F4C9F45u, 0xBE2AAAABu, 0xBF4C9F45u},
    {"complex, b=0: real part -0", 1, 0, 1, 22, 0x80000000u, 0x3F800000u, 0x80000000u, 0xBF800000u},
    {"complex, b=0, a<0: real part +0", -1, 0, -1, 22, 0x00000000u, 0x3F800000u, 0x00000000u,
     0xBF800000u},
    // Real pairs, |b| >= 2 sqrt|ac|: the larger root first.
    {"real, same signs", 1, -3, 2, 22, 0x3FFFFFFFu, 0u, 0x3F800001u, 0u},
    {"real, opposite signs", 1, -3, -1, 22, 0x405360ADu, 0u, 0xBE9B0569u, 0u},
    // Real pairs, opposite signs, |b| < 2 sqrt|ac|.
    {"opposite signs, b=0", 1, 0, -4, 22, 0xC0000000u, 0u, 0x40000000u, 0u},
    {"opposite signs, b=0, a<0", -1, 0, 4, 22, 0x40000000u, 0u, 0xC0000000u, 0u},
    {"golden ratio", 1, -1, -1, 22, 0x3FCF1BBDu, 0u, 0xBF1E377Au, 0u},
    {"scaled", 2, -4, -6, 22, 0x40400000u, 0u, 0xBF800001u, 0u},
    // Overflow and underflow caught by the usable test.
    {"real part underflows while b != 0", 1e30f, 1e-30f, 1e-30f, 20, 0x80000000u, std::nullopt,
     0x80000000u, std::nullopt},
};

TEST(Quad, ExactCases) {
  for (const exact_row& r : exact_rows) {
    SCOPED_TRACE(r.why);
    const out o = run(r.a, r.b, r.c);
    EXPECT_EQ(o.iflag, r.iflag);
    const float got[] = {o.x1r, o.x1i, o.x2r, o.x2i};
    const want exp[] = {r.x1r, r.x1i, r.x2r, r.x2i};
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(k);
      if (exp[k]) {
        EXPECT_EQ(bits(got[k]), *exp[k]) << test::show(got[k]);
      } else if (r.iflag < 20) {
        EXPECT_EQ(bits(got[k]), sentinel_bits) << test::show(got[k]);
      }
    }
  }
}

TEST(Quad, RefusedCoefficientsWriteNoRoot) {
  const float bad[] = {inf, -inf, nan, -nan, 1e-40f, -1e-40f, 1e-38f, test::from_bits(1)};
  for (const float v : bad) {
    for (int pos = 0; pos < 3; ++pos) {
      SCOPED_TRACE(test::show(v));
      SCOPED_TRACE(pos);
      float c[3] = {1.0f, -3.0f, 2.0f};
      c[pos] = v;
      const out o = run(c[0], c[1], c[2]);
      EXPECT_EQ(o.iflag, -2);
      EXPECT_EQ(bits(o.x1r), sentinel_bits);
      EXPECT_EQ(bits(o.x1i), sentinel_bits);
      EXPECT_EQ(bits(o.x2r), sentinel_bits);
      EXPECT_EQ(bits(o.x2i), sentinel_bits);
    }
  }
}

// Cases whose values the scaling makes reachable although 4ac or b*b lies
// far outside the single range; the roots are checked against the exact
// roots to a few units in the last place, the structure bit for bit.
struct approx_row {
  const char* why;
  float a, b, c;
  std::int32_t iflag;
  double x1r, x1i, x2r, x2i;
};

double rel(double got, double want) {
  return want == 0.0 ? std::fabs(got) : std::fabs(got - want) / std::fabs(want);
}

TEST(Quad, ScaledCasesNearTheRangeLimits) {
  const double s3 = std::sqrt(3.0);
  const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
  const approx_row rows[] = {
      {"band, complex, a<0: imaginary part has the sign of a", -1, 1.95f, -1, 22, 0.975,
       -std::sqrt(1.0 - 0.975 * 0.975), 0.975, std::sqrt(1.0 - 0.975 * 0.975)},
      {"band, complex, a>0", 1, 1.95f, 1, 22, -0.975, std::sqrt(1.0 - 0.975 * 0.975), -0.975,
       -std::sqrt(1.0 - 0.975 * 0.975)},
      {"complex with 4ac beyond flmax", 1, 1e19f, 1e38f, 22, -5e18, 5e18 * s3, -5e18, -5e18 * s3},
      {"real with 4ac beyond flmax", 1, -1e19f, -1e38f, 22, 1e19 * phi, 0, -1e19 / phi, 0},
  };
  for (const approx_row& r : rows) {
    SCOPED_TRACE(r.why);
    const out o = run(r.a, r.b, r.c);
    EXPECT_EQ(o.iflag, r.iflag);
    EXPECT_LT(rel(o.x1r, r.x1r), 1e-6);
    EXPECT_LT(rel(o.x1i, r.x1i), 1e-6);
    EXPECT_LT(rel(o.x2r, r.x2r), 1e-6);
    EXPECT_LT(rel(o.x2i, r.x2i), 1e-6);
    if (r.x1i != 0.0) {
      EXPECT_EQ(bits(o.x2r), bits(o.x1r));
      EXPECT_EQ(bits(o.x2i), bits(-o.x1i));
    }
  }
}

TEST(Quad, UnusableRootsAreReportedAndMovedBehind) {
  // Larger root overflows, smaller one (about -1e-10) is usable: exchanged.
  out o = run(1e-30f, 1e10f, 1.0f);
  EXPECT_EQ(o.iflag, 21);
  EXPECT_LT(rel(o.x1r, -1e-10), 1e-6);
  EXPECT_EQ(bits(o.x2r), 0xFF800000u);
  EXPECT_EQ(bits(o.x1i), 0u);
  EXPECT_EQ(bits(o.x2i), 0u);

  // f*b overflows and the smaller root, about -3.3e-39, is subnormal.
  o = run(1.0f, 3e38f, 1.0f);
  EXPECT_EQ(o.iflag, 20);
  EXPECT_EQ(bits(o.x1r), 0xFF800000u);
  EXPECT_TRUE(isdnrm(o.x2r));

  // abc underflows to a subnormal: the pair is refused although both roots
  // are written and representable.
  o = run(1.0f, 1e-36f, -1e10f);
  EXPECT_EQ(o.iflag, 20);
  EXPECT_LT(rel(o.x1r, -1e5), 1e-6);
  EXPECT_LT(rel(o.x2r, 1e5), 1e-6);

  // Complex: the real part underflows while b != 0; the imaginary part is
  // still written.
  o = run(1e30f, 1e-30f, 1e-30f);
  EXPECT_EQ(o.iflag, 20);
  EXPECT_LT(rel(o.x1i, 1e-30), 1e-5);
}

}  // namespace
}  // namespace qubic
