// poli: the value of the cubic a at x, by Horner's rule; the Newton iteration
// uses it at the two bracket ends.
#ifndef QUBIC_NR_POLI_HPP
#define QUBIC_NR_POLI_HPP

#include <cmath>

#include <qubic/qubic.hpp>

namespace qubic {

inline float poli(float x, const coeffs& a) {
  float p = a(3);
  for (int i = 2; i >= 0; --i) p = a(i) + (p * x);
  return p;
}

}  // namespace qubic

#endif  // QUBIC_NR_POLI_HPP
