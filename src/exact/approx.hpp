// approx: the roots of a cubic in double, as starting guesses.
//
// Nothing here is trusted: the guesses only choose where the exact search
// starts (src/exact/cells.hpp), so a poor guess costs time, never accuracy.
#ifndef QUBIC_EXACT_APPROX_HPP
#define QUBIC_EXACT_APPROX_HPP

namespace qubic::exact {

struct guesses {
  double x[3];  // real roots ascending (three_real), or x[0] the real root
  double re;    // real part of the complex pair (one real root)
  double im;    // its imaginary part, >= 0
};

// three_real: the caller knows the discriminant is positive.  a != 0.
guesses approx_roots(double a, double b, double c, double d, bool three_real);

// Second guesses for roots that cluster (cluster.cpp), for when the first
// ones failed to confirm: the cubic shifted to the cluster's centre with
// coefficients to about twice double precision, its small roots solved
// there.  A part that cancels in the shift back takes another formula or
// the first guess (first).
guesses approx_cluster(double a, double b, double c, double d, bool three_real, const guesses& first);

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_APPROX_HPP
