// The seeded families of double cubics on which the double engine is checked
// (tests/exact64/exact64_reference_test.cpp against the rational reference)
// and the double batch path against the scalar engine
// (tests/batch64/batch64_test.cpp): one definition for both.
#ifndef QUBIC_TESTS_EXACT64_FAMILIES64_HPP
#define QUBIC_TESTS_EXACT64_FAMILIES64_HPP

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace qubic::test64 {

using cubic = std::array<double, 4>;  // a3, a2, a1, a0

inline std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }
inline double from_bits(std::uint64_t u) { return std::bit_cast<double>(u); }

// Families.  Draws are sequenced (one declaration each, or braced lists) so
// that every compiler makes the same cubics.  Coefficients computed in double
// arithmetic round: the cubic solved is the rounded one.  Those built from
// integers are exact, and say so.

using rng = std::mt19937_64;
inline double uniform(rng& g, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g); }
inline std::int64_t integer(rng& g, std::int64_t lo, std::int64_t hi) { return std::uniform_int_distribution<std::int64_t>(lo, hi)(g); }
inline bool coin(rng& g) { return integer(g, 0, 1) == 1; }
inline int sign(rng& g) { return coin(g) ? -1 : 1; }

// m 2^e, m uniform in [1, 2), e in [lo, hi] (below 2^-1022 it rounds to a
// subnormal), of random sign when any_sign.
inline double binades(rng& g, int lo, int hi, bool any_sign = true) {
  const double m = uniform(g, 1, 2);
  const auto e = static_cast<int>(integer(g, lo, hi));
  const double x = std::ldexp(m, e);
  return any_sign && coin(g) ? -x : x;
}

inline cubic four(rng& g, double (*draw)(rng&)) { return {draw(g), draw(g), draw(g), draw(g)}; }

// a3 (x - r0)(x - r1)(x - r2), and a3 (x - r)((x - u)^2 + v^2), expanded in double.
inline cubic from_reals(double a3, double r0, double r1, double r2) {
  const double s = r0 + r1 + r2, p = r0 * r1 + r0 * r2 + r1 * r2, q = r0 * r1 * r2;
  return {a3, -a3 * s, a3 * p, -a3 * q};
}
inline cubic from_pair(double a3, double r, double u, double v) {
  const double w = u * u + v * v;
  return {a3, -a3 * (r + 2 * u), a3 * (w + 2 * u * r), -a3 * (r * w)};
}

// Integer coefficients C (a3 first, each with at most 53 significant bits),
// roots scaled by 2^j and the cubic by 2^k: c_i = C_i 2^(k + (3-i) j) for
// the coefficient of x^i.  exact_window gives the k that keep every nonzero
// coefficient an exact double (lowest bit at least 2^-1074, value below
// 2^1024); lo > hi when j leaves none.
using integers = std::array<std::int64_t, 4>;
struct window { int lo, hi; };
inline window exact_window(const integers& c, int j) {
  window w{-100000, 100000};
  for (int n = 0; n < 4; ++n) {
    if (c[n] == 0) continue;
    const auto m = static_cast<std::uint64_t>(c[n] < 0 ? -c[n] : c[n]);
    const int shift = n * j;  // c[n] is the coefficient of x^(3-n): factor 2^(n j)
    w.lo = std::max(w.lo, -1074 - shift - std::countr_zero(m));
    w.hi = std::min(w.hi, 1024 - shift - static_cast<int>(std::bit_width(m)));
  }
  return w;
}
inline cubic scaled(const integers& c, int j, int k) {
  cubic out;
  for (int n = 0; n < 4; ++n) out[n] = std::ldexp(static_cast<double>(c[n]), k + n * j);
  return out;
}
// j from [jlo, jhi] until its window meets [klo, khi]; k from there.
inline cubic place(rng& g, const integers& c, int jlo, int jhi, int klo, int khi) {
  for (;;) {
    const auto j = static_cast<int>(integer(g, jlo, jhi));
    const window w = exact_window(c, j);
    const int lo = std::max(w.lo, klo), hi = std::min(w.hi, khi);
    if (lo <= hi) return scaled(c, j, static_cast<int>(integer(g, lo, hi)));
  }
}

