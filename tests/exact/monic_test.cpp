// exact::monic against exact rationals: the coefficients of
// (x - r1)(x - r2)(x - r3) multiplied out in GMP's mpq and rounded to float by
// integer division (a method the code under test does not use), compared
// by bits on named cases worked by hand and on seeded families.
#include "exact/monic.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include <gmpxx.h>

#include "bits.hpp"

namespace qubic::test {
namespace {

using Q = mpq_class;

// The float nearest to q, ties to even; an exact zero is +0, a nonzero value
// that rounds to zero keeps its sign.  With 2^e <= |q| < 2^(e+1) the last
// place is 2^t, t = max(e, -126) - 23; |q| / 2^t is divided out as integers
// and its remainder decides the rounding.
float nearest_float(const Q& q) {
  const int s = sgn(q);
  if (s == 0) return 0.0f;
  const mpz_class n = abs(q.get_num()), d = q.get_den();
  auto scaled = [](const mpz_class& z, long k) {  // z * 2^k for k >= 0
    mpz_class r;
    mpz_mul_2exp(r.get_mpz_t(), z.get_mpz_t(), static_cast<mp_bitcnt_t>(k));
    return r;
  };
  long e = static_cast<long>(mpz_sizeinbase(n.get_mpz_t(), 2)) - static_cast<long>(mpz_sizeinbase(d.get_mpz_t(), 2));
  if (e >= 0 ? n < scaled(d, e) : scaled(n, -e) < d) --e;
  if (e >= 128) return s < 0 ? -inf : inf;
  const long t = std::max(e, -126L) - 23;
  const mpz_class num = t >= 0 ? n : scaled(n, -t), den = t >= 0 ? scaled(d, t) : d;
  mpz_class m, r;
  mpz_fdiv_qr(m.get_mpz_t(), r.get_mpz_t(), num.get_mpz_t(), den.get_mpz_t());
  const int c = cmp(mpz_class(2 * r), den);
  if (c > 0 || (c == 0 && mpz_odd_p(m.get_mpz_t()))) ++m;
  const double v = std::ldexp(m.get_d(), static_cast<int>(t));  // m <= 2^24: exact
  const float f = v > FLT_MAX ? inf : static_cast<float>(v);
  return s < 0 ? -f : f;
}

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

TEST(Monic, NamedCases) {
  const float fmax = FLT_MAX, u = 5e19f, v = 8.660254e19f;
  const struct { const char* why; roots rr, ir; coeffs rb, ib; } cases[] = {
      // Hand: -(1 + 2 + 3), 2 + 3 + 6, -6; the imaginary parts are exact zeros, +0.
      {"1, 2, 3", {{1, 2, 3}}, {{0, 0, 0}}, {{-6, 11, -6, 1}}, {{0, 0, 0, 0}}},
      // Hand: x^2 has -(-2u + u + u) = 0 (u = float(5e19) is half of
      // float(1e20), the real root); x^0 has 2u (u^2 + v^2) > 1e60: +inf;
      // the imaginary parts cancel exactly.  x has v^2 - 3u^2, from the reference.
      {"1e-30 x^3 + 1e30's roots", {{-1e20f, u, u}}, {{0, v, -v}}, {{inf, nan, 0, 1}}, {{0, 0, 0, 0}}},
      // Hand: x^2 has 1 + 2^-24 + 2^-80, just above the midpoint of 1 and
      // 1 + 2^-23; rounded to double first it would be that midpoint, then 1.
      {"no double rounding", {{-1, -0x1p-24f, -0x1p-80f}}, {{0, 0, 0}}, {{nan, nan, 0x1.000002p0f, 1}}, {{0, 0, 0, 0}}},
      // Hand: 1 + 2^-24 and 1 + 3 * 2^-24 are midpoints: the even neighbours 1 and 1 + 2^-22.
      {"ties to even, down", {{-1, -0x1p-24f, 0}}, {{0, 0, 0}}, {{0, nan, 1, 1}}, {{0, 0, 0, 0}}},
      {"ties to even, up", {{-1, -0x1.8p-23f, 0}}, {{0, 0, 0}}, {{0, nan, 0x1.000004p0f, 1}}, {{0, 0, 0, 0}}},
      // Hand: x^2 has the largest float plus 2^103 (the overflow threshold, a
      // tie that goes to inf), less 2^-149 (below it: the largest float).
      {"at the overflow threshold", {{-fmax, -0x1p103f, 0}}, {{0, 0, 0}}, {{0, nan, inf, 1}}, {{0, 0, 0, 0}}},
      {"just below it", {{-fmax, -0x1p103f, 0x1p-149f}}, {{0, 0, 0}}, {{nan, nan, fmax, 1}}, {{0, 0, 0, 0}}},
      // Hand: x^0 has -2^-300, which rounds to -0 (not the +0 of an exact
      // zero), and -2^-145, a subnormal, exactly.
      {"underflow keeps the sign", {{0x1p-100f, 0x1p-100f, 0x1p-100f}}, {{0, 0, 0}}, {{-0.0f, nan, nan, 1}}, {{0, 0, 0, 0}}},
      {"a subnormal part", {{0x1p-60f, 0x1p-60f, 0x1p-25f}}, {{0, 0, 0}}, {{-0x1p-145f, nan, nan, 1}}, {{0, 0, 0, 0}}},
      // Hand: x has 2^-80 - 2^-80 - 2^-160, below every float after the
      // cancellation: -0; x^0 has +2^-160: +0; x^2 has -1.
      {"cancellation, then underflow", {{1, 0x1p-80f, -0x1p-80f}}, {{0, 0, 0}}, {{0, -0.0f, -1, 1}}, {{0, 0, 0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(departure(c.rr, c.ir), "");
    coeffs rb{}, ib{};
    exact::monic(c.rr, c.ir, rb, ib);
    for (int j = 0; j <= 3; ++j) {  // the hand-worked parts (NaN: left to the reference)
      if (!std::isnan(c.rb(j))) {
        EXPECT_BITS(rb(j), c.rb(j)) << "x^" << j;
      }
      if (!std::isnan(c.ib(j))) {
        EXPECT_BITS(ib(j), c.ib(j)) << "x^" << j;
      }
    }
  }
}

// Seeded families: per case three roots drawn from the raw bits of
// mt19937_64 (the same on every platform), then compared with the reference.
using rng = std::mt19937_64;

// A float with random sign and significand and an exponent in [lo, hi].
float draw(rng& g, int lo, int hi) {
  const std::uint64_t w = g();
  const int e = lo + static_cast<int>(w % static_cast<std::uint64_t>(hi - lo + 1));
  const float m = 1.0f + static_cast<float>((w >> 8) & 0x7FFFFF) * 0x1p-23f;
  const float f = std::ldexp(m, e);
  return (w >> 40) & 1 ? -f : f;
}

TEST(Monic, SeededFamilies) {
  rng g(20240611);
  const int per_family = 4000;
  const struct { const char* why; int lo, hi; int shape; } families[] = {
      {"three real roots over the whole range", -149, 127, 0},
      {"three real roots within two octaves: cancellation", 0, 1, 0},
      {"a real root and a conjugate pair (in any places) over the whole range", -149, 127, 1},
      {"a real root and a pair within two octaves", 0, 1, 1},
      {"r = -2u: x^2 cancels to an exact zero", -60, 60, 2},
      {"three unrelated complex roots", -80, 80, 3},
      {"a midpoint of the x^2 part nudged by a tiny root", -20, 20, 4},
      {"the same below a power of two, where the float below is nearer", -20, 20, 7},
      {"a, b, -a with b 30 to 90 octaves below a: x^2 is -b after cancellation", -20, 20, 5},
      {"r3 at right angles to r1 r2: the real part of x^0 cancels to 2^-24 of its terms", -30, 30, 6},
  };
  for (const auto& f : families) {
    SCOPED_TRACE(f.why);
    int bad = 0;
    for (int n = 0; n < per_family && bad < 3; ++n) {
      roots rr{}, ir{};
      const float a = draw(g, f.lo, f.hi), b = draw(g, f.lo, f.hi), c = draw(g, f.lo, f.hi);
      switch (f.shape) {
        case 0: rr = {{a, b, c}}, ir = {{0, 0, 0}}; break;
        case 1: {  // the pair in any two places
          const std::uint64_t at = g() % 3;
          rr = {{a, b, b}}, ir = {{0, std::fabs(c), -std::fabs(c)}};
          std::swap(rr(1), rr(static_cast<int>(at) + 1)), std::swap(ir(1), ir(static_cast<int>(at) + 1));
          break;
        }
        case 2: rr = {{-2 * a, a, a}}, ir = {{0, std::fabs(c), -std::fabs(c)}}; break;
        case 3: rr = {{a, b, c}}, ir = {{draw(g, f.lo, f.hi), draw(g, f.lo, f.hi), draw(g, f.lo, f.hi)}}; break;
        case 4: {  // a + half an ulp of a (a float midpoint), then a root far below
          const float half = std::ldexp(1.0f, std::ilogb(a) - 24);
          rr = {{a, std::signbit(b) ? -half : half, draw(g, f.lo - 60, f.lo - 30)}}, ir = {{0, 0, 0}};
          break;
        }
        case 7: {  // 2^e - 2^(e-25) (the midpoint below 2^e), then a root far below
          const float p2 = std::copysign(std::ldexp(1.0f, std::ilogb(a)), a);
          rr = {{p2, -p2 * 0x1p-25f, std::ldexp(b, -30 - static_cast<int>(g() % 51))}}, ir = {{0, 0, 0}};
          break;
        }
        case 5: rr = {{a, std::ldexp(b, -30 - static_cast<int>(g() % 61)), -a}}, ir = {{0, 0, 0}}; break;
        default: {  // r1 r2 = p + iq, r3 = s (q + ip) rounded: Re(r1 r2 r3) = s (pq - qp) + rounding
          const float d = draw(g, f.lo, f.hi);
          const double p = double{a} * b - double{c} * d, q = double{a} * d + double{c} * b;
          const double s = std::ldexp(1.0, static_cast<int>(g() % 41) - 20);
          rr = {{a, b, static_cast<float>(q * s)}}, ir = {{c, d, static_cast<float>(p * s)}};
        }
      }
      const std::string d = departure(rr, ir);
      if (!d.empty()) ADD_FAILURE() << d, ++bad;
    }
  }
}

}  // namespace
}  // namespace qubic::test
