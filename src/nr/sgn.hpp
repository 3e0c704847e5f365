// sgn: the sign as -1, 0 or +1, for the Newton-or-bisect decision.
#ifndef QUBIC_NR_SGN_HPP
#define QUBIC_NR_SGN_HPP

namespace qubic {

// sgn: 0 for either zero (returned as +0), -1 below zero, +1 otherwise.  A
// NaN is neither zero nor negative: +1.
inline float sgn(float x) {
  if (x == 0.0f) return 0.0f;
  if (x < 0.0f) return -1.0f;
  return 1.0f;
}

}  // namespace qubic

#endif  // QUBIC_NR_SGN_HPP
