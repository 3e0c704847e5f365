// solve_cubic: the correctly rounded roots of a x^3 + b x^2 + c x + d,
// a != 0, all four finite floats (docs/exact.md sections 3, 4 and 6).
//
// The exact sign of the discriminant fixes the kind of roots; each part of
// each root is then rounded from its sign oracle (cubic_signs.hpp,
// part.hpp), after a straight-line confirmation of the double guesses
// (approx.hpp) by filter signs alone where that suffices.  Writes all three
// roots of out: real roots ascending by exact value, then the pair, positive
// imaginary part first; written = true; flag 1, or -3 for a root with a part
// that overflows, is subnormal or is lost to zero.  Only the stats.hpp
// counters are written besides.
//
// Worked examples (Exact.NamedExamples): (x - 17)^2 (x - 18), a multiple
// root, gives 17, 17, 18; x^3 + 3 gives -0x1.713744p+0, then
// 0x1.713744p-1 +- 0x1.3fc016p+0 i, all flags 1.
#ifndef QUBIC_EXACT_SOLVE_CUBIC_HPP
#define QUBIC_EXACT_SOLVE_CUBIC_HPP

#include <qubic/exact.hpp>

namespace qubic::exact {

void solve_cubic(float a, float b, float c, float d, solution& out);

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_SOLVE_CUBIC_HPP
