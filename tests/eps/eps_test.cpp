// The machine epsilon by halving.
#include <qubic/qubic.hpp>

#include "bits.hpp"
#include "eps/eps.hpp"

namespace qubic {
namespace {

TEST(Eps, HalvingEndsOnTheTieThatRoundsToOne) {
  // 24 passes: epss runs 1, 2^-1, ..., 2^-23; the last candidate is 2^-24,
  // and 1 + 2^-24 is a tie that rounds to even, exactly 1.  eps() remembers epss.
  const halving h = halve();
  EXPECT_EQ(h.passes, 24);
  EXPECT_BITS(h.try_, 0x1p-24f);
  EXPECT_BITS(h.try1, 1.0f);
  EXPECT_BITS(h.epss, 0x1p-23f);
  EXPECT_BITS(eps(), 0x1p-23f);
}

}  // namespace
}  // namespace qubic
