// multiple: the correctly rounded roots of a cubic with a multiple root
// (a != 0, disc = 0 exactly), decided in double without GMP (docs/exact.md
// section 4, "Multiple roots").
//
// A triple root is -b/(3a); otherwise the double root is x0 = N/D,
// N = 9ad - bc, D = 2(b^2 - 3ac), and the simple one x1 has
// p(m) = a (m - x0)^2 (m - x1).  N and D are exact two-double sums, so
// sign(x0 - m) = sign(N - D m) sign(D) is the sign of six exact parts; x1
// is found from the sign of p, and at the one point where p vanishes
// without m being x1 (m = x0), from p''(x0) = 2a (x0 - x1).  The searches
// start from the fractions' double values.  Writes all three roots of out,
// ascending by exact value, flag 1 or -3.
//
// Worked examples (Exact.NamedExamples): (x - 17)^2 (x - 18) =
// x^3 - 52x^2 + 901x - 5202 gives 17, 17, 18; (x - 1)^3 gives 1, 1, 1.
#ifndef QUBIC_EXACT_MULTIPLE_HPP
#define QUBIC_EXACT_MULTIPLE_HPP

#include <qubic/exact.hpp>

#include "exact/cubic_signs.hpp"

namespace qubic::exact {

void solve_multiple(float a, float b, float c, float d, cubic_signs& s, solution& out);

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_MULTIPLE_HPP