// (x - p)^2 (x - q), integers |p|, |q| <= 2^16 (q = p for a triple root; p = 0
// a double zero root): coefficients below 2^50, exact.
inline integers multiple_integers(rng& g) {
  const std::int64_t p = integer(g, -65536, 65536);
  const std::int64_t q = integer(g, 0, 3) != 0 ? integer(g, -65536, 65536) : p;
  return {1, -(2 * p + q), p * p + 2 * p * q, -p * p * q};
}

// Roots scaled by 2^j, the cubic by 2^k: either both within 2^+-200, or k at
// an end of its exact window (the smallest coefficient subnormal or the
// largest near 2^1023).
inline cubic multiple(rng& g, bool at_ends) {
  const integers c = multiple_integers(g);
  if (!at_ends) return place(g, c, -200, 200, -200, 200);
  for (;;) {
    const auto j = static_cast<int>(integer(g, -350, 330));
    const window w = exact_window(c, j);
    const auto d = static_cast<int>(integer(g, 0, 8));
    const bool low = coin(g);
    if (w.lo + 8 <= w.hi) return scaled(c, j, low ? w.lo + d : w.hi - d);
  }
}

// x^3 - (K - e1) x^2 - e1 (K - e2) x - e1 e2 (K - e3), K odd in [2^53, 2^54),
// e1, e2 = +-1, e3 odd in [1, 2^45): every coefficient an even integer of at
// most 2^54, so a double, and p(K) = e1 e2 e3 (expand: the K^3, K^2 and K terms
// cancel in turn), p'(K) = K^2 + e1 K + e1 e2 > 2^105.  So a root lies
// within about e3 / K^2 < 2^-61 of K, which is the midpoint of the doubles
// K - 1 and K + 1: closer than 2^-62 of their spacing.  Then the roots are
// scaled by +-2^j and the cubic by 2^k.
inline cubic near_midpoint(rng& g) {
  const std::int64_t k0 = 2 * integer(g, 0, (std::int64_t{1} << 52) - 1) + 1 + (std::int64_t{1} << 53);
  const int e1 = sign(g), e2 = sign(g);
  const std::int64_t e3 = 2 * integer(g, 0, (std::int64_t{1} << 44) - 1) + 1;
  const int flip = sign(g);  // x -> -x negates a2 and a0
  const integers c{1, -(k0 - e1) * flip, -e1 * (k0 - e2), -e1 * e2 * (k0 - e3) * flip};
  return place(g, c, -340, 300, -40, 40);
}

// x^3 - R (x - u0)^2 with R = 2^k, u0 = +-m 2^e (m < 2^26): coefficients
// 1, -R, 2 R u0, -R u0^2, exact.  Its small roots solve (x - u0)^2 = x^3 / R,
// so for u0 < 0 a pair u0 +- i |u0| (|u0| / R)^(1/2), to first order, and for
// u0 > 0 two real roots as close; |u0| / R = 2^-2rho, rho in 20 .. 110.
// Then x -> -x at random.
inline cubic tiny_imaginary(rng& g) {
  const auto k = static_cast<int>(integer(g, -150, 330));
  const auto rho = static_cast<int>(integer(g, 20, 110));
  const std::int64_t m = integer(g, std::int64_t{1} << 25, (std::int64_t{1} << 26) - 1);
  const int s = sign(g), flip = sign(g);
  const int e = k - 2 * rho - 25;
  const auto md = static_cast<double>(m);
  return {1, -flip * std::ldexp(1, k), s * std::ldexp(md, k + 1 + e), -flip * std::ldexp(md * md, k + 2 * e)};
}

