// multiple: the cubic with an exact multiple root (multiple.hpp).
#include "exact/multiple.hpp"

#include "exact/expansion.hpp"
#include "exact/part.hpp"
#include "exact/stats.hpp"

namespace qubic::exact {
namespace {

int sign_of(double v) { return (v > 0.0) - (v < 0.0); }

template <int N>
int by_parts(const double* x) {
  int level = 0;
  const int s = parts_sign<N>(x, &level);
  count_parts(level);
  return s;
}

}  // namespace

void solve_multiple(float a, float b, float c, float d, cubic_signs& s, solution& out) {
  const double A = a, B = b, C = c, Dc = d;
  const double bb = B * B;          // exact: 48 bits
  const double ac3 = 3.0 * (A * C);  // exact: 48 + 2 bits
  const int sa = a > 0.0f ? 1 : -1;
  if (bb == ac3) {
    // -b/(3a): 3a has 26 bits and 3a m 51, so -b - 3a m is one rounding
    // of an exact sum.
    const double a3 = 3.0 * A;
    auto side = [&](double m) {
      ++stats().filter;
      return sign_of(-B - a3 * m) * sa;
    };
    const part x = round_part(side, -B / a3);
    for (int k = 0; k < 3; ++k) put_real(out, k, x);
    return;
  }
  // N = 9ad - bc (9ad: 48 + 4 bits) and D = 2b^2 - 6ac (6ac: 48 + 3 bits),
  // each the exact sum hi + lo of two exact doubles; D != 0 here, so
  // D.hi != 0 has the sign of D.
  const two N = two_sum(9.0 * (A * Dc), -(B * C));
  const two D = two_sum(2.0 * bb, -2.0 * ac3);
  const int sD = D.hi > 0.0 ? 1 : -1;
  auto side0 = [&](double m) {  // sign(x0 - m) = sign(N - D m) sign(D)
    const two h = two_prod(D.hi, m);
    const two l = two_prod(D.lo, m);
    const double x[6] = {N.hi, N.lo, -h.hi, -h.lo, -l.hi, -l.lo};
    return by_parts<6>(x) * sD;
  };
  auto side1 = [&](double m) {  // sign(x1 - m), from p = a (m - x0)^2 (m - x1)
    const int P = s.p(m);
    if (P != 0) return -sa * P;
    if (side0(m) != 0) return 0;  // p(m) = 0 and m != x0: m = x1
    return -sa * s.ddp(m);        // m = x0: sign(x1 - x0) = -sign(a p''(x0))
  };
  const double x0g = N.hi / D.hi;
  // x1 = -b/a - 2 x0 cancels when x1 is far smaller than x0; x0^2 x1 =
  // -d/a does not (d != 0 on this path, so x0 != 0).
  const double x1g = x0g != 0.0 ? -Dc / (A * x0g * x0g) : -B / A;
  const part x0 = round_part(side0, x0g);
  const part x1 = round_part(side1, x1g);
  // The order: rounding is monotone, so unequal floats tell it; equal ones
  // (or -0 and +0) need sign(x1 - x0) = -sign(a) sign(p''(x0)), and
  // p''(x0) = (6a N + 2b D) / D: eight exact parts (6a has 26 bits).
  int order = x1.f > x0.f ? 1 : (x1.f < x0.f ? -1 : 0);
  if (order == 0) {
    const two n1 = two_prod(6.0 * A, N.hi), n2 = two_prod(6.0 * A, N.lo);
    const two d1 = two_prod(2.0 * B, D.hi), d2 = two_prod(2.0 * B, D.lo);
    const double x[8] = {n1.hi, n1.lo, n2.hi, n2.lo, d1.hi, d1.lo, d2.hi, d2.lo};
    order = -sa * sD * by_parts<8>(x);
  }
  if (order > 0) {
    put_real(out, 0, x0);
    put_real(out, 1, x0);
    put_real(out, 2, x1);
  } else {
    put_real(out, 0, x1);
    put_real(out, 1, x0);
    put_real(out, 2, x0);
  }
}

}  // namespace qubic::exact
