// The machine epsilon by halving.
#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "eps/eps.hpp"

namespace qubic {
namespace {

using test::bits;

TEST(Eps, HalvingEndsOnTheTieThatRoundsToOne) {
  // 24 passes: epss runs 1, 2^-1, ..., 2^-23; the last candidate is 2^-24,
  // and 1 + 2^-24 is a tie that rounds to even, exactly 1.
  const halving h = halve();
  EXPECT_EQ(h.passes, 24);
  EXPECT_EQ(bits(h.try_), 0x33800000u);
  EXPECT_EQ(bits(h.try1), 0x3F800000u);
  EXPECT_EQ(bits(h.epss), 0x34000000u);
  // eps() remembers the same value; half of it is the unit roundoff 2^-24.
  EXPECT_EQ(bits(eps()), 0x34000000u);
  EXPECT_EQ(bits(eps() * 0.5f), 0x33800000u);
}

}  // namespace
}  // namespace qubic
