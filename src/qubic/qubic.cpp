// qubic: the three roots of one cubic and a flag for each.
//
// Contract: array is read only.  fl(1..3) always end as one of the codes
// 1, 0, -1 .. -6 of the public header.  A refused cubic (a coefficient
// infinite, NaN or nonzero subnormal) gets -2, -2, -2 and leaves rroot and
// iroot exactly as the caller had them; other paths write only the roots
// they reach, and the flags say which entries belong to this cubic.
//
// Every flag starts at -6 (not computed) and is overwritten as the solver
// gets further, so a flag never reports on an earlier cubic.  Dispatch is on
// IEEE comparisons with zero, so -0 takes the same road as +0.
//
// Example: x^3 - 6x^2 + 11x - 6 (array = (-6, 11, -6, 1)) gives the roots
// 3, 2 - 2^-23, 1 + 2^-23, imaginary parts 0, and flags 1, 1, 1.
#include <qubic/qubic.hpp>

#include "qubic/paths.hpp"

namespace qubic {

void qubic(const coeffs& array, roots& rroot, roots& iroot, flags& fl) {
  fl(1) = flag::not_computed;
  fl(2) = flag::not_computed;
  fl(3) = flag::not_computed;

  for (int i = 0; i <= 3; ++i) {
    const float c = array(i);
    if (isinf(c) || isnan(c) || isdnrm(c)) {
      fl(1) = flag::refused;
      fl(2) = flag::refused;
      fl(3) = flag::refused;
      return;
    }
  }

  if (array(3) == 0.0f) {
    leading_zero(array, rroot, iroot, fl);
  } else if (array(0) == 0.0f) {
    constant_zero(array, rroot, iroot, fl);
  } else {
    general(array, rroot, iroot, fl);
  }
}

}  // namespace qubic
