// maxar: where the forward and backward quotients meet.
#ifndef QUBIC_DEFL_MAXAR_HPP
#define QUBIC_DEFL_MAXAR_HPP

#include <cmath>
#include <cstdint>

#include <qubic/qubic.hpp>

namespace qubic {

// Finds the largest term |a(j) x^j| of the cubic at x and sets the split k:
// 0 for the constant term, 1 for the x term, 2 for the x^2 and the x^3
// terms.  Comparisons are strict, so on equal magnitudes the lower index
// wins, and a NaN term never wins.  iflagmax is 0 when all four terms were
// compared; -1 when an infinite x term, or an infinite or NaN x^2 term,
// stopped the search, k then being as far as it got.  An overflowing x^3 term
// needs no test: it beats every finite term and gives k = 2.
// Note the argument order: coefficients first, then the point.
inline void maxar(const coeffs& a, float x, std::int32_t& k, std::int32_t& iflagmax) {
  iflagmax = -1;
  k = 0;
  float rmax = std::fabs(a(0));
  float tmax = std::fabs(a(1) * x);
  if (tmax > rmax) {
    rmax = tmax;
    k = 1;
  }
  if (isinf(tmax)) return;
  tmax = std::fabs((a(2) * x) * x);
  if (tmax > rmax) {
    rmax = tmax;
    k = 2;
  }
  if (isinf(tmax) || isnan(tmax)) return;
  tmax = std::fabs(((a(3) * x) * x) * x);
  if (tmax > rmax) k = 2;
  iflagmax = 0;
}

}  // namespace qubic

#endif  // QUBIC_DEFL_MAXAR_HPP
