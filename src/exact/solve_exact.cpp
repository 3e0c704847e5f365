// solve_exact, qubic_exact: the public entries of the exact engine
// (qubic/exact.hpp; the argument is docs/exact.md).
//
// solve_exact checks the coefficients and hands the cubic (a3 != 0) to
// solve_cubic, a lower degree to solve_low.  Every root starts unwritten
// with a quiet NaN pair and flag -2, which is the answer when a coefficient
// is infinite or NaN.  qubic_exact is the same in the batch program's calling
// shape: it writes every flag, and rroot(k), iroot(k) only for the roots
// written, the others keeping the caller's values.
//
// Worked examples (Exact.NamedExamples): 3e38 (x^3 - x^2 + x - 1) gives
// 1, then 0 +- 1 i, flags 1, 1, 1; a NaN coefficient gives flags -2, -2,
// -2 and nothing written.
#include <qubic/exact.hpp>

#include <cmath>

#include "exact/entry.hpp"
#include "exact/solve_cubic.hpp"
#include "exact/solve_low.hpp"
#include "exact/stats.hpp"

namespace qubic {

solution solve_exact(float a3, float a2, float a1, float a0) {
  solution out = exact::unwritten<float>();
  for (const float x : {a3, a2, a1, a0}) {
    if (!std::isfinite(x)) return out;
  }
  ++exact::stats().polynomials;
  if (a3 != 0.0f) {
    exact::solve_cubic(a3, a2, a1, a0, out);
  } else {
    exact::solve_low(a2, a1, a0, out);
  }
  return out;
}

void qubic_exact(const coeffs& array, roots& rroot, roots& iroot, flags& fl) {
  const solution s = solve_exact(array(3), array(2), array(1), array(0));
  exact::to_arrays(s, rroot, iroot, fl);
}

}  // namespace qubic
