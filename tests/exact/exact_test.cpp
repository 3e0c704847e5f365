// solve_exact() and qubic_exact() against the exact rational reference
// (exact/reference.cpp), over seeded families of cubics, and the named
// examples against true values worked with 400-bit mpmath.  Zero departures:
// every flag, every written entry and every bit of every written part.
//
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='Exact.*'   (100 times the cubics)
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "exact/reference.hpp"
#include "exact/stats.hpp"

namespace qubic {
namespace {

using test::bits;
using test::from_bits;
using cubic = std::array<float, 4>;  // a3, a2, a1, a0

// Per root its flag and the bits of both parts; an unwritten root's parts
// print as the quiet NaN when both are NaN.  Equal text, equal answers.
std::string show(const solution& s) {
  std::string out;
  for (int k = 0; k < 3; ++k) {
    const bool blank = !s.written[k] && std::isnan(s.root[k].real()) && std::isnan(s.root[k].imag());
    const float re = blank ? test::nan : s.root[k].real(), im = blank ? test::nan : s.root[k].imag();
    char buf[128];
    std::snprintf(buf, sizeof buf, "  flag %d, %s: %08X %08X (%.9g %+.9gi)\n", s.flag[k], s.written[k] ? "written" : "not written",
                  bits(re), bits(im), static_cast<double>(re), static_cast<double>(im));
    out += buf;
  }
  return out;
}

// qubic_exact() on outputs prefilled with the sentinel NaN: a root counts as
// written when either part lost the sentinel.
solution by_reference(const cubic& c) {
  roots re{{test::sentinel(), test::sentinel(), test::sentinel()}}, im = re;
  flags fl{{7, 7, 7}};
  qubic_exact(coeffs{{c[3], c[2], c[1], c[0]}}, re, im, fl);
  solution s;
  for (int k = 0; k < 3; ++k) {
    s.flag[k] = fl(k + 1);
    s.written[k] = bits(re(k + 1)) != test::sentinel_bits || bits(im(k + 1)) != test::sentinel_bits;
    s.root[k] = {re(k + 1), im(k + 1)};
  }
  return s;
}

// "" when the engine, in both call forms, agrees with the reference; else the
// coefficients (hexfloat and bits) and the answers.
std::string departure(const cubic& c) {
  const std::string r = show(test::reference(c[0], c[1], c[2], c[3])), e = show(solve_exact(c[0], c[1], c[2], c[3])),
                    b = show(by_reference(c));
  if (e == r && b == r) return "";
  std::string out = "a3 a2 a1 a0:";
  for (const float x : c) (out += ' ') += test::show(x);
  out += "\nsolve_exact:\n" + e;
  if (b != e) (out += "qubic_exact:\n") += b;
  return out + "reference:\n" + r;
}

// ---------------------------------------------------------------------------
// Families.  Coefficients computed in double are rounded once to float: the
// cubic solved is the rounded one.  Draws are sequenced (initialiser lists,
// one declaration each) so that every compiler makes the same cubics.

using rng = std::mt19937_64;
double uniform(rng& g, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g); }
int integer(rng& g, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g); }
float f(double x) { return static_cast<float>(x); }

// 10^x, x uniform in [lo, hi], of random sign when any_sign.
double decades(rng& g, double lo, double hi, bool any_sign = true) {
  const double m = std::pow(10.0, uniform(g, lo, hi));
  return any_sign && integer(g, 0, 1) == 1 ? -m : m;
}

// Four coefficients, each from draw.
cubic four(rng& g, float (*draw)(rng&)) { return {draw(g), draw(g), draw(g), draw(g)}; }

// a3 (x - r0)(x - r1)(x - r2), expanded in double (a pair's imaginary parts cancel exactly).
cubic from_roots(double a3, const std::array<std::complex<double>, 3>& r) {
  const std::complex<double> s = r[0] + r[1] + r[2], p = r[0] * r[1] + r[0] * r[2] + r[1] * r[2], q = r[0] * r[1] * r[2];
  return {f(a3), f(-a3 * s.real()), f(a3 * p.real()), f(-a3 * q.real())};
}

