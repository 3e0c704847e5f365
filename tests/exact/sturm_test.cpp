// The reference's exact building blocks (exact/sturm.hpp): the worked
// examples of its contracts, and the cases of the root oracle that the
// families reach only by chance (a root on the point compared, a root far
// beyond the doubles, roots closer than any double).
#include <gtest/gtest.h>

#include "exact/sturm.hpp"

namespace qubic::test::exact {
namespace {

Q q(long n, long d = 1) { return Q(n, d); }

TEST(ReferenceBlocks, ContractExamples) {
  const poly x2m2{-2, 0, 1};  // x^2 - 2
  EXPECT_EQ(sign_at(x2m2, q(3, 2)), 1) << "9/4 - 2 > 0";
  EXPECT_EQ(compose(x2m2, {1, -2}), (poly{-1, -4, 4})) << "(1 - 2x)^2 - 2";
  const sturm_chain chain(x2m2);
  EXPECT_EQ(chain.roots(), 2);
  EXPECT_EQ(chain.at_or_below(0), 1) << "-sqrt 2 only";
  EXPECT_EQ(chain.at_or_below(2), 2);
  real_root sqrt2(chain, 2);
  EXPECT_EQ(sqrt2.compare(q(3, 2)), -1) << "sqrt 2 < 3/2";
  EXPECT_EQ(sqrt2.compare(q(7, 5)), 1) << "sqrt 2 > 7/5: 49/25 < 2";
}

// sign(r - t) for roots of square-free polynomials, each row a phenomenon.
TEST(ReferenceBlocks, RootOracle) {
  const Q big = power_of_two(3000);
  const poly three{q(1, 3), -1, q(-1, 3), 1};  // (x + 1)(x - 1/3)(x - 1)
  const struct { const char* why; poly p; int i; std::vector<std::pair<Q, int>> calls; } cases[] = {
      {"a rational root met by a Sturm count, then known exactly", three, 2, {{q(1, 3), 0}, {q(1, 2), -1}, {0, 1}}},
      {"a rational root met in the interval that holds it alone", three, 2, {{0, 1}, {q(1, 2), -1}, {q(1, 3), 0}}},
      {"the smallest root, compared at another root", three, 1, {{q(1, 3), -1}, {-1, 0}}},
      {"the largest root, from above and below", three, 3, {{2, -1}, {q(1, 2), 1}, {q(3, 4), 1}, {1, 0}}},
      {"two roots 2^-200 apart: 1 and 1 + 2^-200", {1 + power_of_two(-200), -(2 + power_of_two(-200)), 1}, 2,
       {{1, 1}, {1 + power_of_two(-201), 1}, {1 + power_of_two(-199), -1}}},
      {"a root 2^3000, beyond every double", {-big, 1}, 1, {{power_of_two(1024), 1}, {big, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const sturm_chain chain(c.p);
    real_root r(chain, c.i);
    for (const auto& [t, want] : c.calls) EXPECT_EQ(r.compare(t), want) << "at " << t.get_str();
  }
}

// narrow() closes in on a root far out (2^3000 sqrt 2) in steps of its
// exponent, then of its bits: 6000 halvings from the bound would not do.
TEST(ReferenceBlocks, NarrowReachesFarRoots) {
  const poly p{-2 * power_of_two(6000), 0, 1};  // roots +-2^3000 sqrt 2
  const sturm_chain chain(p);
  real_root r(chain, 2);
  r.bounded();
  for (int n = 0; n < 200; ++n) r.narrow();
  EXPECT_LE(r.lo(), power_of_two(3000) * q(1415, 1000));
  EXPECT_GE(r.lo(), power_of_two(3000) * q(1414, 1000));
  EXPECT_LT(r.hi() - r.lo(), power_of_two(3000 - 100));
}

}  // namespace
}  // namespace qubic::test::exact
