// approx_cluster: second guesses for clustered roots (approx.hpp).
//
// Near a double or triple root the first guesses lose about half or two
// thirds of their bits: the monic coefficients are rounded, and a cluster's
// roots move by the cube or square root of that error.  Shifting to the
// cluster's centre s, x = s + y, leaves a cubic in y whose coefficients
// a, 3as + b, p'(s) and p(s) are taken to about twice double precision
// (compensated Horner scheme: Graillat, Langlois and Louvet, "Compensated
// Horner scheme", 2005); its roots near 0 are then well posed.  The centre
// is the double root the coefficients would have if the discriminant were
// 0, (9ad - bc) / (2(b^2 - 3ac)), or -b/(3a) when b^2 - 3ac nearly vanishes
// (three roots close together).  Nothing here is trusted.
//
// Worked example (ExactGuesses.Cluster): for 0x1.fffffcp-49 x^3 + 0x1.dbp-58
// x^2 - 0x1.db6p-77 x + 0x1.db8p-98 (roots near -0x1.db8p-10 and a pair
// 2^-15 apart near 2^-20) the first guesses of the pair are -0x1.1cap-19 and
// 0x1.799p-16, millions of cells away; these fall in the cells of the
// correctly rounded roots, 0x1.fffef6p-21 and 0x1.000084p-20.
#include <algorithm>
#include <cmath>

#include "exact/approx.hpp"
#include "exact/expansion.hpp"

namespace qubic::exact {
namespace {

// c[n] x^n + ... + c[0], compensated: the rounding errors of Horner's scheme
// are gathered by two_prod and two_sum and added back at the end.
double horner2(const double* c, int n, double x) {
  double s = c[n];
  double e = 0.0;
  for (int k = n - 1; k >= 0; --k) {
    const two p = two_prod(s, x);
    const two t = two_sum(p.hi, c[k]);
    s = t.hi;
    e = e * x + (p.lo + t.lo);
  }
  return s + e;
}

bool finite(double x) { return std::isfinite(x); }

}  // namespace

guesses approx_cluster(double a, double b, double c, double d, bool three_real, const guesses& first) {
  const double bb = b * b;
  const two N = two_sum(9.0 * (a * d), -(b * c));
  const two D = two_sum(2.0 * bb, -6.0 * (a * c));
  const double s = std::fabs(D.hi) > 0x1p-20 * bb ? N.hi / D.hi : -b / (3.0 * a);
  const double pc[4] = {d, c, b, a};
  const double dpc[3] = {c, 2.0 * b, 3.0 * a};
  const double b1 = (3.0 * a) * s + b;
  const double c1 = horner2(dpc, 2, s);
  const double d1 = horner2(pc, 3, s);
  if (!(finite(s) && finite(b1) && finite(c1) && finite(d1))) return first;
  const guesses y = approx_roots(a, b1, c1, d1, three_real);
  // x = s + y cancels when x is far below s: such a part comes from the
  // product of the roots (-d/a) instead, or keeps the first guess.
  auto cancels = [&](double x) { return !(std::fabs(x) >= 0x1p-8 * std::fabs(s)) || !finite(x); };
  guesses g = first;
  if (three_real) {
    double x[3];
    int bad = 0;
    int at = 0;
    for (int i = 0; i < 3; ++i) {
      x[i] = s + y.x[i];
      if (cancels(x[i])) {
        ++bad;
        at = i;
      }
    }
    if (bad > 1) return first;
    if (bad == 1) x[at] = -d / (a * (x[(at + 1) % 3] * x[(at + 2) % 3]));
    if (!(finite(x[0]) && finite(x[1]) && finite(x[2]))) return first;
    std::sort(x, x + 3);
    for (int i = 0; i < 3; ++i) g.x[i] = x[i];
    return g;
  }
  const double u = s + y.re;
  const double v = y.im;
  if (!cancels(u)) g.re = u;
  if (finite(v)) g.im = v;
  const double r = s + y.x[0];
  if (!cancels(r)) {
    g.x[0] = g.x[1] = g.x[2] = r;
  } else {
    const double uv = g.re * g.re + g.im * g.im;
    const double r2 = -d / (a * uv);
    if (finite(r2) && uv != 0.0) g.x[0] = g.x[1] = g.x[2] = r2;
  }
  return g;
}

}  // namespace qubic::exact