// 2^k (x - p 2^j)^2 (x - q 2^j), integers |p|, |q| <= 128 (q = p for a triple root): every step exact.
cubic multiple(rng& g) {
  const double p = integer(g, -128, 128), q = integer(g, 0, 3) != 0 ? integer(g, -128, 128) : p;
  const double s = std::ldexp(1.0, integer(g, -30, 30)), a3 = std::ldexp(1.0, integer(g, -30, 30));
  return from_roots(a3, {p * s, p * s, q * s});
}

// a3 (x - r)((x - u)^2 + v^2) from {a3, r, u, v}.
cubic from_pair(const std::array<double, 4>& x) { return from_roots(x[0], {x[1], {x[2], x[3]}, {x[2], -x[3]}}); }

// The batch program's reference mix (bench/make-test6.py): 40% three real
// roots, 40% a real root and a pair, 20% independent coefficients, over
// several decades.
cubic reference_mix(rng& g) {
  const double kind = uniform(g, 0, 1), a3 = decades(g, -2, 2), s = std::pow(10.0, uniform(g, -2, 3));
  if (kind < 0.4) return from_roots(a3, {s * uniform(g, -1, 1), s * uniform(g, -1, 1), s * uniform(g, -1, 1)});
  if (kind < 0.8) return from_pair({a3, s * uniform(g, -1, 1), s * uniform(g, -1, 1), s * uniform(g, 0.01, 1)});
  return four(g, [](rng& h) { return f(decades(h, -3, 3)); });
}

// 2^k (p x - q)^2 (r x - s), or (p x - q)^3, with its roots scaled by 2^j
// (coefficient i times 2^(k - i j)): small integers, so every coefficient
// is exact when it lies in the float range; drawn again until it does.
cubic multiple_over_range(rng& g) {
  for (;;) {
    const double p = integer(g, 1, 15), q = integer(g, -127, 127), r = integer(g, 1, 15), s = integer(g, -127, 127);
    const bool triple = integer(g, 0, 3) == 0;
    const double c3 = triple ? p * p * p : p * p * r, c2 = triple ? -3 * p * p * q : -(p * p * s + 2 * p * q * r),
                 c1 = triple ? 3 * p * q * q : q * q * r + 2 * p * q * s, c0 = triple ? -q * q * q : -q * q * s;
    const int j = integer(g, -40, 40), k = integer(g, -140, 120);
    const cubic c{f(std::ldexp(c3, k - 3 * j)), f(std::ldexp(c2, k - 2 * j)), f(std::ldexp(c1, k - j)), f(std::ldexp(c0, k))};
    const double want[4] = {std::ldexp(c3, k - 3 * j), std::ldexp(c2, k - 2 * j), std::ldexp(c1, k - j), std::ldexp(c0, k)};
    if (c[0] == want[0] && c[1] == want[1] && c[2] == want[2] && c[3] == want[3]) return c;
  }
}

// x moved by n units in the last place (its bit pattern plus n).
float moved(float x, int n) { return from_bits(bits(x) + static_cast<std::uint32_t>(n)); }

struct family { const char* name; int count; cubic (*make)(rng&); };

