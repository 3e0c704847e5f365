// solve64: the correctly rounded roots of a double cubic (a != 0, d != 0)
// and of the lower degrees, docs/exact64.md sections 5 to 8.
//
// solve_cubic64 writes all three roots of out: real roots ascending by exact
// value, then the pair, positive imaginary part first; written = true; flag
// 1, or -3 for a root with a part that overflows, is subnormal or is lost to
// zero.  solve_low64 (a = 0) writes a quadratic's roots 0 and 1 (flag[2] =
// -1), a linear one's root 0 (flags[1, 2] = -1), or no root (flags -1, or 0
// for the zero polynomial); roots not written keep the caller's values.
// Only the stats64 counters are written besides.
//
// Worked examples (Exact64Named): (x - 1)(x - 2)(x - 3) gives 1, 2, 3;
// x^3 + 3 gives -0x1.7137449123ef6p+0, then 0x1.7137449123ef6p-1 +-
// 0x1.3fc0164bf0b56p+0 i (300-bit mpmath); x^2 - 3x + 2 (a = 0) gives 1, 2
// with flags 1, 1, -1.
#ifndef QUBIC_EXACT64_SOLVE64_HPP
#define QUBIC_EXACT64_SOLVE64_HPP

#include <qubic/exact.hpp>

namespace qubic::exact64 {

void solve_cubic64(double a, double b, double c, double d, solution_double& out);
// Returns, for a quadratic, the sign of its discriminant (1: two real
// roots, 0: a double root, -1: a pair); 0 otherwise.
int solve_low64(double b, double c, double d, solution_double& out);

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_SOLVE64_HPP
