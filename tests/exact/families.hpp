// The seeded families of cubics on which the exact engine is checked
// (tests/exact/exact_test.cpp against the rational reference) and the batch
// path against the scalar engine (tests/batch/batch_test.cpp): one
// definition for both.  Coefficients computed in double are rounded once
// to float: the cubic solved is the rounded one.  Draws are sequenced
// (initialiser lists, one declaration each) so that every compiler makes
// the same cubics.  Family k is drawn from rng(0x5eed0000 + k).
#ifndef QUBIC_TESTS_EXACT_FAMILIES_HPP
#define QUBIC_TESTS_EXACT_FAMILIES_HPP

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <type_traits>

#include <qubic/solve.hpp>

#include "bits.hpp"

namespace qubic::test {

using cubic = std::array<float, 4>;  // a3, a2, a1, a0


using rng = std::mt19937_64;
inline double uniform(rng& g, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g); }
inline int integer(rng& g, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g); }
inline float f(double x) { return static_cast<float>(x); }

// 10^x, x uniform in [lo, hi], of random sign when any_sign.
inline double decades(rng& g, double lo, double hi, bool any_sign = true) {
  const double m = std::pow(10.0, uniform(g, lo, hi));
  return any_sign && integer(g, 0, 1) == 1 ? -m : m;
}

// Four coefficients, each from draw.
inline cubic four(rng& g, float (*draw)(rng&)) { return {draw(g), draw(g), draw(g), draw(g)}; }

// a3 (x - r0)(x - r1)(x - r2), expanded in double (a pair's imaginary parts cancel exactly).
inline cubic from_roots(double a3, const std::array<std::complex<double>, 3>& r) {
  const std::complex<double> s = r[0] + r[1] + r[2], p = r[0] * r[1] + r[0] * r[2] + r[1] * r[2], q = r[0] * r[1] * r[2];
  return {f(a3), f(-a3 * s.real()), f(a3 * p.real()), f(-a3 * q.real())};
}

// 2^k (x - p 2^j)^2 (x - q 2^j), integers |p|, |q| <= 128 (q = p for a triple root): every step exact.
inline cubic multiple(rng& g) {
  const double p = integer(g, -128, 128), q = integer(g, 0, 3) != 0 ? integer(g, -128, 128) : p;
  const double s = std::ldexp(1.0, integer(g, -30, 30)), a3 = std::ldexp(1.0, integer(g, -30, 30));
  return from_roots(a3, {p * s, p * s, q * s});
}

// a3 (x - r)((x - u)^2 + v^2) from {a3, r, u, v}.
inline cubic from_pair(const std::array<double, 4>& x) { return from_roots(x[0], {x[1], {x[2], x[3]}, {x[2], -x[3]}}); }

// The batch program's reference mix (bench/make-test6.py): 40% three real
// roots, 40% a real root and a pair, 20% independent coefficients, over
// several decades.
inline cubic reference_mix(rng& g) {
  const double kind = uniform(g, 0, 1), a3 = decades(g, -2, 2), s = std::pow(10.0, uniform(g, -2, 3));
  if (kind < 0.4) return from_roots(a3, {s * uniform(g, -1, 1), s * uniform(g, -1, 1), s * uniform(g, -1, 1)});
  if (kind < 0.8) return from_pair({a3, s * uniform(g, -1, 1), s * uniform(g, -1, 1), s * uniform(g, 0.01, 1)});
  return four(g, [](rng& h) { return f(decades(h, -3, 3)); });
}

// 2^k (p x - q)^2 (r x - s), or (p x - q)^3, with its roots scaled by 2^j
// (coefficient i times 2^(k - i j)): small integers, so every coefficient
// is exact when it lies in the float range; drawn again until it does.
inline cubic multiple_over_range(rng& g) {
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
inline float moved(float x, int n) { return from_bits(bits(x) + static_cast<std::uint32_t>(n)); }

struct family { const char* name; int count; cubic (*make)(rng&); };

inline const family families[] = {
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
     }},    // The batch program's input mix (reference_mix()), the ordinary cubic the costs are measured against
    // (exact_test.cpp, CostsWithinBounds).
    {"reference mix", 1000, reference_mix},
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
};

// The coefficients, each as show(float) writes it.
inline std::string text(const cubic& c) {
  std::string out;
  for (const float x : c) (out += ' ') += show(x);
  return out;
}

// Per root its flag and the bits of both parts, for a float or a double
// solution; an unwritten root's parts print as the quiet NaN when both are
// NaN.  Equal text, equal answers.
template <class Solution>
  requires requires(const Solution& s) { s.written[0]; }
std::string show(const Solution& s) {
  using real = decltype(s.root[0].real());
  using word = std::conditional_t<sizeof(real) == 4, std::uint32_t, std::uint64_t>;
  constexpr int digits = 2 * sizeof(real);
  std::string out;
  for (int k = 0; k < 3; ++k) {
    const bool blank = !s.written[k] && std::isnan(s.root[k].real()) && std::isnan(s.root[k].imag());
    const real q = std::numeric_limits<real>::quiet_NaN(), re = blank ? q : s.root[k].real(), im = blank ? q : s.root[k].imag();
    char buf[160];
    std::snprintf(buf, sizeof buf, "  flag %d, %s: %0*llX %0*llX (%a %+ai)\n", s.flag[k], s.written[k] ? "written" : "not written",
                  digits, static_cast<unsigned long long>(std::bit_cast<word>(re)), digits,
                  static_cast<unsigned long long>(std::bit_cast<word>(im)), static_cast<double>(re), static_cast<double>(im));
    out += buf;
  }
  return out;
}

// The generator of family k, seeded as the tests seed it.
inline rng family_rng(const family& fam) { return rng(0x5eed0000u + static_cast<unsigned>(&fam - families)); }

}  // namespace qubic::test

#endif  // QUBIC_TESTS_EXACT_FAMILIES_HPP
