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

namespace qubic::exact {
namespace {

// Newton's method until the step is below 2^-40 relative (quadratic
// convergence: the next step would be far below a float's spacing).
double newton_cubic(double a, double b, double c, double d, double x) {
  for (int it = 0; it < 6; ++it) {
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
  const double B = b / a;
  const double C = c / a;
  const double D = d / a;
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
  const double shift = -Bs / 3.0;
  const double p = Cs - Bs * Bs / 3.0;
  const double q = (2.0 * Bs * Bs * Bs - 9.0 * Bs * Cs + 27.0 * Ds) / 27.0;
  if (three_real) {
    const double mp = p < 0.0 ? std::sqrt(-p / 3.0) : 0.0;
    double cosarg = mp > 0.0 ? -q / (2.0 * mp * mp * mp) : 0.0;
    cosarg = std::clamp(cosarg, -1.0, 1.0);
    const double th = std::acos(cosarg) / 3.0;
    for (int i = 0; i < 3; ++i) {
      const double y = 2.0 * mp * std::cos(th - 2.0 * std::numbers::pi * i / 3.0);
      g.x[i] = newton_cubic(a, b, c, d, (y + shift) * sk);
    }
    std::sort(g.x, g.x + 3);
    return g;
  }
  const double h = q * 0.5;
  const double disc = std::max(h * h + (p / 3.0) * (p / 3.0) * (p / 3.0), 0.0);
  const double A = -std::cbrt(h + std::copysign(std::sqrt(disc), h));
  const double y = A + (A != 0.0 ? -p / (3.0 * A) : 0.0);
  const double r = newton_cubic(a, b, c, d, (y + shift) * sk);
  g.x[0] = g.x[1] = g.x[2] = r;
  // p(x) = a (x - r)(x^2 - 2 u x + gamma): 2u = -B - r, gamma = -D/r or,
  // for r = 0, gamma = C.
  double u = -(B + r) * 0.5;
  // Newton on q(u) = 8a^2 u^3 + 8ab u^2 + 2(b^2 + ac) u + (bc - ad).
  const double q3 = 8.0 * a * a;
  const double q2 = 8.0 * a * b;
  const double q1 = 2.0 * (b * b + a * c);
  const double q0 = b * c - a * d;
  for (int it = 0; it < 4; ++it) {
    const double qv = ((q3 * u + q2) * u + q1) * u + q0;
    const double dq = (3.0 * q3 * u + 2.0 * q2) * u + q1;
    if (dq == 0.0) break;
    const double step = qv / dq;
    const double nu = u - step;
    if (!(std::fabs(nu) <= 1e300)) break;
    u = nu;
    if (std::fabs(step) <= 0x1p-40 * std::fabs(u)) break;
  }
  const double gamma = r != 0.0 ? -D / r : C;
  g.re = u;
  g.im = std::sqrt(std::max(gamma - u * u, 0.0));
  return g;
}

}  // namespace qubic::exact
