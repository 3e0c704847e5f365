// An independent reference for the exact engine (qubic::solve_exact): the
// same contract (order, flags, written roots, correctly rounded parts, ties to
// even), computed with exact rational arithmetic (GMP) and nothing else: no
// floating-point operation decides anything.  Slow (about a millisecond per
// cubic) and shares no code or method with the engine.
#ifndef QUBIC_TESTS_EXACT_REFERENCE_HPP
#define QUBIC_TESTS_EXACT_REFERENCE_HPP

#include <qubic/solve.hpp>

namespace qubic::test {

solution reference(float a3, float a2, float a1, float a0);

}  // namespace qubic::test

#endif  // QUBIC_TESTS_EXACT_REFERENCE_HPP
