// The three predicates over every class of single-precision value.
#include <qubic/qubic.hpp>

#include "bits.hpp"

namespace qubic {
namespace {

using test::from_bits;

struct row {
  const char* why;
  std::uint32_t bits;
  bool inf, nan, dnrm;
};

constexpr row rows[] = {
    {"-0", 0x80000000u, false, false, false},
    {"smallest subnormal", 0x00000001u, false, false, true},
    {"largest subnormal, negative", 0x807FFFFFu, false, false, true},
    {"flmin is normal", 0x00800000u, false, false, false},
    {"-flmax is finite", 0xFF7FFFFFu, false, false, false},
    {"+inf", 0x7F800000u, true, false, false},
    {"quiet NaN", 0x7FC00000u, false, true, false},
    {"signalling NaN, sign set", 0xFFA5A5A5u, false, true, false},
};

TEST(Classify, EveryClassOfValue) {
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    const float x = from_bits(r.bits);
    EXPECT_EQ(isinf(x), r.inf);
    EXPECT_EQ(isnan(x), r.nan);
    EXPECT_EQ(isdnrm(x), r.dnrm);
  }
}

}  // namespace
}  // namespace qubic
