// bdeflation: the backward recurrence of the division of a cubic by (x - r).
#ifndef QUBIC_DEFL_BDEFLATION_HPP
#define QUBIC_DEFL_BDEFLATION_HPP

#include <qubic/qubic.hpp>

namespace qubic {

// The quotient from the constant term up: g(0) = -(a(0)/x), then
// g(i) = (g(i-1) - a(i))/x.  Accurate for the low coefficients when the root
// is large.  x must not be zero (deflation handles that case first).
inline void bdeflation(float x, const coeffs& a, factor& g) {
  g(0) = -(a(0) / x);
  for (int i = 1; i <= 2; ++i) g(i) = (g(i - 1) - a(i)) / x;
}

}  // namespace qubic

#endif  // QUBIC_DEFL_BDEFLATION_HPP
