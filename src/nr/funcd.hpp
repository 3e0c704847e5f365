// funcd: the evaluation under each Newton pass, inline so that the
// iteration's loop keeps it in registers.
#ifndef QUBIC_NR_FUNCD_HPP
#define QUBIC_NR_FUNCD_HPP

#include <cmath>

#include <qubic/qubic.hpp>

namespace qubic {

// funcd: value f, derivative df and running error estimate e of the cubic a
// at x, by Horner's rule.  f is bit for bit poli(x, a).  In exact arithmetic
//   e = 0.5|a3||x|^3 + |p2||x|^2 + |p1||x| + |f|
// with p2 = a2 + a3 x, p1 = a1 + p2 x: a bound on the rounding error of f in
// units of the unit roundoff, which the caller scales by 2^-24.
// Example: a = (-2, 0, 0, 1) (x^3 - 2) at x = 2 gives f = 6, df = 12, e = 26.
inline void funcd(float x, float& f, float& df, float& e, const coeffs& a) {
  f = a(3);
  e = std::fabs(f) * 0.5f;
  df = 0.0f;
  const float ax = std::fabs(x);
  for (int i = 2; i >= 0; --i) {
    df = f + (df * x);      // uses f before this step
    f = a(i) + (f * x);
    e = (ax * e) + std::fabs(f);
  }
}

}  // namespace qubic

#endif  // QUBIC_NR_FUNCD_HPP
