// funcd, poli and sgn: the evaluations under the Newton iteration.
#include <random>

#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "nr/funcd.hpp"
#include "nr/poli.hpp"
#include "nr/sgn.hpp"

namespace qubic {
namespace {

using test::bits;
using test::from_bits;

TEST(Funcd, CubeMinusTwoAtTwo) {
  const coeffs a{{-2, 0, 0, 1}};
  float f, df, e;
  funcd(2.0f, f, df, e, a);
  EXPECT_BITS(f, 6.0f);
  EXPECT_BITS(df, 12.0f);
  EXPECT_BITS(e, 26.0f);  // 0.5*8 + 2*4 + 4*2 + 6
  EXPECT_BITS(poli(2.0f, a), 6.0f);
}

TEST(Funcd, AgreesWithPoliBitForBit) {
  // Seeded random bit patterns for coefficients and points, finite ones only:
  // the value funcd carries along must be exactly the Horner value of poli.
  std::mt19937 gen(20261206);
  std::uniform_int_distribution<std::uint32_t> any;
  int compared = 0;
  while (compared < 20000) {
    coeffs a;
    for (int i = 0; i <= 3; ++i) a(i) = from_bits(any(gen));
    const float x = from_bits(any(gen) & 0xC7FFFFFFu);  // keep |x| moderate, either sign
    bool finite = true;
    for (int i = 0; i <= 3; ++i) finite = finite && !isnan(a(i)) && !isinf(a(i));
    if (!finite) continue;
    float f, df, e;
    funcd(x, f, df, e, a);
    ASSERT_EQ(bits(f), bits(poli(x, a))) << "x " << test::show(x);
    ++compared;
  }
}

TEST(Sgn, ZerosNaNAndSubnormals) {
  struct row {
    const char* why;
    float x;
    std::uint32_t want;
  };
  const row rows[] = {
      {"+0", 0.0f, 0x00000000u},
      {"-0 gives +0", -0.0f, 0x00000000u},
      {"NaN is neither zero nor negative", from_bits(0xFFC00000u), 0x3F800000u},
      {"smallest negative subnormal", from_bits(0x80000001u), 0xBF800000u},
      {"smallest positive subnormal", from_bits(0x00000001u), 0x3F800000u},
      {"-inf", from_bits(0xFF800000u), 0xBF800000u},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_EQ(bits(sgn(r.x)), r.want);
  }
}

}  // namespace
}  // namespace qubic