// (x - r)(x^2 - 2u x + w), w = v^2 rounded, v = 2^j (1 .. 2), u = +-v 2^-rho
// with a 26-bit significand, rho in 20 .. 110, r = n u for an integer
// |n| <= 2^20 (r + 2u exact); or u = 0 (a pure imaginary pair) and any r.
// a1 = w + 2ur and a0 = -rw round, which moves r by about 2^-53 r and so
// u by about 2^-54 u: the real part stays 2^-rho of the imaginary part.
inline cubic tiny_real(rng& g) {
  const double v = binades(g, -300, 300, false);
  const auto rho = static_cast<int>(integer(g, 20, 110));
  const double u = integer(g, 0, 7) == 0 ? 0.0 : std::ldexp(static_cast<double>(integer(g, -(1 << 25), 1 << 25)), -25 - rho) * v;
  const double r = u == 0 ? binades(g, -300, 300) : static_cast<double>(integer(g, -(1 << 20), 1 << 20)) * u;
  return from_pair(1, r, u, v);
}

struct family { const char* name; int count; cubic (*make)(rng&); };

inline const family families[] = {
    {"ordinary", 500, [](rng& g) { return four(g, [](rng& h) { return uniform(h, -10, 10); }); }},
    {"three real roots over binades", 400,
     [](rng& g) {
       const std::array<double, 3> r{binades(g, -300, 300), binades(g, -300, 300), binades(g, -300, 300)};
       return from_reals(1, r[0], r[1], r[2]);
     }},
    {"complex pairs", 400,
     [](rng& g) {
       const std::array<double, 4> x{binades(g, -60, 60, false), binades(g, -150, 150), binades(g, -150, 150), binades(g, -150, 150, false)};
       return from_pair(x[0], x[1], x[2], x[3]);
     }},
    {"exact multiple roots", 400, [](rng& g) { return multiple(g, false); }},
    {"exact multiple roots scaled to the range ends", 400, [](rng& g) { return multiple(g, true); }},
    // A pair whose imaginary part is 2^-20 .. 2^-300 of its real part before the coefficients round.
    {"tiny imaginary parts, rounded", 400,
     [](rng& g) {
       const double u = binades(g, -10, 10), r = uniform(g, -3, 3), v = std::fabs(u) * binades(g, -300, -20, false);
       return from_pair(1, r, u, v);
     }},
    {"imaginary part 2^-20 .. 2^-110 of the real part, exact", 400, tiny_imaginary},
    {"real part 2^-20 .. 2^-110 of the imaginary part", 400, tiny_real},
    // Either an exact multiple root split by moving one coefficient -3 .. 3
    // doubles, or roots r, r + e and r + 2e or r - e, e of 2^-50 .. 2^-5 of r.
    {"near-multiple roots", 400,
     [](rng& g) {
       if (coin(g)) {
         cubic c = multiple(g, false);
         const auto at = static_cast<std::size_t>(integer(g, 0, 3));
         c[at] = from_bits(bits(c[at]) + static_cast<std::uint64_t>(integer(g, -3, 3)));
         return c;
       }
       const double r = binades(g, -100, 100), e = std::fabs(r) * binades(g, -50, -5), third[] = {r + e, r + 2 * e, r - e};
       return from_reals(1, r, r + e, third[integer(g, 0, 2)]);
     }},
    // A real root r and a pair u +- iv close to it (a triple root pulled
    // apart): |u - r| and v of 2^-50 .. 2^-5 of r, where the pair's guesses
    // come from the cubic shifted to the cluster first.
    {"real root and pair close together", 400,
     [](rng& g) {
       const double r = binades(g, -100, 100), u = r + std::fabs(r) * binades(g, -50, -5);
       return from_pair(1, r, u, std::fabs(r) * binades(g, -50, -5, false));
     }},
    // Any bit pattern (every exponent, subnormals; cubics with an infinity or a
    // NaN are skipped), +-0 with probability 1/8 (zero roots, lower degrees).
    {"coefficients over the whole range", 1000,
     [](rng& g) { return four(g, [](rng& h) { const std::uint64_t u = h(); return from_bits(u % 8 == 0 ? u & 0x8000000000000000u : u); }); }},
    // Each coefficient a subnormal (or zero) with probability 1/2, else within [-4, 4].
    {"subnormal coefficients", 400,
     [](rng& g) { return four(g, [](rng& h) { return coin(h) ? from_bits(h() & 0x800FFFFFFFFFFFFFu) : uniform(h, -4, 4); }); }},
    // Coefficients in [-4, 4], then a3 = a of 2^-1074 .. 2^-950 and a2 = -a t,
    // a root near t of 2^1010 .. 2^1031 (doubles end below 2^1024); or a1 = a
    // of 2^-3 .. 2^4 and a0 = -a t, t of 2^-1100 .. 2^-1009 (the subnormal
    // range).  a t is formed from the significands and exponents, as t itself
    // may be beyond the doubles.
    {"roots at the overflow and underflow edges", 600,
     [](rng& g) {
       cubic c = four(g, [](rng& h) { return uniform(h, -4, 4); });
       const bool top = coin(g);
       const double ma = uniform(g, 1, 2) * sign(g), mt = uniform(g, 1, 2);
       const auto ea = static_cast<int>(top ? integer(g, -1074, -950) : integer(g, -3, 3));
       const auto et = static_cast<int>(top ? integer(g, 1010, 1030) : integer(g, -1100, -1010));
       const std::size_t i = top ? 0 : 2;
       c[i] = std::ldexp(ma, ea);
       c[i + 1] = -std::ldexp(ma * mt, ea + et);
       return c;
     }},
    {"a root within 2^-62 of a spacing from a midpoint", 400, near_midpoint},
    // Exact ties, o odd: a real root o 2^-1075 halfway between two subnormals,
    // 2^k (x - o 2^-1075)(x^2 + m 2^j); a zero root and a pair whose real part
    // o 2^-1075 is halfway, 2^k x (x^2 - o 2^-1074 x + w); or a real root
    // just off such a midpoint, (o 2^s + 1) 2^-(1075 + s), s in 1 .. 32, in
    // 2^k (x - that)(x^2 + 2^j).
    {"rational roots on or just off a midpoint", 400,
     [](rng& g) {
       const std::int64_t o = 2 * integer(g, 0, 1 << 19) + 1, m = integer(g, 1, 1 << 20);
       const auto k = static_cast<int>(integer(g, 34, 60)), j = static_cast<int>(integer(g, 0, 80));
       const auto od = static_cast<double>(o);
       switch (integer(g, 0, 2)) {
         case 0: return cubic{std::ldexp(1, k), std::ldexp(-od, k - 1075), std::ldexp(static_cast<double>(m), j + k), std::ldexp(-od * static_cast<double>(m), j + k - 1075)};
         case 1: return cubic{std::ldexp(1, k), std::ldexp(-od, k - 1074), std::ldexp(uniform(g, 0.1, 8), k), 0.0};
         default: {
           const auto s = static_cast<int>(integer(g, 1, 32));
           const double n = std::ldexp(od, s) + 1;  // below 2^53: exact
           return cubic{std::ldexp(1, k), std::ldexp(-n, k - 1075 - s), std::ldexp(1, j + k), std::ldexp(-n, j + k - 1075 - s)};
         }
       }
     }},
    // a3 = +-0: a linear polynomial with a root o 2^-1075 (a tie); a quadratic
    // with a zero root and a tie, or with a pair whose real part is a tie,
    // 2^k (x^2 - o 2^-1074 x + w); or a2, a1, a0 any bit patterns.
    {"quadratics and linear polynomials", 400,
     [](rng& g) {
       const double o = static_cast<double>(2 * integer(g, 0, std::int64_t{1} << 40) + 1) * sign(g);
       const auto k = static_cast<int>(integer(g, 1, 1000));
       const double zero = coin(g) ? -0.0 : 0.0;
       switch (integer(g, 0, 3)) {
         case 0: return cubic{zero, 0.0, std::ldexp(1, k), std::ldexp(-o, k - 1075)};
         case 1: return cubic{zero, std::ldexp(1, k), std::ldexp(-o, k - 1075), 0.0};
         case 2: return cubic{zero, std::ldexp(1, k), std::ldexp(-o, k - 1074), std::ldexp(uniform(g, 0.1, 8), k)};
         default: return cubic{zero, from_bits(g()), from_bits(g()), from_bits(g())};
       }
     }},
};

// Family k of `families` is drawn from rng(0x5eed6400 + k).
inline rng family_rng(std::size_t k) { return rng(0x5eed6400u + k); }

}  // namespace qubic::test64

#endif  // QUBIC_TESTS_EXACT64_FAMILIES64_HPP
