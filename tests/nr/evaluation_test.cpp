// funcd, poli and sgn: the evaluations under the Newton iteration.
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

}  // namespace
}  // namespace qubic
