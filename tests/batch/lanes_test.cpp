// The lane routines of the batch path (src/batch/*-inl.hpp), compiled here
// for the compiler's baseline target, against exact rational arithmetic
// (GMP): every sign a filter reports must be the exact sign.  The points
// are those that matter, the midpoints around the correctly rounded parts
// (where p, q and the resolvent are smallest) and the next ones out; the
// contracts' worked examples are replayed beside.  The other targets run
// the same source; tests/batch/batch_test.cpp compares their answers.
#include "batch/targets.hpp"  // before any Highway header

#include <hwy/highway.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gmpxx.h>
#include <gtest/gtest.h>
#include <qubic/exact.hpp>

#include "batch/filters-inl.hpp"
#include "batch/guesses-inl.hpp"
#include "exact/families.hpp"

namespace qubic::batch::HWY_NAMESPACE {
namespace {

double lane(V v) { return hn::GetLane(v); }
V all(double x) { return hn::Set(D(), x); }
int sign_lane(const sign& s) { return hn::AllFalse(D(), s.pos) ? (hn::AllFalse(D(), s.neg) ? 0 : -1) : 1; }

TEST(SolveExactBatchLanes, WorkedExamples) {
  // guesses-inl.hpp: roots 1, 2, 3; and x^3 + 3 = 0, x = -3^(1/3) and
  // 3^(1/3) (1 +- i sqrt 3) / 2 (300-bit mpmath: 1.4422495703074083823,
  // 0.72112478515370419116, 1.2490247664834064794).
  V x0, x1, x2;
  three_guesses(all(1), all(-6), all(11), all(-6), x0, x1, x2);
  EXPECT_LE(std::fabs(lane(x0) - 1), 0x1p-40);
  EXPECT_LE(std::fabs(lane(x1) - 2), 0x1p-39);
  EXPECT_LE(std::fabs(lane(x2) - 3), 0x1p-39);
  V r, u, v;
  M bad = hn::FirstN(D(), 0);
  one_guesses(all(1), all(0), all(0), all(3), r, u, v, bad);
  EXPECT_TRUE(hn::AllFalse(D(), bad));
  EXPECT_LE(std::fabs(lane(r) + 1.4422495703074083823), 0x1p-40);
  EXPECT_LE(std::fabs(lane(u) - 0.72112478515370419116), 0x1p-40);
  EXPECT_LE(std::fabs(lane(v) - 1.2490247664834064794), 0x1p-40);
}

// The cells of a power of two and of special floats: the ends beside the
// overflow threshold and around zero (cells.hpp), worked by hand.
TEST(SolveExactBatchLanes, CellsAtTheEdges) {
  const double edge = 0x1p128 - 0x1p103;
  const struct { const char* why; double x, f, lo, hi; } cases[] = {
      {"2: the cell below half as wide as the one above", 2, 2, 2 - 0x1p-24, 2 + 0x1p-23},
      {"FLT_MAX: up to the overflow threshold", 0x1.fffffep127, 0x1.fffffep127, 0x1.fffffep127 - 0x1p103, edge},
      {"-FLT_MAX", -0x1.fffffep127, -0x1.fffffep127, -edge, -0x1.fffffep127 + 0x1p103},
      {"+inf: above the threshold", 1e300, HUGE_VAL, edge, HUGE_VAL},
      {"-inf", -1e300, -HUGE_VAL, -HUGE_VAL, -edge},
      {"a tiny value rounds to the cell of 0", 1e-60, 0, -0x1p-150, 0x1p-150},
      {"the smallest subnormal", 0x1p-149, 0x1p-149, 0x1p-150, 0x1.8p-149},
      {"minus the smallest subnormal", -0x1p-149, -0x1p-149, -0x1.8p-149, -0x1p-150},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const cell k = cell_of(all(c.x));
    EXPECT_EQ(lane(k.f), c.f);
    EXPECT_EQ(lane(k.lo), c.lo);
    EXPECT_EQ(lane(k.hi), c.hi);
  }
}

// p, q (docs/exact.md section 4) and the resolvent R(-4 a^2 m^2) exactly.
struct exact_cubic {
  mpq_class a, b, c, d;
  mpq_class p(const mpq_class& m) const { return ((a * m + b) * m + c) * m + d; }
  mpq_class q(const mpq_class& m) const {
    return ((8 * a * a * m + 8 * a * b) * m + 2 * (b * b + a * c)) * m + (b * c - a * d);
  }
  mpq_class disc() const {
    return 18 * a * b * c * d - 4 * b * b * b * d + b * b * c * c - 4 * a * c * c * c - 27 * a * a * d * d;
  }
  mpq_class resolvent(const mpq_class& m) const {
    const mpq_class t = -4 * a * a * m * m, P = 3 * a * c - b * b, tp = t + P;
    return t * tp * tp - a * a * disc();
  }
};

TEST(SolveExactBatchLanes, FilterSignsAreExact) {
  int decided = 0, checked = 0;
  for (const test::family& fam : test::families) {
    SCOPED_TRACE(fam.name);
    test::rng g = test::family_rng(fam);
    for (int n = 0; n < 150; ++n) {
      const test::cubic cf = fam.make(g);
      if (!std::isfinite(cf[0]) || !std::isfinite(cf[1]) || !std::isfinite(cf[2]) || !std::isfinite(cf[3]) || cf[0] == 0) continue;
      const V a = all(cf[0]), b = all(cf[1]), c = all(cf[2]), dd = all(cf[3]);
      const exact_cubic e{mpq_class(cf[0]), mpq_class(cf[1]), mpq_class(cf[2]), mpq_class(cf[3])};
      V dv, de;
      const int sd = sign_lane(disc_filter(a, b, c, dd, dv, de));
      const mpq_class disc = e.disc();
      ASSERT_TRUE(sd == 0 || sd == sgn(disc)) << "disc";
      // |computed disc - disc| <= de, which the resolvent filter relies on.
      ASSERT_LE(abs(mpq_class(lane(dv)) - disc), mpq_class(lane(de)));
      const solution s = solve_exact(cf[0], cf[1], cf[2], cf[3]);
      const resolvent rt = resolvent_terms(a, b, c, bd{dv, de});
      for (int k = 0; k < 3; ++k) {
        const float re = s.root[k].real(), im = s.root[k].imag();
        if (!std::isfinite(re) || !std::isfinite(im)) continue;
        // The part's cell and the cells beside it.
        for (const float x : {re, std::fabs(im)}) {
          for (const float f : {std::nextafter(x, -HUGE_VALF), x, std::nextafter(x, HUGE_VALF)}) {
            const cell kc = cell_of(all(f));
            for (const V m : {kc.lo, kc.hi}) {
              const double md = lane(m);
              if (!std::isfinite(md)) continue;
              const mpq_class mq(md);
              int got = sign_lane(horner3(a, b, c, dd, m, all(0x1p-50)));
              ASSERT_TRUE(got == 0 || got == sgn(e.p(mq))) << "p at " << md;
              decided += got != 0;
              const V q3 = hn::Mul(all(8.0), hn::Mul(a, a)), q2 = hn::Mul(all(8.0), hn::Mul(a, b));
              const V q1 = hn::Mul(all(2.0), hn::Add(hn::Mul(b, b), hn::Mul(a, c)));
              const V q0 = hn::Sub(hn::Mul(b, c), hn::Mul(a, dd));
              got = sign_lane(horner3(q3, q2, q1, q0, m, all(0x1p-49)));
              ASSERT_TRUE(got == 0 || got == sgn(e.q(mq))) << "q at " << md;
              if (sd < 0 && md >= 0) {
                got = sign_lane(resolvent_filter(rt, m));
                ASSERT_TRUE(got == 0 || got == sgn(e.resolvent(mq))) << "resolvent at " << md;
                decided += got != 0;
              }
              checked += 3;
            }
          }
        }
      }
    }
  }
  EXPECT_GT(decided, checked / 3);  // the filters decide, not only abstain
}

}  // namespace
}  // namespace qubic::batch::HWY_NAMESPACE
