// exact::monic against exact rationals: the coefficients of
// (x - r1)(x - r2)(x - r3) multiplied out in GMP's mpq and rounded to float
// by the exact reference (tests/exact/reference.hpp, which shares no code
// with the engine), compared by bits on named cases worked by hand and on
// seeded families.
#include "exact/monic.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include <gmpxx.h>

#include "bits.hpp"
#include "exact/reference.hpp"

namespace qubic::test {
namespace {

using Q = mpq_class;

struct cq {
  Q re, im;
};
cq operator+(const cq& a, const cq& b) { return {a.re + b.re, a.im + b.im}; }
cq operator*(const cq& a, const cq& b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
cq operator-(const cq& a) { return {-a.re, -a.im}; }

// The bits of rb(0..3) and ib(0..3), from monic or from the reference.
std::string show(const coeffs& rb, const coeffs& ib) {
  std::string s;
  for (int j = 3; j >= 0; --j) s += test::show(rb(j)) + " + i " + test::show(ib(j)) + (j ? "\n" : "");
  return s;
}

std::string reference(const roots& rr, const roots& ir) {
  cq r[3];
  for (int k = 0; k < 3; ++k) r[k] = {Q(static_cast<double>(rr(k + 1))), Q(static_cast<double>(ir(k + 1)))};
  const cq c[3] = {-(r[0] * r[1] * r[2]), r[0] * r[1] + r[0] * r[2] + r[1] * r[2], -(r[0] + r[1] + r[2])};
  coeffs rb{}, ib{};
  for (int j = 0; j < 3; ++j) rb(j) = nearest_float(c[j].re), ib(j) = nearest_float(c[j].im);
  rb(3) = 1.0f, ib(3) = 0.0f;
  return show(rb, ib);
}

// "" when monic agrees with the reference, else both.
std::string departure(const roots& rr, const roots& ir) {
  coeffs rb{{sentinel(), sentinel(), sentinel(), sentinel()}}, ib = rb;
  exact::monic(rr, ir, rb, ib);
  const std::string got = show(rb, ib), want = reference(rr, ir);
  return got == want ? "" : "roots " + test::show(rr(1)) + " " + test::show(ir(1)) + ", " + test::show(rr(2)) + " " +
                                test::show(ir(2)) + ", " + test::show(rr(3)) + " " + test::show(ir(3)) +
                                "\nmonic:\n" + got + "\nreference:\n" + want;
}

// Roots with real products (three real roots, or a real root and a pair):
// every imaginary part must be +0.  The real parts worked by hand, NaN where
// left to the reference alone.
TEST(Monic, NamedCases) {
  const float fmax = FLT_MAX, u = 5e19f, v = 8.660254e19f;
  const struct { const char* why; roots rr, ir; coeffs rb; } cases[] = {
      // -(1 + 2 + 3), 2 + 3 + 6, -6.
      {"1, 2, 3", {{1, 2, 3}}, {{0, 0, 0}}, {{-6, 11, -6, 1}}},
      // u = float(5e19) is half of float(1e20), the real root: x^2 has
      // -(-2u + u + u) = 0; x has v^2 - 3u^2 = -230963324213250406586868599619584,
      // a float; x^0 has 2u (u^2 + v^2) > 1e60: +inf.
      {"1e-30 x^3 + 1e30's roots", {{-1e20f, u, u}}, {{0, v, -v}}, {{inf, -0x1.6c6558p107f, 0, 1}}},
      // x^2 has 1 + 2^-24 + 2^-80, just above the midpoint of 1 and
      // 1 + 2^-23; rounded to double first it would be that midpoint, then 1.
      {"no double rounding", {{-1, -0x1p-24f, -0x1p-80f}}, {{0, 0, 0}}, {{nan, nan, 0x1.000002p0f, 1}}},
      // 1 + 2^-24 and 1 + 3 * 2^-24 are midpoints: the even neighbours 1 and 1 + 2^-22.
      {"ties to even, down", {{-1, -0x1p-24f, 0}}, {{0, 0, 0}}, {{0, nan, 1, 1}}},
      {"ties to even, up", {{-1, -0x1.8p-23f, 0}}, {{0, 0, 0}}, {{0, nan, 0x1.000004p0f, 1}}},
      // x^2 has the largest float plus 2^103 (the overflow threshold, a tie
      // that goes to inf), less 2^-149 (below it: the largest float).
      {"at the overflow threshold", {{-fmax, -0x1p103f, 0}}, {{0, 0, 0}}, {{0, nan, inf, 1}}},
      {"just below it", {{-fmax, -0x1p103f, 0x1p-149f}}, {{0, 0, 0}}, {{nan, nan, fmax, 1}}},
      // x^0 has -2^-300, which rounds to -0 (not the +0 of an exact zero),
      // and -2^-145, a subnormal, exactly.
      {"underflow keeps the sign", {{0x1p-100f, 0x1p-100f, 0x1p-100f}}, {{0, 0, 0}}, {{-0.0f, nan, nan, 1}}},
      {"a subnormal part", {{0x1p-60f, 0x1p-60f, 0x1p-25f}}, {{0, 0, 0}}, {{-0x1p-145f, nan, nan, 1}}},
      // x has 2^-80 - 2^-80 - 2^-160, below every float after the
      // cancellation: -0; x^0 has +2^-160: +0; x^2 has -1.
      {"cancellation, then underflow", {{1, 0x1p-80f, -0x1p-80f}}, {{0, 0, 0}}, {{0, -0.0f, -1, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(departure(c.rr, c.ir), "");
    coeffs rb{}, ib{};
    exact::monic(c.rr, c.ir, rb, ib);
    for (int j = 0; j <= 3; ++j) {
      if (!std::isnan(c.rb(j))) {
        EXPECT_BITS(rb(j), c.rb(j)) << "x^" << j;
      }
      EXPECT_BITS(ib(j), 0.0f) << "x^" << j;
    }
  }
}

// Seeded families: per case three roots drawn from the raw bits of
// mt19937_64 (the same on every platform), then compared with the reference.
using rng = std::mt19937_64;

int draw_int(rng& g, int lo, int hi) { return lo + static_cast<int>(g() % static_cast<std::uint64_t>(hi - lo + 1)); }

// A float with random sign and significand and an exponent in [lo, hi].
float draw(rng& g, int lo = -149, int hi = 127) {
  const std::uint64_t w = g();
  const int e = lo + static_cast<int>(w % static_cast<std::uint64_t>(hi - lo + 1));
  const float f = std::ldexp(1.0f + static_cast<float>((w >> 8) & 0x7FFFFF) * 0x1p-23f, e);
  return (w >> 40) & 1 ? -f : f;
}

// 2^-k for k drawn in [lo, hi].
float below(rng& g, int lo, int hi) { return std::ldexp(1.0f, -draw_int(g, lo, hi)); }

using family = void (*)(rng&, roots&, roots&);  // writes the real and imaginary parts of the roots

TEST(Monic, SeededFamilies) {
  const struct { const char* why; family make; } families[] = {
      {"three real roots over the whole range", [](rng& g, roots& rr, roots&) { rr = {{draw(g), draw(g), draw(g)}}; }},
      {"a real root and a conjugate pair, in any places, over the whole range", [](rng& g, roots& rr, roots& ir) {
         const float u = draw(g), v = std::fabs(draw(g)), r = draw(g);
         const int at = draw_int(g, 1, 3);
         rr = {{u, u, u}}, ir = {{v, v, v}}, rr(at) = r, ir(at) = 0, ir(at == 3 ? 2 : 3) = -v;
       }},
      {"r = -2u: x^2 cancels to an exact zero", [](rng& g, roots& rr, roots& ir) {
         const float u = draw(g, -60, 60), v = std::fabs(draw(g, -60, 60));
         rr = {{-2 * u, u, u}}, ir = {{0, v, -v}};
       }},
      {"three unrelated complex roots", [](rng& g, roots& rr, roots& ir) {
         rr = {{draw(g, -80, 80), draw(g, -80, 80), draw(g, -80, 80)}}, ir = {{draw(g, -80, 80), draw(g, -80, 80), draw(g, -80, 80)}};
       }},
      {"x^2 a midpoint (a and half its ulp) nudged by a root far below", [](rng& g, roots& rr, roots&) {
         const float a = draw(g, -20, 20), sign = draw(g), tiny = draw(g, -80, -50);
         rr = {{a, std::copysign(std::ldexp(1.0f, std::ilogb(a) - 24), sign), tiny}};
       }},
      {"the midpoint below a power of two, where the float below is nearer", [](rng& g, roots& rr, roots&) {
         const float a = draw(g, -20, 20), p2 = std::copysign(std::ldexp(1.0f, std::ilogb(a)), a);
         const float tiny = draw(g, 0, 0), scale = below(g, 30, 80);
         rr = {{p2, -p2 * 0x1p-25f, tiny * scale * std::fabs(p2)}};
       }},
      {"a, b, -a with b 30 to 90 octaves below a: x^2 is -b after cancellation", [](rng& g, roots& rr, roots&) {
         const float a = draw(g, -20, 20), b = draw(g, -20, 20), scale = below(g, 30, 90);
         rr = {{a, b * scale, -a}};
       }},
      {"r3 at right angles to r1 r2: the real part of x^0 cancels to 2^-24 of its terms", [](rng& g, roots& rr, roots& ir) {
         const float a = draw(g, -30, 30), b = draw(g, -30, 30), c = draw(g, -30, 30), d = draw(g, -30, 30);
         const double p = double{a} * b - double{c} * d, q = double{a} * d + double{c} * b;  // r1 r2 = p + iq
         const double s = std::ldexp(1.0, draw_int(g, -20, 20));
         rr = {{a, b, static_cast<float>(q * s)}}, ir = {{c, d, static_cast<float>(p * s)}};  // r3 = s (q + ip)
       }},
  };
  rng g(20240611);
  for (const auto& f : families) {
    SCOPED_TRACE(f.why);
    int bad = 0;
    for (int n = 0; n < 4000 && bad < 3; ++n) {
      roots rr{}, ir{};
      f.make(g, rr, ir);
      const std::string d = departure(rr, ir);
      if (!d.empty()) ADD_FAILURE() << d, ++bad;
    }
  }
}

}  // namespace
}  // namespace qubic::test
