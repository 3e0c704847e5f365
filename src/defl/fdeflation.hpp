// fdeflation: the forward recurrence of the division of a cubic by (x - r).
#ifndef QUBIC_DEFL_FDEFLATION_HPP
#define QUBIC_DEFL_FDEFLATION_HPP

#include <qubic/qubic.hpp>

namespace qubic {

// Quotient and remainder of the forward (synthetic) division, from the
// highest coefficient down: f(2) = a(3), f(i-1) = a(i) + x*f(i).  f(0..2) is
// the quotient, f(-1) the remainder, the cubic's value at x.  Accurate for the
// coefficients that dominate near the top; each step carries the rounding of
// the previous one downwards.
using remainder_quotient = vec<float, -1, 2>;

inline void fdeflation(float x, const coeffs& a, remainder_quotient& f) {
  f(2) = a(3);
  for (int i = 2; i >= 0; --i) f(i - 1) = a(i) + (x * f(i));
}

}  // namespace qubic

#endif  // QUBIC_DEFL_FDEFLATION_HPP
