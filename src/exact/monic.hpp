// monic: the monic cubic (x - r1)(x - r2)(x - r3) multiplied out exactly
// and rounded once, for the exact engine's records.
#ifndef QUBIC_EXACT_MONIC_HPP
#define QUBIC_EXACT_MONIC_HPP

#include <qubic/qubic.hpp>

namespace qubic::exact {

// Reads roots k = rroot(k) + i iroot(k), k = 1..3; writes all of rb, ib
// (0..3) as coef does: rb(j) + i ib(j) is the coefficient of x^j.  Each part
// is the exact value for the given float roots rounded once to float (to
// nearest, ties to even): an exact zero is +0, a nonzero value that rounds to
// zero keeps its sign, a value beyond the float range is +-inf.  rb(3) = 1,
// ib(3) = +0.  The roots are meant finite (a solved record's are): a part
// computed from an infinite or NaN one comes out NaN, nothing worse.
// Nothing is widened beyond double, nothing
// allocated; the argument is in docs/programs.md ("The rebuilt cubic of
// --exact").
//
// Example: the exact engine's roots of 1e-30 x^3 + 1e30 are r1 = -2u and
// u +- iv with u = 50000001002043867136 = float(5e19) and
// v = 86602540780567396352 = float(8.660254e19).  x^2 has -(r1 + 2u) = 0,
// written +0 (coef writes -0); x has v^2 - 3u^2 = -2.3096332...e32 (coef
// writes NaN, from inf - inf); x^0 has 2u (u^2 + v^2) = 1.00000004e60,
// beyond the range: +inf; every imaginary part is an exact 0, written +0.
void monic(const roots& rroot, const roots& iroot, coeffs& rb, coeffs& ib);

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_MONIC_HPP
