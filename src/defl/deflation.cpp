// deflation: the quadratic factor left when a real root is divided out of a
// cubic, each coefficient taken from whichever recurrence is stable for it.
//
// Contract: x and a are read only; iflag is written on every call.
//   -1  x is nonzero and a quotient coefficient of either recurrence is
//       NaN or infinite (every NaN or infinite x lands here)   b untouched
//    0  x is zero: b = (a(1), a(2), a(3))                      b written
//    0  both recurrences finite, but a term |a(j) x^j| overflowed, so the
//       split was chosen on the terms before it                 b written
//    1  both recurrences finite, every term compared           b written
//
// The forward recurrence is stable for the coefficients whose terms dominate
// the cubic at the root from above, the backward one for those below: the
// coefficients below the index k of the largest term come from the backward
// recurrence, the others from the forward one.  k never exceeds 2, so the
// factor's leading coefficient is always the forward f(2) = a(3), exactly;
// the backward g(2) is screened but never used.  The remainder f(-1) is not
// screened: an infinite value of the cubic at the root does not stop the
// division.
//
// Example: x^3 - 6x^2 + 11x - 6 at x = 3 has terms 6, 33, 54, 27, so k = 2
// and b = (2, -3, 1) with status 1.
#include <qubic/qubic.hpp>

#include "defl/bdeflation.hpp"
#include "defl/fdeflation.hpp"
#include "defl/maxar.hpp"

namespace qubic {

void deflation(float x, const coeffs& a, factor& b, std::int32_t& iflag) {
  iflag = -1;
  if (x == 0.0f) {
    // The root 0 divides out exactly: shift the coefficients down.
    b(0) = a(1);
    b(1) = a(2);
    b(2) = a(3);
    iflag = 0;
    return;
  }

  remainder_quotient p;
  factor q;
  fdeflation(x, a, p);
  bdeflation(x, a, q);
  for (int i = 0; i <= 2; ++i) {
    if (isnan(p(i)) || isinf(p(i)) || isnan(q(i)) || isinf(q(i))) return;
  }

  std::int32_t k;
  std::int32_t iflagmax;
  maxar(a, x, k, iflagmax);
  iflag = iflagmax == -1 ? 0 : 1;
  for (int i = 0; i <= 2; ++i) b(i) = i < k ? q(i) : p(i);
}

}  // namespace qubic