const family families[] = {
    // The ordinary cubic the costs are measured against (CostsWithinBounds).
    {"reference mix", 1000, reference_mix},
    // Coefficients uniform in [-10, 10].
    {"ordinary", 1500, [](rng& g) { return four(g, [](rng& h) { return f(uniform(h, -10, 10)); }); }},
    // Three real roots of either sign, each within 10^-12 .. 10^12.
    {"three real roots over decades", 1000,
     [](rng& g) { return from_roots(1, {decades(g, -12, 12), decades(g, -12, 12), decades(g, -12, 12)}); }},
    // a3 of 10^-5 .. 10^5, a real root and a pair u +- iv, each part within 10^-10 .. 10^10.
    {"complex pairs", 1000,
     [](rng& g) { return from_pair({decades(g, -5, 5, false), decades(g, -10, 10), decades(g, -10, 10), decades(g, -10, 10, false)}); }},
    // Double and triple roots with exact float coefficients (multiple() above).
    {"exact multiple roots", 500, multiple},
    // Double and triple roots, rational (1/3, -7/5, ...) or integer, over the whole range (multiple_over_range()).
    {"exact multiple roots over the range", 1000, multiple_over_range},
    // Quadratics and linear polynomials (a3 = +-0) over decades, and each coefficient zero with probability 1/4.
    {"quadratics", 1000,
     [](rng& g) {
       cubic c = four(g, [](rng& h) { return integer(h, 0, 3) == 0 ? 0.0f : f(decades(h, -3, 3)); });
       c[0] = integer(g, 0, 1) == 1 ? 0.0f : -0.0f;
       return c;
     }},
    // Ties: the pair's real part -c/(2b) = o 2^-150 (o odd) halfway between two subnormals, b = +-2^k; a linear
    // root o 2^-150; with probability 1/2 one coefficient then moved by a unit or two (a near-tie).
    {"quadratic and linear ties", 1000,
     [](rng& g) {
       const int o = 2 * integer(g, 0, 1 << 22) + 1, k = integer(g, 1, 100), j = integer(g, -60, 20);
       const double b = integer(g, 0, 1) == 1 ? -std::ldexp(1, k) : std::ldexp(1, k), w = std::ldexp(uniform(g, 0.1, 8), j);
       cubic c = integer(g, 0, 1) == 1 ? cubic{0, f(b), f(-std::copysign(std::ldexp(o, k - 149), b)), f(b * w)}
                                       : cubic{0, 0, f(std::ldexp(1, k)), f(-std::ldexp(o, k - 150))};
       if (integer(g, 0, 1) == 1) {
         const int at = integer(g, 1, 3);
         if (c[at] != 0) c[at] = moved(c[at], integer(g, 0, 1) == 1 ? integer(g, 1, 2) : -integer(g, 1, 2));
       }
       return c;
     }},
    // Each coefficient +-0 with probability 1/2, else of 10^-3 .. 10^3: zero roots, lower degrees, x^3 + d, ...
    {"zero coefficients in every position", 1000,
     [](rng& g) { return four(g, [](rng& h) { return integer(h, 0, 1) == 1 ? (integer(h, 0, 1) == 1 ? 0.0f : -0.0f) : f(decades(h, -3, 3)); }); }},
    // |a2/a3| up to 2^276: a3 of 10^-45 .. 10^-25 or a few units of 2^-149, the others of 10^-3 .. 10^30, or powers
    // of two 2^60 .. 2^127 (a root beyond the float range, and a pair that the resolvent's range must hold).
    {"huge |a2/a3|", 1000,
     [](rng& g) {
       if (integer(g, 0, 1) == 1) {
         auto p2 = [](rng& h) { return f(std::ldexp(integer(h, 0, 1) == 1 ? -1 : 1, integer(h, 60, 127))); };
         return cubic{f(std::ldexp(integer(g, -8, 8) | 1, -149)), p2(g), p2(g), p2(g)};
       }
       const double a3 = integer(g, 0, 1) == 1 ? decades(g, -45, -38) : decades(g, -38, -25);
       return cubic{f(a3), f(decades(g, -3, 30)), f(decades(g, -3, 30)), f(decades(g, -3, 30))};
     }},
    // Clusters: an exact double or triple root (multiple() above) with one coefficient moved by one or two units:
    // two or three roots within about 2^-8 .. 2^-16 of each other.
    {"clustered roots", 1000,
     [](rng& g) {
       cubic c = multiple(g);
       const int at = integer(g, 0, 3);
       c[at] = moved(c[at], integer(g, 0, 1) == 1 ? integer(g, 1, 2) : -integer(g, 1, 2));
       return c;
     }},
    // A pair whose imaginary part is 10^-4 .. 10^-30 of its real part.
    {"tiny imaginary parts", 500,
     [](rng& g) { const double u = decades(g, -3, 3); return from_pair({1, uniform(g, -3, 3), u, std::fabs(u) * decades(g, -30, -4, false)}); }},
    // Either an exact multiple root split by moving one coefficient -3 to 3
    // floats, or roots r, r + e and r + e, r + 2e or r - e, e of 10^-9 .. 10^-2 of r.
    {"near-multiple roots", 1000,
     [](rng& g) {
       if (integer(g, 0, 1) == 1) {
         cubic c = multiple(g);
         const int at = integer(g, 0, 3);
         c[at] = from_bits(bits(c[at]) + static_cast<std::uint32_t>(integer(g, -3, 3)));
         return c;
       }
       const double r = decades(g, -3, 3), e = r * decades(g, -9, -2, false), third[] = {r + e, r + 2 * e, r - e};
       return from_roots(1, {r, r + e, third[integer(g, 0, 2)]});
     }},
    // Any bit pattern (every exponent, subnormals; cubics with an infinity or a NaN are skipped), +-0 with
    // probability 1/8 (zero roots, lower degrees).
    {"coefficients over the whole range", 2000,
     [](rng& g) { return four(g, [](rng& h) { const auto u = static_cast<std::uint32_t>(h()); return from_bits(u % 8 == 0 ? u & 0x80000000u : u); }); }},
    // Each coefficient a subnormal (or zero) with probability 1/2, else within [-4, 4].
    {"subnormal coefficients", 1000, [](rng& g) {
       return four(g, [](rng& h) { return integer(h, 0, 1) == 1 ? from_bits(static_cast<std::uint32_t>(h()) & 0x807FFFFFu) : f(uniform(h, -4, 4)); });
     }},
    // Coefficients in [-4, 4], then a3 of 10^-44.8 .. 10^-30 (2^-149 .. 2^-100) and a2 = -a3 t, a root near t of
    // 10^37.6 .. 10^39.2 (2^125 .. 2^130: floats end below 2^128); or a0 = -a1 t, t of 10^-46 .. 10^-37.3
    // (2^-153 .. 2^-124, the subnormal range).
    {"roots at the overflow and underflow edges", 1000,
     [](rng& g) {
       cubic c = four(g, [](rng& h) { return f(uniform(h, -4, 4)); });
       const int i = 2 * integer(g, 0, 1);  // 0: a3 and a2, 2: a1 and a0
       const double a = i == 0 ? decades(g, -44.8, -30) : decades(g, -3, 3);
       const double t = i == 0 ? decades(g, 37.6, 39.2, false) : decades(g, -46, -37.3, false);
       c[i] = f(a);
       c[i + 1] = f(-a * t);
       return c;
     }},
    // Exact ties, o odd: a real root o 2^-150 halfway between two subnormals,
    // 2^k (x - o 2^-150)(x^2 + m 2^j); or a zero root and a pair whose real
    // part o 2^-150 is halfway, 2^k x (x^2 - o 2^-149 x + w).
    {"rational roots on a midpoint", 500,
     [](rng& g) {
       const int o = 2 * integer(g, 0, 1023) + 1, k = integer(g, 1, 60), m = integer(g, 1, 2047), j = integer(g, 0, 40);
       return integer(g, 0, 1) == 1
                  ? cubic{f(std::ldexp(1, k)), f(std::ldexp(-o, k - 150)), f(std::ldexp(m, j + k)), f(std::ldexp(-o * m, j + k - 150))}
                  : cubic{f(std::ldexp(1, k)), f(std::ldexp(-o, k - 149)), f(std::ldexp(uniform(g, 0.1, 8), k)), 0.0f};
     }},
};

