// quadratic: the correctly rounded roots of b x^2 + c x + d (b != 0) and
// of c x + d (c != 0), all finite floats, decided in double without GMP
// (docs/exact.md section 4, "Lower degrees").
//
// Every sign is exact: c^2 and 4bd are exact doubles, so the sign of the
// discriminant c^2 - 4bd is a comparison; 2b m and c m (m a float or a
// midpoint) are exact, so p'(m) and the rational roots' oracles are signs
// of one rounded sum; p(m) and 4bd - c^2 - 4b^2 m^2 are a filter, then a
// compensated sum of four exact parts, then their exact expansion.  The
// searches start from the closed forms' double values.
//
// Worked examples (Exact.NamedExamples): x^2 - 3x + 2 gives the real
// roots 1, 2; x^2 + 1 the pair 0 +- 1 i; 2x - 3 * 2^-149 the root
// 3 * 2^-150, a tie that goes to the even 2^-148, subnormal (lost false,
// flag -3 once written).
#ifndef QUBIC_EXACT_QUADRATIC_HPP
#define QUBIC_EXACT_QUADRATIC_HPP

#include "exact/part.hpp"

namespace qubic::exact {

// Two real roots ascending by exact value (pair = false; a double root
// twice), or the pair re[0] +- i im[0] (pair = true, im[0] > 0).
struct quadratic_roots {
  part re[2];
  part im[2];
  bool pair;
};

quadratic_roots solve_quadratic(float b, float c, float d);

// The root of c x + d.
part solve_linear(float c, float d);

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_QUADRATIC_HPP
