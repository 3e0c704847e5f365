// solve_exact() and qubic_exact() against the exact rational reference
// (exact/reference.cpp), over seeded families of cubics, and the named
// examples against true values worked with 400-bit mpmath.  Zero departures:
// every flag, every written entry and every bit of every written part.
//
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='Exact.*'   (100 times the cubics)
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <string_view>

#include <qubic/exact.hpp>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "exact/reference.hpp"

namespace qubic {
namespace {

using test::bits;
using test::from_bits;

struct cubic {
  float a3, a2, a1, a0;
};

std::string show(const solution& s) {
  std::string out;
  for (int k = 0; k < 3; ++k) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "  [%d] flag %d %s %08X %08X (%.9g %+.9gi)\n", k, s.flag[k],
                  s.written[k] ? "written" : "unwritten", bits(s.root[k].real()), bits(s.root[k].imag()),
                  static_cast<double>(s.root[k].real()), static_cast<double>(s.root[k].imag()));
    out += buf;
  }
  return out;
}

bool same(const solution& x, const solution& y) {
  for (int k = 0; k < 3; ++k) {
    if (x.flag[k] != y.flag[k] || x.written[k] != y.written[k]) return false;
    const auto& a = x.root[k];
    const auto& b = y.root[k];
    if (x.written[k] ? bits(a.real()) != bits(b.real()) || bits(a.imag()) != bits(b.imag())
                     : !std::isnan(a.real()) || !std::isnan(a.imag()) || !std::isnan(b.real()) || !std::isnan(b.imag()))
      return false;
  }
  return true;
}

// "" when the engine, in both forms, agrees with the reference; else both answers.
std::string departure(const cubic& c) {
  const solution e = solve_exact(c.a3, c.a2, c.a1, c.a0), r = test::reference(c.a3, c.a2, c.a1, c.a0);
  // The by-reference form: written entries the same bits, the rest untouched.
  const coeffs a{{c.a0, c.a1, c.a2, c.a3}};
  roots re{{test::sentinel(), test::sentinel(), test::sentinel()}}, im = re;
  flags fl{{7, 7, 7}};
  qubic_exact(a, re, im, fl);
  bool by_ref = true;
  for (int k = 0; k < 3; ++k) {
    const std::uint32_t want_re = e.written[k] ? bits(e.root[k].real()) : test::sentinel_bits;
    const std::uint32_t want_im = e.written[k] ? bits(e.root[k].imag()) : test::sentinel_bits;
    by_ref = by_ref && fl(k + 1) == e.flag[k] && bits(re(k + 1)) == want_re && bits(im(k + 1)) == want_im;
  }
  if (same(e, r) && by_ref) return "";
  char head[160];
  std::snprintf(head, sizeof head, "a3 a2 a1 a0 = %08X %08X %08X %08X (%a %a %a %a)%s\n", bits(c.a3), bits(c.a2),
                bits(c.a1), bits(c.a0), static_cast<double>(c.a3), static_cast<double>(c.a2),
                static_cast<double>(c.a1), static_cast<double>(c.a0), by_ref ? "" : " [qubic_exact differs]");
  return head + std::string("engine:\n") + show(e) + "reference:\n" + show(r);
}

// ---------------------------------------------------------------------------
// Families.  Each draws one cubic from the generator; coefficients computed in
// double are rounded once to float, so the cubic solved is the rounded one.

using rng = std::mt19937_64;
double uniform(rng& g, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g); }
int integer(rng& g, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g); }
double decades(rng& g, double lo, double hi) { return std::pow(10.0, uniform(g, lo, hi)); }
double sign(rng& g) { return integer(g, 0, 1) ? 1.0 : -1.0; }
float f(double x) { return static_cast<float>(x); }

// a3 (x - r0)(x - r1)(x - r2), expanded in double.
cubic from_roots(double a3, double r0, double r1, double r2) {
  return {f(a3), f(-a3 * (r0 + r1 + r2)), f(a3 * (r0 * r1 + r0 * r2 + r1 * r2)), f(-a3 * r0 * r1 * r2)};
}

// a3 (x - r)((x - u)^2 + v^2), expanded in double.
cubic from_pair(double a3, double r, double u, double v) {
  const double w = u * u + v * v;
  return {f(a3), f(-a3 * (r + 2 * u)), f(a3 * (2 * u * r + w)), f(-a3 * r * w)};
}

struct family {
  const char* name;
  int count;
  std::function<cubic(rng&)> make;
};

