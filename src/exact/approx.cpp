// approx: the roots of a cubic in double, as starting guesses (approx.hpp).
//
// The monic cubic is scaled by a power of two so that its roots are of order
// one, solved by the trigonometric form (three real roots) or Cardano's
// formula (one), and every real root is then polished by Newton's method on
// the exact coefficients, which recovers the relative accuracy the shift to
// the depressed cubic loses on small roots.  The complex pair comes from the
// quadratic factor, its real part polished by Newton's method on the cubic
// q(u) whose real root it is.
#include "exact/approx.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numbers>

#include "exact/cube_root.hpp"

namespace qubic::exact {
namespace {

// Newton's method on a x^3 + b x^2 + c x + d from x, at most Steps steps,
// until the step is below 2^-40 relative (quadratic convergence: the next
// step would be far below a float's spacing).
template <int Steps = 6>
double newton_cubic(double a, double b, double c, double d, double x) {
  for (int it = 0; it < Steps; ++it) {
    const double p = ((a * x + b) * x + c) * x + d;
    const double dp = (3.0 * a * x + 2.0 * b) * x + c;
    if (dp == 0.0) break;
    const double step = p / dp;
    const double nx = x - step;
    if (!(std::fabs(nx) <= 1e300)) break;
    x = nx;
    if (std::fabs(step) <= 0x1p-40 * std::fabs(x)) break;
  }
  return x;
}

// The exponent of x (x finite, nonzero) from its bits; -100000 for 0.
int exponent_of(double x) {
  if (x == 0.0) return -100000;
  const int e = static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF);
  return e == 0 ? -1023 : e - 1023;
}

// 2^n for -1022 <= n <= 1023, exact.
double pow2(int n) { return std::bit_cast<double>(static_cast<std::uint64_t>(n + 1023) << 52); }

}  // namespace

guesses approx_roots(double a, double b, double c, double d, bool three_real) {
  guesses g{{0.0, 0.0, 0.0}, 0.0, 0.0};
  const double ia = 1.0 / a;
  const double B = b * ia;
  const double C = c * ia;
  const double D = d * ia;
  int k = std::max({exponent_of(B), exponent_of(C) / 2, exponent_of(D) / 3});
  if (k < -100000 + 10) k = 0;  // x^3: the triple root 0
  // |B|, |C|, |D| lie within 2^-278 .. 2^278 (ratios of floats), so
  // |k| <= 277 and 2^-k, 2^-2k, 2^-3k are normal doubles; the scaled roots
  // are below about 8 in magnitude.
  k = std::clamp(k, -340, 340);
  const double sk = pow2(k);
  const double Bs = B * pow2(-k);
  const double Cs = C * pow2(-2 * k);
  const double Ds = D * pow2(-3 * k);
  constexpr double third = 1.0 / 3.0;
  const double shift = -Bs * third;
  const double p = Cs - Bs * Bs * third;
  const double q = (2.0 * Bs * Bs * Bs - 9.0 * Bs * Cs + 27.0 * Ds) * (1.0 / 27.0);
  if (three_real) {
    const double mp = p < 0.0 ? std::sqrt(-p * third) : 0.0;
    double cosarg = mp > 0.0 ? -q / (2.0 * mp * mp * mp) : 0.0;
    cosarg = std::clamp(cosarg, -1.0, 1.0);
    // y_k = 2 mp cos(th - 2 pi k / 3), from one cosine and one sine.
    const double th = std::acos(cosarg) * third;
    const double ct = std::cos(th);
    const double st = std::sin(th);
    constexpr double h3 = 0.86602540378443864676;  // sqrt(3) / 2
    const double y[3] = {2.0 * mp * ct, mp * (h3 * 2.0 * st - ct), -mp * (ct + h3 * 2.0 * st)};
    // Away from a near-double root (the cosine's argument well inside
    // (-1, 1)) the formula is accurate to a few units of 2^-52 on roots of
    // order one; a root below 2^-12 has lost bits to the shift, and Newton's
    // method restores them.
    // When only the smallest root is small, it is -D over the product of
    // the other two (the roots multiply to -D), one division instead of
    // Newton's iterations.
    const bool separated = std::fabs(cosarg) < 1.0 - 0x1p-10;
    double xs[3] = {y[0] + shift, y[1] + shift, y[2] + shift};
    int small = -1;  // the index of the smallest root by magnitude
    int nsmall = 0;
    for (int i = 0; i < 3; ++i) {
      if (std::fabs(xs[i]) < 0x1p-12) {
        small = i;
        ++nsmall;
      }
    }
    if (separated && nsmall == 1) {
      const double o1 = xs[(small + 1) % 3];
      const double o2 = xs[(small + 2) % 3];
      xs[small] = -Ds / (o1 * o2);
      for (int i = 0; i < 3; ++i) g.x[i] = xs[i] * sk;
    } else if (nsmall == 2 && Bs != 0.0 && Cs * Cs - 4.0 * Bs * Ds >= 0.0) {
      // Two roots far below the third: there y^3 is negligible beside
      // Bs y^2, and Bs y^2 + Cs y + Ds = 0 (solved without cancellation)
      // starts Newton's method near each of them.
      const double t = -0.5 * (Cs + std::copysign(std::sqrt(Cs * Cs - 4.0 * Bs * Ds), Cs));
      double z[2] = {t / Bs, t != 0.0 ? Ds / t : 0.0};
      int n = 0;
      for (int i = 0; i < 3; ++i) {
        const double x = (std::fabs(xs[i]) < 0x1p-12 ? z[n++] : xs[i]) * sk;
        g.x[i] = newton_cubic(a, b, c, d, x);
      }
    } else {
      for (int i = 0; i < 3; ++i) {
        const double x = xs[i] * sk;
        g.x[i] = (separated && std::fabs(xs[i]) >= 0x1p-12) ? x : newton_cubic(a, b, c, d, x);
      }
    }
    std::sort(g.x, g.x + 3);
    return g;
  }
  const double h = q * 0.5;
  const double p3 = p * third;
  const double disc = std::max(h * h + p3 * p3 * p3, 0.0);
  const double A = -cube_root(h + std::copysign(std::sqrt(disc), h));
  const double y = A + (A != 0.0 ? -p3 / A : 0.0);
  // Likewise Cardano's root, unless the pair is nearly double (disc small
  // beside h^2) or the root is small.
  const double xs = y + shift;
  const bool clean = disc >= 0x1p-20 * (h * h) && std::fabs(xs) >= 0x1p-12;
  const double r = clean ? xs * sk : newton_cubic(a, b, c, d, xs * sk);
  g.x[0] = g.x[1] = g.x[2] = r;
  // p(x) = a (x - r)(x^2 - 2 u x + gamma): 2u = -B - r, gamma = -D/r or,
  // for r = 0, gamma = C.
  double u = -(B + r) * 0.5;
  // B + r cancels when |u| is far below |B| + |r|; Newton's method on q(u)
  // = 8a^2 u^3 + 8ab u^2 + 2(b^2 + ac) u + (bc - ad) then restores it.
  if (!(std::fabs(u) >= 0x1p-16 * (std::fabs(B) + std::fabs(r)))) {
    const double q3 = 8.0 * a * a;
    const double q2 = 8.0 * a * b;
    const double q1 = 2.0 * (b * b + a * c);
    const double q0 = b * c - a * d;
    u = newton_cubic<4>(q3, q2, q1, q0, u);
  }
  const double gamma = r != 0.0 ? -D / r : C;
  g.re = u;
  g.im = std::sqrt(std::max(gamma - u * u, 0.0));
  return g;
}

}  // namespace qubic::exact
