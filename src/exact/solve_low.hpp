// solve_low: the correctly rounded roots of the polynomials that reduce to
// a quadratic or less, by the closed forms of quadratic.hpp (docs/exact.md
// section 4, "Lower degrees" and "A zero root"): all coefficients finite
// floats.
//
// solve_low (a = 0): the quadratic b x^2 + c x + d (b != 0), the linear
// c x + d (c != 0), or a constant.  Writes a quadratic's roots 0 and 1 (two
// real ascending, a double one twice, or the pair u +- iv) with flag 1 or -3
// (flags as in solve_cubic.hpp), flag[2] = -1; a linear one, root 0 and
// flag[1] = flag[2] = -1; a constant, no root and all flags -1 (0 for the
// zero polynomial).  Roots not written keep the caller's values.
//
// solve_zero_root (a != 0, d = 0): x (a x^2 + b x + c), the exact root +0
// and the quadratic's two, real roots ascending by exact value (a negative
// root that rounds to -0 comes before the +0), then a pair.  Writes all
// three roots.
//
// Worked examples (Exact.NamedExamples): x^2 - 3x + 2 gives 1, 2 and flags
// 1, 1, -1; 2x - 3 * 2^-149 has the root 3 * 2^-150, a tie that goes to the
// even 2^-148, subnormal, so flags -3, -1, -1; 2^100 x^3 + 2^-100 x^2 gives
// -0 (from -2^-200, flag -3), +0, +0.
#ifndef QUBIC_EXACT_SOLVE_LOW_HPP
#define QUBIC_EXACT_SOLVE_LOW_HPP

#include <qubic/exact.hpp>

namespace qubic::exact {

void solve_low(float b, float c, float d, solution& out);
void solve_zero_root(float a, float b, float c, solution& out);

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_SOLVE_LOW_HPP