const family families[] = {
    // Coefficients uniform in [-10, 10].
    {"ordinary", 1500,
     [](rng& g) { return cubic{f(uniform(g, -10, 10)), f(uniform(g, -10, 10)), f(uniform(g, -10, 10)), f(uniform(g, -10, 10))}; }},
    // Three real roots of either sign, each within 10^-12 .. 10^12.
    {"three real roots over decades", 1000,
     [](rng& g) { return from_roots(1, sign(g) * decades(g, -12, 12), sign(g) * decades(g, -12, 12), sign(g) * decades(g, -12, 12)); }},
    // A real root and a pair u +- iv, each part within 10^-10 .. 10^10.
    {"complex pairs", 1000,
     [](rng& g) { return from_pair(decades(g, -5, 5), sign(g) * decades(g, -10, 10), sign(g) * decades(g, -10, 10), decades(g, -10, 10)); }},
    // 2^k (x - p 2^j)^2 (x - q 2^j) with integers |p|, |q| <= 128, q = p for
    // a triple root: every coefficient an exact float.
    {"exact multiple roots", 500,
     [](rng& g) {
       const double p = integer(g, -128, 128), q = integer(g, 0, 3) ? integer(g, -128, 128) : p;
       const int j = integer(g, -30, 30), k = integer(g, -30, 30);
       return cubic{f(std::ldexp(1.0, k)), f(std::ldexp(-(2 * p + q), j + k)), f(std::ldexp(p * p + 2 * p * q, 2 * j + k)),
                    f(std::ldexp(-p * p * q, 3 * j + k))};
     }},
    // A pair whose imaginary part is 10^-4 .. 10^-30 of its real part.
    {"tiny imaginary parts", 500,
     [](rng& g) {
       const double u = sign(g) * decades(g, -3, 3);
       return from_pair(1, uniform(g, -3, 3), u, std::fabs(u) * decades(g, -30, -4));
     }},
    // Roots r, r + e and r + e or r + 2e or r - e, with e of 10^-9 .. 10^-2 of r.
    {"near-multiple roots", 1000,
     [](rng& g) {
       const double r = sign(g) * decades(g, -3, 3), e = r * decades(g, -9, -2);
       const double third[] = {r + e, r + 2 * e, r - e};
       return from_roots(1, r, r + e, third[integer(g, 0, 2)]);
     }},
    // Any finite bit pattern: every exponent, subnormals and zeros included.
    {"coefficients over the whole range", 2000,
     [](rng& g) {
       const auto any = [&g] {
         std::uint32_t u;
         do u = static_cast<std::uint32_t>(g()); while ((u & 0x7F800000u) == 0x7F800000u);
         return from_bits(u);
       };
       return cubic{any(), any(), any(), any()};
     }},
    // Each coefficient a subnormal (or zero) with probability 1/2, else within [-4, 4].
    {"subnormal coefficients", 1000,
     [](rng& g) {
       const auto one = [&g] {
         return integer(g, 0, 1) ? from_bits(static_cast<std::uint32_t>(g()) & 0x807FFFFFu) : f(uniform(g, -4, 4));
       };
       return cubic{one(), one(), one(), one()};
     }},
    // A root near -a2 / a3 of 2^125 .. 2^130 (the largest float is just
    // under 2^128), or near -a0 / a1 of 2^-153 .. 2^-124 (the subnormal range).
    {"roots at the overflow and underflow edges", 1000,
     [](rng& g) {
       const double a3 = sign(g) * std::ldexp(uniform(g, 1, 2), integer(g, -149, -100));
       const double a1 = f(uniform(g, -4, 4)), a0 = f(uniform(g, -4, 4));
       if (integer(g, 0, 1)) return cubic{f(a3), f(-a3 * std::ldexp(uniform(g, 1, 2), integer(g, 125, 129))), f(a1), f(a0)};
       const double small = std::ldexp(uniform(g, 1, 2), integer(g, -153, -125));
       const double b1 = sign(g) * decades(g, -3, 3);
       return cubic{f(uniform(g, -4, 4)), f(uniform(g, -4, 4)), f(b1), f(-b1 * small)};
     }},
    // Exact ties.  A real root o 2^-150 (o odd), halfway between two
    // subnormals: 2^k (x - o 2^-150)(x^2 + m 2^j).  Or a zero root and a pair
    // whose real part o 2^-150 is halfway: 2^k x (x^2 - o 2^-149 x + w).
    {"rational roots on a midpoint", 500,
     [](rng& g) {
       const int o = 2 * integer(g, 0, 1023) + 1, k = integer(g, 1, 60);
       if (integer(g, 0, 1)) {
         const int m = integer(g, 1, 2047), j = integer(g, 0, 40);
         return cubic{f(std::ldexp(1, k)), f(std::ldexp(-o, k - 150)), f(std::ldexp(m, j + k)), f(std::ldexp(-o * m, j + k - 150))};
       }
       return cubic{f(std::ldexp(1, k)), f(std::ldexp(-o, k - 149)), f(std::ldexp(uniform(g, 0.1, 8), k)), 0.0f};
     }},
};

bool exhaustive() {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  return on != nullptr && std::string_view(on) == "1";
}

TEST(Exact, FamiliesAgreeWithReference) {
  const int scale = exhaustive() ? 100 : 1;
  for (const family& fam : families) {
    SCOPED_TRACE(fam.name);
    rng g(0x5eed0000u + static_cast<unsigned>(&fam - families));
    int failures = 0;
    for (int n = 0; n < fam.count * scale && failures < 10; ++n) {
      const cubic c = fam.make(g);
      if (!std::isfinite(c.a3) || !std::isfinite(c.a2) || !std::isfinite(c.a1) || !std::isfinite(c.a0)) continue;
      if (const std::string d = departure(c); !d.empty()) {
        ++failures;
        ADD_FAILURE() << d;
      }
    }
  }
}

// True values worked with 400-bit mpmath (exact rationals for the multiple
// roots), rounded to nearest, ties to even.  Both the engine and the
// reference must give them.
TEST(Exact, NamedExamples) {
  const float inf = test::inf, nan = test::nan;
  const struct {
    const char* why;
    cubic a;
    std::array<std::int32_t, 3> flag;
    std::array<float, 6> parts;  // re, im of root 0, 1, 2 (written roots only)
  } cases[] = {
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
    solution want;
    for (int k = 0; k < 3; ++k) {
      want.root[k] = {c.parts[2 * k], c.parts[2 * k + 1]};
      want.flag[k] = c.flag[k];
      want.written[k] = c.flag[k] == 1 || c.flag[k] == -3;
    }
    const solution r = test::reference(c.a.a3, c.a.a2, c.a.a1, c.a.a0);
    EXPECT_TRUE(same(r, want)) << "reference:\n" << show(r) << "true:\n" << show(want);
    EXPECT_EQ(departure(c.a), "");
  }
}

}  // namespace
}  // namespace qubic
