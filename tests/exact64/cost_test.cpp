// The cost of each class of input, counted rather than timed: GMP calls
// (exact signs, exact discriminants and their values, fractions of multiple
// roots), filter signs and expansions (Taylor expansions at candidates and
// the pair's enclosures) per cubic, from the engine's own counters, over
// seeded cubics of each class.  A class whose mean, or a single cubic whose
// count, passes its bound fails the test (docs/exact64.md section 9 gives
// the bounds and why they hold).
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

#include "exact/families.hpp"
#include "exact64/stats64.hpp"

namespace qubic {
namespace {

using cubic = std::array<double, 4>;
using test::decades, test::integer, test::rng;
constexpr auto uni = test::uniform;
cubic from_roots(double a, double r1, double r2, double r3) {
  return {a, -a * (r1 + r2 + r3), a * (r1 * r2 + r2 * r3 + r1 * r3), -a * (r1 * r2 * r3)};
}

struct klass {
  const char* name;
  cubic (*make)(rng&);
  double mean_gmp;     // bound on GMP calls per cubic, on average
  int max_gmp;         // and for any single cubic
  double mean_filter;  // bound on filter signs per cubic, on average
  int max_calls;       // filter signs plus GMP calls for any single cubic
  double mean_expansions;  // bound on expansions and enclosures per cubic, on average
};

const klass classes[] = {
    {"ordinary", [](rng& g) { return cubic{uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10)}; },
     0.02, 8, 8, 60, 2.6},
    // The ordinary families beside it: three real roots over decades, a
    // pair beside a real root, and two or three roots close together
    // (relative gaps 10^-7 .. 10^-2), where the cluster's second guesses
    // keep the expansions few.
    {"three real roots", [](rng& g) { return from_roots(decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3)); },
     0.02, 8, 8, 60, 3.5},
    {"complex pairs",
     [](rng& g) {
       const double a = decades(g, -3, 3), r = decades(g, -3, 3), u = decades(g, -3, 3), v = std::fabs(decades(g, -3, 3));
       const double q1 = -2 * u, q0 = u * u + v * v;
       return cubic{a, a * (q1 - r), a * (q0 - r * q1), -a * r * q0};
     },
     0.02, 8, 8, 60, 2.6},
    {"near-multiple roots",
     [](rng& g) {
       const double r1 = decades(g, -3, 3), r2 = r1 * (1 + decades(g, -7, -2));
       const double r3 = integer(g, 0, 1) != 0 ? r1 * (1 + decades(g, -7, -2)) : decades(g, -3, 3);
       return from_roots(1.0, r1, r2, r3);
     },
     0.05, 8, 16, 60, 3.6},  // 3.3: the shifted cubic at a critical point first
    {"quadratics", [](rng& g) { return cubic{0.0, decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3)}; },
     0.02, 8, 8, 60, 2.0},
    {"exact multiple roots",
     [](rng& g) {
       const double p = integer(g, -1000, 1000), q = integer(g, 0, 3) != 0 ? integer(g, -1000, 1000) : p;
       const double s = std::ldexp(1.0, integer(g, -200, 200));  // every coefficient stays exact and normal
       return from_roots(std::ldexp(1.0, integer(g, -200, 200)), p * s, p * s, q * s);
     },
     1.1, 2, 1, 8, 0.0},  // the fractions: the integer discriminant decides the zero
    {"zero coefficients",
     [](rng& g) {
       cubic c{decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3)};
       const int k = integer(g, 0, 5);
       if (k < 3) c[1 + k] = 0.0; else c[1 + (k % 3)] = c[1 + ((k + 1) % 3)] = 0.0;
       return c;
     },
     0.05, 8, 8, 60, 2.0},
    {"roots near the range ends",
     [](rng& g) {
       const double r = integer(g, 0, 1) != 0 ? std::ldexp(uni(g, 1, 2), 1023) : std::ldexp(uni(g, 1, 2), -1060);
       return from_roots(1.0, r, decades(g, -3, 3), decades(g, -3, 3));
     },
     0.05, 8, 16, 60, 2.0},
};

TEST(Exact64Cost, PerClass) {
  for (const klass& k : classes) {
    rng g(42);
    double gmp = 0, filter = 0, expansions = 0;
    const int n = 2000;
    for (int i = 0; i < n; ++i) {
      const cubic c = k.make(g);
      exact64::stats() = {};
      (void)solve_exact_double(c[0], c[1], c[2], c[3]);
      const exact64::counters s = exact64::stats();
      const double m = static_cast<double>(s.exact + s.disc_gmp + s.disc_value_gmp + s.rational);
      const double f = static_cast<double>(s.filter + s.calls);
      gmp += m;
      filter += f;
      expansions += static_cast<double>(s.expansions);
      EXPECT_LE(m, k.max_gmp) << k.name << ": cubic " << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
      EXPECT_LE(m + f, k.max_calls) << k.name << ": cubic " << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    }
    EXPECT_LE(gmp / n, k.mean_gmp) << k.name;
    EXPECT_LE(filter / n, k.mean_filter) << k.name;
    EXPECT_LE(expansions / n, k.mean_expansions) << k.name;
    std::printf("%-28s GMP calls %.4f, filter signs %.3f, expansions %.3f per cubic\n", k.name, gmp / n, filter / n,
                expansions / n);
  }
}

}  // namespace
}  // namespace qubic