TEST(Exact, FamiliesAgreeWithReference) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  const int scale = on != nullptr && std::string_view(on) == "1" ? 100 : 1;
  for (const family& fam : families) {
    SCOPED_TRACE(fam.name);
    rng g(0x5eed0000u + static_cast<unsigned>(&fam - families));
    int failures = 0;
    for (int n = 0; n < fam.count * scale && failures < 10; ++n) {
      const cubic c = fam.make(g);
      if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2]) || !std::isfinite(c[3])) continue;
      if (const std::string d = departure(c); !d.empty()) {
        ++failures;
        ADD_FAILURE() << d;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Cost, counted, not timed.  A polynomial's work is estimated from the
// engine's counters (exact/stats.hpp), each at the instructions it costs
// (callgrind, docs/exact.md section 8): about 1,300 for a cubic of the
// reference mix.  Every family must average at most twice the reference
// mix's mean, and no polynomial may exceed twenty times it.
double work(const exact::counters& c) {
  return 300.0 * c.polynomials + 700.0 * c.first_guesses + 700.0 * c.second_guesses + 50.0 * c.filter +
         30.0 * c.probes + 250.0 * c.sum + 500.0 * c.expansion + 250.0 * c.disc_sum + 300.0 * c.disc_expansion +
         300.0 * c.value_sum + 400.0 * c.value_expansion + 5000.0 * c.gmp;
}

double work(const cubic& c) {
  exact::stats() = {};
  (void)solve_exact(c[0], c[1], c[2], c[3]);
  return work(exact::stats());
}

std::string text(const cubic& c) {
  std::string out;
  for (const float x : c) (out += ' ') += test::show(x);
  return out;
}

TEST(Exact, CostsWithinBounds) {
  double ordinary = 0;  // the reference mix's mean work
  for (const family& fam : families) {
    SCOPED_TRACE(fam.name);
    rng g(0x5eed0000u + static_cast<unsigned>(&fam - families));  // as above, then four times as many
    double total = 0, most = 0;
    int n = 0;
    cubic worst{};
    for (int i = 0; i < 4 * fam.count; ++i) {
      const cubic c = fam.make(g);
      if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2]) || !std::isfinite(c[3])) continue;
      const double w = work(c);
      total += w;
      ++n;
      if (w > most) most = w, worst = c;
    }
    const double mean = total / n;
    if (&fam == families) ordinary = mean;
    EXPECT_LE(mean, 2 * ordinary);
    EXPECT_LE(most, 20 * ordinary) << "a3 a2 a1 a0:" << text(worst);
  }
  ASSERT_GT(ordinary, 1200.0);
  // The slowest inputs found before the closed forms and the exact
  // expansions (the answers checked against the reference too).
  const struct { const char* why; cubic a; } slow[] = {
      {"quadratic, searched from key 0 in GMP", {0, 6.48907092e17f, -2.33793419e34f, 1.49627788e36f}},
      {"quadratic, likewise", {-0.0f, -1, 4.96193123f, -1.83648694f}},
      {"|a2/a3| > 2^256: the resolvent overflowed", {-0x1p-149f, 0x1p110f, 0x1p119f, 0x1p126f}},
      {"double root 245760, simple root 51200", {-1024, 555745280, -8.76173328e13f, 3.16659349e18f}},
      {"v within 2^-54 of the midpoint 2^-3 - 2^-28: one GMP sign", {-0x1.cp-147f, 0x1p109f, 0x1p95f, 0x1p103f}},
      {"a pair 2^-15 apart near 2^-20: first guesses far off", {0x1.fffffcp-49f, 0x1.dbp-58f, -0x1.db6p-77f, 0x1.db8p-98f}},
  };
  for (const auto& c : slow) {
    SCOPED_TRACE(c.why);
    EXPECT_LE(work(c.a), 20 * ordinary);
    const std::string d = departure(c.a);
    EXPECT_TRUE(d.empty()) << d;
  }
}

