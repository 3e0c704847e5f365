// The machine epsilon by halving.
#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "eps/eps.hpp"

namespace qubic {
namespace {

using test::bits;

TEST(Eps, IsTwoToTheMinus23AndItsHalfTheUnitRoundoff) {
  EXPECT_EQ(bits(eps()), 0x34000000u);            // 1.1920929e-07
  EXPECT_EQ(bits(eps() * 0.5f), 0x33800000u);     // 5.9604645e-08
}

TEST(Eps, LaterCallsReturnTheSameBits) {
  const float first = eps();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(bits(eps()), bits(first));
}

TEST(Eps, HalvingEndsOnTheTieThatRoundsToOne) {
  // 24 passes: epss runs 1, 2^-1, ..., 2^-23; the last candidate is 2^-24,
  // and 1 + 2^-24 is a tie that rounds to even, exactly 1.
  const halving h = halve();
  EXPECT_EQ(h.passes, 24);
  EXPECT_EQ(bits(h.try_), 0x33800000u);
  EXPECT_EQ(bits(h.try1), 0x3F800000u);
  EXPECT_EQ(bits(h.epss), 0x34000000u);
}

}  // namespace
}  // namespace qubic
