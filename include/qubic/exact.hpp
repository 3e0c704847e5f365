// qubic/exact.hpp: the exact engine, every root of a float cubic correctly rounded.
//
//   #include <qubic/exact.hpp>
//
//   const qubic::solution s = qubic::solve_exact(1.0f, 0.0f, 0.0f, 3.0f);
//   // s.root: -1.4422495, 0.72112477 + 1.2490247i, 0.72112477 - 1.2490247i;
//   // flags 1, 1, 1
//
// The roots are those of the exact polynomial whose coefficients are the
// given floats (the problem itself is never rounded).  Each real part and
// each imaginary part is the float nearest to the true value, ties to even.
// Every finite coefficient is accepted, subnormal ones included.  The number
// of real roots and their multiplicities are decided exactly: a double or a
// triple root comes back as equal real roots, never as a complex pair.
//
// Order: the real roots ascending, then a complex pair with the positive
// imaginary part first.  A real root's imaginary part is +0; an exact zero
// root is +0.  A leading coefficient of zero leaves fewer roots: a quadratic
// gives roots 0 and 1 (numbered 1 and 2 in the by-reference form), a linear
// polynomial root 0 (1).
//
// Flags, the codes of qubic::flag where they apply, and no others:
//    1  correctly rounded, and normal or an exact zero
//   -3  correctly rounded, but a part overflows (+-inf), is subnormal, or is
//       a nonzero value that rounds to zero
//   -1  no such root (the leading coefficient is zero)
//    0  the zero polynomial: every number is a root
//   -2  a coefficient is infinite or NaN: nothing is written
#ifndef QUBIC_EXACT_HPP
#define QUBIC_EXACT_HPP

#include <qubic/qubic.hpp>
#include <qubic/solve.hpp>

namespace qubic {

// The correctly rounded roots of a3 x^3 + a2 x^2 + a1 x + a0, with flags as
// above.  root[k], flag[k] and written[k] are those of solution; an
// unwritten root (flag -1, 0 or -2) is NaN in both parts.  Never throws.
solution solve_exact(float a3, float a2, float a1, float a0);

// The same engine in the by-reference form of qubic(): array(k) is the
// coefficient of x^k, roots and flags are numbered 1..3, and an entry that
// is not written (flags -1, 0, -2) keeps the caller's value.  It fits where
// a solver of that shape is expected, such as the batch program's loop.
void qubic_exact(const coeffs& array, roots& rroot, roots& iroot, flags& fl);

// The same contract for double coefficients: the roots of the exact
// polynomial whose coefficients are the given doubles, each real and
// imaginary part rounded to the nearest double (ties to even), with the
// flags, order and signed zeros above; every finite double is accepted,
// subnormal ones included, and a part beyond the double range is +-inf
// (flag -3).  Its own name, not an overload of solve_exact, so that calls
// with float or int arguments keep their meaning.
solution_double solve_exact_double(double a3, double a2, double a1, double a0);

using coeffs_double = vec<double, 0, 3>;  // coeffs_double(k): coefficient of x^k
using roots_double = vec<double, 1, 3>;   // real or imaginary parts of roots 1..3

// solve_exact_double in the by-reference form of qubic_exact.
void qubic_exact_double(const coeffs_double& array, roots_double& rroot, roots_double& iroot, flags& fl);

}  // namespace qubic

#endif  // QUBIC_EXACT_HPP