// True values worked with 400-bit mpmath (exact rationals for the multiple
// roots), rounded to nearest, ties to even.  Both the engine and the
// reference must give them.
TEST(Exact, NamedExamples) {
  const float inf = test::inf, nan = test::nan;
  // parts: re, im of root 0, 1, 2 (written roots only).
  const struct { const char* why; cubic a; std::array<std::int32_t, 3> flag; std::array<float, 6> parts; } cases[] = {
      {"x^3 + 3", {1, 0, 0, 3}, {1, 1, 1}, {-0x1.713744p+0f, 0, 0x1.713744p-1f, 0x1.3fc016p+0f, 0x1.713744p-1f, -0x1.3fc016p+0f}},
      {"x^3 + x^2 + 1", {1, 1, 0, 1}, {1, 1, 1}, {-0x1.772faep+0f, 0, 0x1.dcbeb4p-3f, 0x1.95c96p-1f, 0x1.dcbeb4p-3f, -0x1.95c96p-1f}},
      {"spread over 60 decades", {1e-30f, 0, 0, 1e30f}, {1, 1, 1}, {-0x1.5af1d8p+66f, 0, 0x1.5af1d8p+65f, 0x1.2c7682p+66f, 0x1.5af1d8p+65f, -0x1.2c7682p+66f}},
      {"roots 1 and +-i near the top of the range", {3e38f, -3e38f, 3e38f, -3e38f}, {1, 1, 1}, {1, 0, 0, 1, 0, -1}},
      {"triple root (x - 1)^3", {1, -3, 3, -1}, {1, 1, 1}, {1, 0, 1, 0, 1, 0}},
      {"(x - 17)^2 (x - 18)", {1, -52, 901, -5202}, {1, 1, 1}, {17, 0, 17, 0, 18, 0}},
      {"(x - 3)^3 scaled by 2^-100", {0x1p-100f, -9 * 0x1p-100f, 27 * 0x1p-100f, -27 * 0x1p-100f}, {1, 1, 1}, {3, 0, 3, 0, 3, 0}},
      {"roots 1, 2, 3", {1, -6, 11, -6}, {1, 1, 1}, {1, 0, 2, 0, 3, 0}},
      {"1e14 and a pair at 1e-29 +- 3e-21 i", {1e-8f, -1e6f, -1e-22f, -1e-35f}, {1, 1, 1}, {0x1.6bcc42p+46f, 0, -0x1.fb0f6cp-95f, 0x1.dddeb2p-69f, -0x1.fb0f6cp-95f, -0x1.dddeb2p-69f}},
      {"exact zero root and +-i: real parts +0", {1, 0, 1, 0}, {1, 1, 1}, {0, 0, 0, 1, 0, -1}},
      {"subnormal a2", {1, 1e-40f, 1, 1}, {1, 1, 1}, {-0x1.5d5a12p-1f, 0, 0x1.5d5a12p-2f, 0x1.295ac6p+0f, 0x1.5d5a12p-2f, -0x1.295ac6p+0f}},
      {"double zero root, then 2^149 overflows", {0x1p-149f, -1, 0, 0}, {1, 1, -3}, {0, 0, 0, 0, inf, 0}},
      {"-2^-200 rounds to -0 before a double zero root", {0x1p100f, 0x1p-100f, 0, 0}, {-3, 1, 1}, {-0.0f, 0, 0, 0, 0, 0}},
      {"+2^-200 rounds to +0 after a double zero root", {0x1p100f, -0x1p-100f, 0, 0}, {1, 1, -3}, {0, 0, 0, 0, 0, 0}},
      {"quadratic: roots 1, 2", {0, 1, -3, 2}, {1, 1, -1}, {1, 0, 2, 0, nan, nan}},
      {"quadratic x^2 + 1: the pair", {0, 1, 0, 1}, {1, 1, -1}, {0, 1, 0, -1, nan, nan}},
      {"linear: root 3 * 2^-150 ties to even 2^-148", {0, 0, 2, -3 * 0x1p-149f}, {-3, -1, -1}, {0x1p-148f, 0, nan, nan, nan, nan}},
      {"linear: root 2^-150 ties to +0", {0, 0, 2, -0x1p-149f}, {-3, -1, -1}, {0, 0, nan, nan, nan, nan}},
      {"linear: root -2^-150 ties to -0", {0, 0, 2, 0x1p-149f}, {-3, -1, -1}, {-0.0f, 0, nan, nan, nan, nan}},
      {"nonzero constant: no root", {0, 0, 0, 5}, {-1, -1, -1}, {nan, nan, nan, nan, nan, nan}},
      {"zero polynomial", {0, -0.0f, 0, 0}, {0, 0, 0}, {nan, nan, nan, nan, nan, nan}},
      {"infinite coefficient", {1, inf, 0, 0}, {-2, -2, -2}, {nan, nan, nan, nan, nan, nan}},
      {"NaN coefficient", {1, 0, 0, nan}, {-2, -2, -2}, {nan, nan, nan, nan, nan, nan}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    solution want{{}, c.flag, {}};
    for (int k = 0; k < 3; ++k) {
      want.root[k] = {c.parts[2 * k], c.parts[2 * k + 1]};
      want.written[k] = c.flag[k] == 1 || c.flag[k] == -3;
    }
    EXPECT_EQ(show(test::reference(c.a[0], c.a[1], c.a[2], c.a[3])), show(want)) << "reference against the true values";
    const std::string d = departure(c.a);
    EXPECT_TRUE(d.empty()) << d;
  }
}

}  // namespace
}  // namespace qubic
