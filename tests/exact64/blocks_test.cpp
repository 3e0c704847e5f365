// Building blocks of the double engine against exact rationals (GMP mpq):
// exponents and powers of two, the wide double-double's bounds, dot2 under
// cancellation, keys and midpoints at the subnormal and overflow edges, the
// search's ties, the frame filter's signs, and the rounding of a fraction
// (against the hardware's correctly rounded division).
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include <gmpxx.h>
#include <gtest/gtest.h>

#include "exact/reference.hpp"

#include "exact64/big64.hpp"
#include "exact64/cubic64.hpp"
#include "exact64/stats64.hpp"
#include "exact64/dot2.hpp"
#include "exact64/keys.hpp"
#include "exact64/pair64.hpp"
#include "exact64/poly64.hpp"
#include "exact64/wide.hpp"

namespace qubic::exact64 {
namespace {

mpq_class pow2q(long n) {
  mpz_class z = 1;
  if (n >= 0) return mpq_class(z << static_cast<mp_bitcnt_t>(n));
  return mpq_class(mpz_class(1), z << static_cast<mp_bitcnt_t>(-n));
}
mpq_class q_of(double x) { return mpq_class(x); }
mpq_class q_of(const wdd& w) { return (q_of(w.h) + q_of(w.l)) * pow2q(w.x); }
mpq_class q_of(const point& p) { return (q_of(p.B) + p.s * pow2q(p.ell)) * pow2q(p.sigma); }
// True when the exact x lies within w's bound.
bool holds(const mpq_class& x, const wdd& w) { return abs(x - q_of(w)) <= q_of(w.e) * pow2q(w.x); }
// 3 disc / 3 of a3 x^3 + a2 x^2 + a1 x + a0, exactly.
mpq_class disc_q(double a, double b, double c, double d) {
  const mpq_class A = q_of(a), B = q_of(b), C = q_of(c), D = q_of(d);
  return 18 * A * B * C * D - 4 * B * B * B * D + B * B * C * C - 4 * A * C * C * C - 27 * A * A * D * D;
}
std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

TEST(Exact64Blocks, SplitAndPow2) {
  const struct { double x, m; int e; } rows[] = {
      {0x1p-1074, 1.0, -1074},           // the smallest subnormal
      {0x1.8p-1070, 1.5, -1070},         // a subnormal with two bits
      {-6.0, -1.5, 2},                   // sign kept in the mantissa
      {0x1.fffffffffffffp1023, 0x1.fffffffffffffp0, 1023},
  };
  for (const auto& r : rows) {
    const mant_exp me = split_exp(r.x);
    EXPECT_EQ(me.m, r.m) << r.x;
    EXPECT_EQ(me.e, r.e) << r.x;
  }
  EXPECT_EQ(pow2(-1074), 0x1p-1074);
  EXPECT_EQ(pow2(-1075), 0.0);
  EXPECT_EQ(pow2(1023), 0x1p1023);
  EXPECT_EQ(pow2(1024), std::numeric_limits<double>::infinity());
}

// Products and sums of wdd values whose exponents run far beyond double's
// range, each compared with the exact rational result: the bound holds.
TEST(Exact64Blocks, WideBoundsHold) {
  std::mt19937_64 g(7);
  std::uniform_real_distribution<double> m(1.0, 2.0);
  std::uniform_int_distribution<int> ex(-1074, 1023);
  for (int i = 0; i < 2000; ++i) {
    const double x = std::ldexp(m(g), ex(g)) * (i % 2 ? -1 : 1), y = std::ldexp(m(g), ex(g));
    const wdd a = wdd_of(x) * wdd_of(y), b = wdd_of(y) * wdd_of(y) * wdd_of(x);
    const mpq_class qa = q_of(x) * q_of(y), qb = q_of(y) * q_of(y) * q_of(x);
    ASSERT_TRUE(holds(qa, a)) << x << " " << y;
    ASSERT_TRUE(holds(qb, b));
    ASSERT_TRUE(holds(qa * qb, a * b));
    ASSERT_TRUE(holds(qa + qb, a + b));
    ASSERT_TRUE(holds(qa - qa * q_of(1.0 + 0x1p-52), a - a * wdd_of(1.0 + 0x1p-52)));  // cancellation
  }
}

TEST(Exact64Blocks, Dot2IsExactUnderCancellation) {
  const double p = 1.0 + 0x1p-52;
  // (1 + 2^-52)^2 - (1 + 2^-51) = 2^-104, by hand.
  const wdd w = dot2(p, p, 1, 1.0 + 0x1p-51, 1.0, -1);
  EXPECT_EQ(q_of(w), pow2q(-104));
  EXPECT_TRUE(holds(pow2q(-104), w));
  std::mt19937_64 g(8);
  std::uniform_real_distribution<double> m(1.0, 2.0);
  for (int i = 0; i < 2000; ++i) {
    const double a = std::ldexp(m(g), i % 40 - 20), b = std::ldexp(m(g), 3), c = std::ldexp(m(g), i % 7);
    const double d = a * b / c;  // a b - c d cancels to a few bits
    const mpq_class exact = q_of(a) * q_of(b) * 3 - q_of(c) * q_of(d) * 3;
    const wdd r = dot2(a, b, 3, c, d, -3);
    ASSERT_TRUE(holds(exact, r));
    ASSERT_LE(q_of(r.e) * pow2q(r.x), abs(exact) * pow2q(-100)) << "relative to the result";
  }
}

// The integer level of the discriminant against 3 disc in exact rationals:
// where it decides, its sign is exact and its value within its bound and
// 2^-104 of 3 disc (as GMP's value); it abstains when a form's products lie more than 14
// apart in exponent, or when lone products put 4AC and B^2 more than 63
// apart (the rows at both sides of each limit are worked by hand).
TEST(Exact64Blocks, IntegerDiscriminant) {
  auto check = [&](double a, double b, double c, double d) {
    const disc_exact r = disc3_exact(a, b, c, d);
    const mpq_class x = 3 * disc_q(a, b, c, d);
    if (!r.ok) return false;
    EXPECT_EQ(r.sign, sgn(x)) << a << " " << b << " " << c << " " << d;
    EXPECT_TRUE(holds(x, r.value)) << a << " " << b << " " << c << " " << d;
    EXPECT_LE(abs(x - q_of(r.value)), abs(x) * pow2q(-104)) << a << " " << b << " " << c << " " << d;
    return true;
  };
  const double s = 1.0 + 0x1p-52;
  enum { abstains, decides, either };
  const struct { const char* why; double a, b, c, d; int expect; } rows[] = {
      {"(x - 1)(x - 2)(x - 3): 3 disc = 12", 1, -6, 11, -6, decides},
      {"x^3 + 3: 3 disc = -729", 1, 0, 0, 3, decides},
      {"(x - 1)^2 (x - 2): zero", 1, -4, 5, -2, decides},
      {"(x - 1)^3: A = B = C = 0", 1, -3, 3, -1, decides},
      {"(x - s)^3 rounded, s = 1 + 2^-52: forms 1 or 2 apart", 1, -3 * s, 3 * (s * s), -(s * s * s), decides},
      {"A: b^2 and 3ac 14 apart", 1, 0x1p7, 1, 1, decides},
      {"A: 16 apart", 1, 0x1p8, 1, 1, abstains},
      {"b = 0, lone products: 4AC and B^2 62 apart", 1, 0, 0x1p20, 1, decides},
      {"b = 0, lone products: 65 apart", 1, 0, 0x1p21, 1, abstains},
      {"subnormal a and d", 0x1p-1074, 0x1.8p-1000, -0x1.4p-1000, 0x1.cp-1070, either},
      {"coefficients near the top of the range", 0x1.8p1000, -0x1.9p1001, 0x1.3p1001, -0x1.fp999, decides},
  };
  for (const auto& r : rows) {
    const bool ok = check(r.a, r.b, r.c, r.d);
    if (r.expect != either) { EXPECT_EQ(ok, r.expect == decides) << r.why; }
  }
  // Clusters (the cancellation the level exists for) and coefficients over
  // wide exponents: every decision exact, and clusters always decided.
  std::mt19937_64 g(9);
  std::uniform_real_distribution<double> m(1.0, 2.0);
  std::uniform_int_distribution<int> gap(4, 60), ex(-300, 300);
  int decided = 0;
  for (int i = 0; i < 3000; ++i) {
    const double r1 = m(g) * (i % 2 ? -1 : 1), r2 = r1 * (1 + std::ldexp(m(g), -gap(g)));
    const double r3 = r1 * (i % 3 == 0 ? 1 - std::ldexp(m(g), -gap(g)) : std::ldexp(m(g), i % 5));  // one sign: no form cancels in its products
    const double k = std::ldexp(1.0, ex(g));
    EXPECT_TRUE(check(k, -k * (r1 + r2 + r3), k * (r1 * r2 + r2 * r3 + r1 * r3), -k * (r1 * r2 * r3)));
    decided += check(std::ldexp(m(g), ex(g)), -std::ldexp(m(g), ex(g)), std::ldexp(m(g), ex(g)), std::ldexp(m(g), ex(g)));
  }
  EXPECT_GT(decided, 0);
}

// disc() against the exact sign on clusters scaled to the ends of the
// first filter's direct range (|coefficients| in [2^-120, 2^136)) and
// beyond, where its terms would overflow or fall among the subnormals.
TEST(Exact64Blocks, DiscriminantSignAcrossScales) {
  std::mt19937_64 g(10);
  std::uniform_real_distribution<double> m(1.0, 2.0);
  std::uniform_int_distribution<int> gap(20, 40);
  const int scales[] = {-280, -268, -121, -120, 0, 132, 135, 136, 250};
  for (int i = 0; i < 400; ++i) {
    const double r1 = m(g), r2 = r1 * (1 + std::ldexp(m(g), -gap(g))), r3 = i % 2 ? -m(g) : r1 * (1 - std::ldexp(m(g), -gap(g)));
    for (const int k : scales) {
      const double a = std::ldexp(1.0, k), b = -a * (r1 + r2 + r3), c = a * (r1 * r2 + r2 * r3 + r1 * r3), d = -a * (r1 * r2 * r3);
      cubic64 s(a, b, c, d);
      ASSERT_EQ(s.disc(), sgn(disc_q(a, b, c, d))) << "2^" << k << ": " << a << " " << b << " " << c << " " << d;
    }
  }
}

TEST(Exact64Blocks, MidpointsAtTheEdges) {
  const struct { const char* why; std::int64_t j; mpq_class value; } rows[] = {
      {"mid(0): half the smallest subnormal", 0, pow2q(-1075)},
      {"mid(-1) mirrors it", -1, -pow2q(-1075)},
      {"the last subnormal midpoint", (std::int64_t{1} << 52) - 1, (pow2q(53) - 1) * pow2q(-1075)},
      {"above the smallest normal", std::int64_t{1} << 52, pow2q(-1022) + pow2q(-1075)},
      {"above 1", key(1.0), 1 + pow2q(-53)},
      {"below 1", key(1.0) - 1, 1 - pow2q(-54)},
      {"the overflow threshold", inf_key - 1, pow2q(1024) - pow2q(970)},
      {"its mirror", -inf_key, pow2q(970) - pow2q(1024)},
  };
  for (const auto& r : rows) EXPECT_EQ(q_of(mid(r.j)), r.value) << r.why;
  EXPECT_EQ(key(-0.0), 0);
  EXPECT_EQ(key_double(inf_key), std::numeric_limits<double>::infinity());
  EXPECT_EQ(key_double(-1), -0x1p-1074);
}

TEST(Exact64Blocks, SearchRoundsTiesToEven) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct { const char* why; mpq_class x; double rounded; double guess; } rows[] = {
      {"3 * 2^-1075 ties to the even 2^-1073", 3 * pow2q(-1075), 0x1p-1073, 1.0},
      {"2^-1075 ties to +0", pow2q(-1075), 0.0, 0x1p-1074},
      {"1 + 2^-53 ties to 1", 1 + pow2q(-53), 1.0, -5.0},
      {"the overflow threshold ties to inf", pow2q(1024) - pow2q(970), inf, 1.0},
      {"just below it", pow2q(1024) - pow2q(970) - 1, 0x1.fffffffffffffp1023, inf},
      {"a negative tie", -(3 * pow2q(-1075)), -0x1p-1073, 0.0},
      {"far from the guess", mpq_class(1, 3), 0x1.5555555555555p-2, 1e300},
  };
  for (const auto& r : rows) {
    auto side = [&](std::int64_t j) { return sgn(r.x - q_of(mid(j))); };
    EXPECT_EQ(key_double(round_by_search(side, key(r.guess))), r.rounded) << r.why;
  }
}

// The frame filter at midpoints near the roots of seeded cubics with
// coefficients over the whole range: never a wrong sign, and decided at
// least at most points.
TEST(Exact64Blocks, FrameFilterNeverLies) {
  std::mt19937_64 g(9);
  std::uniform_real_distribution<double> m(-2.0, 2.0);
  std::uniform_int_distribution<int> ex(-300, 300), spread(-3, 3);
  int decided = 0, total = 0;
  for (int i = 0; i < 300; ++i) {
    // a3, a2, a1 at the scale of r, and a0 chosen so that r is a root up to
    // the rounding of a0: the midpoints around r lie within a few ulps of it.
    const int e0 = ex(g);
    const double r = std::ldexp(m(g), e0);
    double c[4] = {std::ldexp(m(g), spread(g)), std::ldexp(m(g), e0 + spread(g)), std::ldexp(m(g), 2 * e0), 0.0};
    c[3] = -(((c[0] * r + c[1]) * r + c[2]) * r);
    poly64 p;
    for (int k = 0; k < 4; ++k) p.c[k] = wdd_of(c[3 - k]);
    const std::int64_t k0 = key(r);
    auto at = [&](std::int64_t j) {
      const mpq_class x = q_of(mid(j));
      return sgn(((q_of(c[0]) * x + q_of(c[1])) * x + q_of(c[2])) * x + q_of(c[3]));
    };
    for (std::int64_t j = k0 - 3; j <= k0 + 3; ++j) {
      const int exact = at(j), s = p.sign(mid(j));
      ++total;
      if (s != 0) {
        ++decided;
        ASSERT_EQ(s, exact) << i << " " << j;
      }
      if (std::isnormal(key_double(j))) {
        const around_result a = p.around(key_double(j));
        if (a.lo != 0) { ASSERT_EQ(a.lo, at(j - 1)); }
        if (a.hi != 0) { ASSERT_EQ(a.hi, exact); }
      }
    }
  }
  EXPECT_GT(decided, total * 9 / 10);
}

// round_ratio of two doubles is the hardware's division, which IEEE 754
// rounds once to nearest even, subnormal and overflowing results included.
TEST(Exact64Blocks, RatioRoundsLikeDivision) {
  std::mt19937_64 g(10);
  std::uniform_real_distribution<double> m(1.0, 2.0);
  std::uniform_int_distribution<int> ex(-1074, 1023);
  dyadic n, q;
  for (int i = 0; i < 3000; ++i) {
    const double x = std::ldexp(m(g), ex(g)) * (i % 3 == 0 ? -1 : 1), y = std::ldexp(m(g), ex(g));
    n.set(x);
    q.set(y);
    bool lost = false;
    const double r = round_ratio(n, q, &lost);
    ASSERT_EQ(r, x / y) << x << " / " << y;
    ASSERT_EQ(std::signbit(r), std::signbit(x / y));
    ASSERT_EQ(lost, x / y == 0.0);
  }
  n.set(0x1p-1074);  // 2^-1075: a tie between 0 and 2^-1074, to +0
  q.set(2.0);
  bool lost = false;
  EXPECT_EQ(round_ratio(n, q, &lost), 0.0);
  EXPECT_TRUE(lost);
}

// The worked examples in the contracts of wide.hpp, frame.hpp, poly64.hpp,
// cubic64.hpp and cubic64.cpp, worked by hand (2^(1/3) to 20 digits from
// 300-bit mpmath: 1.2599210498948731648).
TEST(Exact64Blocks, WorkedExamples) {
  const wdd third = wdd_of(0x1.5555555555555p-2) * wdd_of(3.0);
  EXPECT_EQ(q_of(third), 1 - pow2q(-54));
  EXPECT_LT(third.e * pow2(third.x), 0x1p-102);
  poly64 p;
  p.c[0] = wdd_of(-2.0);
  p.c[3] = wdd_of(1.0);
  const double x = 0x1.428a2f98d728bp+0;
  const taylor t = expand(p.frame(0), x);
  EXPECT_EQ(sign_at(t, -0x1p-53), -1);
  EXPECT_EQ(sign_at(t, 0x1p-53), 1);
  const around_result r = p.around(x);
  EXPECT_EQ(r.lo, -1);
  EXPECT_EQ(r.hi, 1);
  cubic64 s(1.0, 0.0, 0.0, 3.0);  // x^3 + 3: disc = -243
  EXPECT_EQ(s.disc(), -1);
  EXPECT_EQ(s.p(point{-1.5, 0, 0, 0}), -1);  // -27/8 + 3
  EXPECT_EQ(s.q(point{0.75, 0, 0, 0}), 1);   // 8 m^3 - 3
  EXPECT_EQ(s.im_side(point{1.25, 0, 0, 0}), -1);
  stats() = {};
  cubic64 t3(1.0, -6.0, 11.0, -6.0);  // disc = 4, decided by the first filter
  EXPECT_EQ(t3.disc(), 1);
  EXPECT_EQ(stats().disc1, 0u);
}

// The pair's enclosure against the exact reference: a part it calls ok is
// the correctly rounded one, from guesses right, a few units off and far
// off; and on pairs away from the real root and from the axes it does
// decide (else the fast path would be dead code and this test says so).
TEST(Exact64Blocks, PairEnclosure) {
  {  // the worked example of pair64.hpp: x^3 + 3 from a guess 2^-33 off
    poly64 p;
    p.c[0] = wdd_of(3.0);
    p.c[3] = wdd_of(1.0);
    const double u0 = 0x1.71374491p-1, v0 = 0x1.3fc0164cp+0;
    const pair_parts r = enclose_pair(p.frame(0), 0, u0, v0, u0, v0);
    EXPECT_TRUE(r.u_ok && r.v_ok);
    EXPECT_EQ(r.u, 0x1.7137449123ef6p-1);
    EXPECT_EQ(r.v, 0x1.3fc0164bf0b56p+0);
  }
  {  // (x + 2)(x^2 - 2u x + 8), u = 1 + 2^-53 exactly halfway between two
     // doubles: u must stay open (the search rounds the tie), v is decided
    poly64 p;
    const double c[4] = {16.0, 4.0 - 0x1p-51, -0x1p-52, 1.0};
    for (int k = 0; k < 4; ++k) p.c[k] = wdd_of(c[k]);
    const solution_double want = test::reference_double(c[3], c[2], c[1], c[0]);
    ASSERT_EQ(want.root[1].real(), 1.0);  // ties to the even pattern
    const pair_parts r = enclose_pair(p.frame(1), 1, 0.5, want.root[1].imag() / 2, 1.0, want.root[1].imag());
    EXPECT_FALSE(r.u_ok);
    EXPECT_TRUE(r.v_ok);
    EXPECT_EQ(bits(r.v), bits(want.root[1].imag()));
  }
  struct regime {
    const char* why;
    int lo, hi;         // exponents of u and v, drawn independently in [lo, hi]
    int spread;         // the real root's exponent differs from v's by up to this
    double min_ok;      // fraction of parts that must be decided
  };
  const regime regimes[] = {
      {"parts of one size, real root near them", 0, 2, 2, 0.95},
      {"parts apart by up to 2^20", -10, 10, 4, 0.9},
      {"a real root far from the pair", -3, 3, 40, 0.9},
      {"parts near the ends of what the frame takes (2^30 apart)", -15, 15, 2, 0.0},
  };
  std::mt19937_64 g(16);
  std::uniform_real_distribution<double> m(1.0, 2.0);
  // Guess errors in units of the last place: the first four must be decided
  // (one Newton step of the enclosure covers them); from 2^30 and 2^40 units
  // the step leaves errors of many units, which only a bound that omits a
  // term would certify.
  const struct { double off; bool counted; } offsets[] = {
      {0.0, true}, {3.0, true}, {1024.0, true}, {0x1p20, true}, {0x1p30, false}, {0x1p40, false}};
  for (const regime& rg : regimes) {
    SCOPED_TRACE(rg.why);
    std::uniform_int_distribution<int> ex(rg.lo, rg.hi), sp(-rg.spread, rg.spread);
    int decided = 0, tried = 0;
    for (int n = 0; n < 200; ++n) {
      const double u = std::ldexp(m(g), ex(g)) * (n % 2 != 0 ? -1.0 : 1.0);
      const int ev = ex(g);
      const double v = std::ldexp(m(g), ev), r = std::ldexp(m(g), ev + sp(g)) * (n % 3 == 0 ? -1.0 : 1.0);
      // (x - r)(x^2 - 2u x + u^2 + v^2) with its coefficients rounded: the
      // reference decides the exact roots of the rounded cubic.
      const double q1 = -2.0 * u, q0 = u * u + v * v;
      const double c[4] = {-r * q0, q0 - r * q1, q1 - r, 1.0};
      const solution_double want = test::reference_double(c[3], c[2], c[1], c[0]);
      if (want.root[2].imag() == 0.0) continue;  // the rounding made three real roots
      poly64 p;
      for (int k = 0; k < 4; ++k) p.c[k] = wdd_of(c[k]);
      const double wu = want.root[1].real(), wv = want.root[1].imag();
      for (const auto& [off, counted] : offsets) {
        const double u0 = wu + off * std::ldexp(0x1p-52, exponent(wu));
        const double v0 = wv - off * std::ldexp(0x1p-52, exponent(wv));
        const int e = exponent(std::fabs(u0) > v0 ? u0 : v0);
        const double U = std::fabs(u0 * pow2(-e)) < 0x1p-30 ? 0.0 : u0 * pow2(-e), V = v0 * pow2(-e);
        if (V < 0x1p-30) continue;  // outside the enclosure's domain (the engine searches)
        const pair_parts got = enclose_pair(p.frame(e), e, U, V, u0, v0);
        if (got.u_ok) { EXPECT_EQ(bits(got.u), bits(wu)) << std::hexfloat << c[3] << " " << c[2] << " " << c[1] << " " << c[0]; }
        if (got.v_ok) { EXPECT_EQ(bits(got.v), bits(wv)) << std::hexfloat << c[3] << " " << c[2] << " " << c[1] << " " << c[0]; }
        if (counted) {
          decided += static_cast<int>(got.u_ok) + static_cast<int>(got.v_ok);
          tried += 2;
        }
      }
    }
    EXPECT_GE(decided, rg.min_ok * tried) << decided << " of " << tried;
  }
}

}  // namespace
}  // namespace qubic::exact64
