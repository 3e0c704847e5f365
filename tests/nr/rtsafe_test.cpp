// rtsafe: results and statuses by bit pattern, on every way a call can end.
#include <qubic/qubic.hpp>

#include "bits.hpp"

namespace qubic {
namespace {

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
