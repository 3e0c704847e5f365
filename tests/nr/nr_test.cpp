// rtsafe, on every way a call can end, and funcd, poli and sgn, the
// evaluations under its Newton iteration: results by bit pattern.
#include <random>

#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "nr/funcd.hpp"
#include "nr/poli.hpp"
#include "nr/sgn.hpp"

namespace qubic {
namespace {

using test::from_bits;

TEST(Funcd, CubeMinusTwoAtTwo) {
  float f, df, e;
  funcd(2.0f, f, df, e, coeffs{{-2, 0, 0, 1}});
  EXPECT_BITS(f, 6.0f);
  EXPECT_BITS(df, 12.0f);
  EXPECT_BITS(e, 26.0f);  // 0.5*8 + 2*4 + 4*2 + 6
}

// The value funcd carries along is the Horner value of poli, bit for bit.
// Seeded random bit patterns (mt19937, seed 20261206) for the coefficients and
// the point (|x| kept moderate); a NaN may come out with either payload.
TEST(Funcd, ValueIsPoliBitForBit) {
  std::mt19937 gen(20261206);
  for (int n = 0; n < 20000; ++n) {
    const coeffs a{{from_bits(gen()), from_bits(gen()), from_bits(gen()), from_bits(gen())}};
    const float x = from_bits(gen() & 0xC7FFFFFFu), p = poli(x, a);
    float f, df, e;
    funcd(x, f, df, e, a);
    ASSERT_TRUE(test::bits(f) == test::bits(p) || (f != f && p != p)) << test::show(f) << " at x " << test::show(x);
  }
}

TEST(Sgn, ZerosNaNAndSubnormals) {
  // -0 gives +0; a NaN is neither zero nor negative; the smallest subnormals keep their signs.
  for (const auto& [x, want] : {std::pair{-0.0f, 0.0f}, {from_bits(0xFFC00000u), 1.0f}, {from_bits(0x80000001u), -1.0f},
                                {from_bits(0x00000001u), 1.0f}}) {
    EXPECT_BITS(sgn(x), want) << test::show(x);
  }
}

TEST(Rtsafe, EveryWayACallEnds) {
  // a(k) is the coefficient of x^k.
  const struct { const char* why; coeffs a; float x1, x2; std::int32_t iflag; std::uint32_t result; } rows[] = {
      {"x^3 - 2: Newton to a standstill", {{-2, 0, 0, 1}}, 0, 3, 1, 0x3FA14518u},
      {"x^3 - 2 with the ends swapped", {{-2, 0, 0, 1}}, 3, 0, 1, 0x3FA14518u},
      {"(x-1)(x-2)(x-3): residual test after a Newton step returns the new iterate", {{-6, 11, -6, 1}}, 0, 12, 0,
       0x40400000u},
      {"(x-1)^3: residual test after a bisection returns the tested iterate", {{-1, 3, -3, 1}}, 0, 4, 0, 0x3F802BF5u},
      // Near x = 2.633e12 the evaluation's error estimate overflows while the
      // value stays finite; a test against an infinite threshold would accept
      // any point (it accepted half the root).  The iteration goes on instead.
      {"an infinite error estimate proves nothing", {{-8.8259835e-09f, 8261317.5f, -1.50899884e+14f, 57.309166f}}, 0,
       (1.50899884e+14f / 57.309166f) + 1.0f, 1, 0x54194405u},
      {"x^3 + x^2 + 1: bisection stalls between neighbours, pass limit", {{1, 0, 1, 1}}, 0, -2, -1, 0xBFBB97D6u},
      {"same sign at both ends: walks to the end 2", {{1, 0, 0, 1}}, 0, 2, 1, 0x40000000u},
      {"zero at the first end is no shortcut", {{-1, 0, 0, 1}}, 1, 2, 1, 0x40000000u},
      {"infinite value at an end: the midpoint, no evaluation", {{1, 0, 0, 1.0e38f}}, 0, 10, -2, 0x40A00000u},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    std::int32_t iflag = 12345;
    const float x = rtsafe(r.x1, r.x2, iflag, r.a);
    EXPECT_EQ(iflag, r.iflag);
    EXPECT_EQ(test::bits(x), r.result) << test::show(x);
  }
}

}  // namespace
}  // namespace qubic
