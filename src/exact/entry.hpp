// The two ends that the exact engines share, whatever their precision: the
// answer before any root is found, and a solution in the batch program's
// calling shape.
#ifndef QUBIC_EXACT_ENTRY_HPP
#define QUBIC_EXACT_ENTRY_HPP

#include <limits>

#include <qubic/qubic.hpp>
#include <qubic/solve.hpp>

namespace qubic::exact {

// Every root unwritten, a quiet NaN pair and flag -2: the answer for an
// infinite or NaN coefficient, and where each engine starts.
template <class Real>
basic_solution<Real> unwritten() {
  basic_solution<Real> out;
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  for (int k = 0; k < 3; ++k) {
    out.root[k] = {nan, nan};
    out.written[k] = false;
    out.flag[k] = -2;
  }
  return out;
}

// s into the batch program's arrays: every flag, and the real and imaginary
// parts of the roots written only (the others keep the caller's values).
template <class Real, class Roots>
void to_arrays(const basic_solution<Real>& s, Roots& rroot, Roots& iroot, flags& fl) {
  for (int k = 1; k <= 3; ++k) {
    fl(k) = s.flag[k - 1];
    if (s.written[k - 1]) {
      rroot(k) = s.root[k - 1].real();
      iroot(k) = s.root[k - 1].imag();
    }
  }
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_ENTRY_HPP
