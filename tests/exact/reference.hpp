// An independent reference for the exact engine, in both of its precisions
// (qubic::solve_exact for float coefficients, qubic::solve_exact_double for
// double ones): the same contract (order, flags, written roots, every part
// correctly rounded, ties to even), computed with exact rational arithmetic
// (GMP) and nothing else: no floating-point operation decides anything.  Slow
// (about a millisecond per cubic) and shares no code or method with the
// engine.
#ifndef QUBIC_TESTS_EXACT_REFERENCE_HPP
#define QUBIC_TESTS_EXACT_REFERENCE_HPP

#include <gmpxx.h>
#include <qubic/solve.hpp>

namespace qubic::test {

solution reference(float a3, float a2, float a1, float a0);
solution_double reference_double(double a3, double a2, double a1, double a0);
// The float nearest to x, ties to even, rounded as the reference rounds each
// part: an exact zero is +0, a nonzero x that rounds to zero keeps its sign.
float nearest_float(const mpq_class& x);

}  // namespace qubic::test

#endif  // QUBIC_TESTS_EXACT_REFERENCE_HPP
