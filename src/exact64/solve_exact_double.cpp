// solve_exact_double, qubic_exact_double: the public entries of the double
// engine (qubic/exact.hpp; the argument is docs/exact64.md).
//
// Every root starts unwritten with a quiet NaN pair and flag -2, the answer
// when a coefficient is infinite or NaN.  A cubic with a0 = 0 has the exact
// root 0 (written +0) beside the roots of a3 x^2 + a2 x + a1, put in order
// by their exact signs; a3 = 0 goes to the lower degrees.
//
// Worked examples (Exact64Named): x^3 - x = x (x^2 - 1) gives -1, +0, 1; a
// NaN coefficient gives flags -2, -2, -2 and nothing written.
#include <qubic/exact.hpp>

#include <cmath>

#include "exact/entry.hpp"
#include "exact64/part64.hpp"
#include "exact64/solve64.hpp"

namespace qubic {
namespace {

// -1, 0 or +1: the exact sign of a rounded real part (a lost zero keeps
// its sign, an exact zero is +0 and not lost).
int exact_sign(double f, int flag_lost) {
  if (f != 0.0) return f < 0.0 ? -1 : 1;
  if (flag_lost == 0) return 0;
  return std::signbit(f) ? -1 : 1;
}

void with_zero_root(double a, double b, double c, solution_double& out) {
  solution_double q = out;
  const int kind = exact64::solve_low64(a, b, c, q);
  const exact64::part zero{0.0, false};
  if (kind < 0) {  // 0, then the pair
    out.root[1] = q.root[0];
    out.root[2] = q.root[1];
    out.flag[1] = q.flag[0];
    out.flag[2] = q.flag[1];
    out.written[1] = out.written[2] = true;
    exact64::put_real(out, 0, zero);
    return;
  }
  // Two real roots ascending; a rounded zero is lost only when nonzero:
  // flag -3 with a zero real part and a zero imaginary part.
  int below = 0;
  for (int k = 0; k < 2; ++k) {
    const double f = q.root[k].real();
    const bool lost = f == 0.0 && q.flag[k] == -3;
    if (exact_sign(f, lost ? 1 : 0) < 0) ++below;
  }
  int at = 0;
  for (int k = 0; k < 3; ++k) {
    if (k == below) {
      exact64::put_real(out, k, zero);
    } else {
      out.root[k] = q.root[at];
      out.flag[k] = q.flag[at];
      out.written[k] = true;
      ++at;
    }
  }
}

}  // namespace

solution_double solve_exact_double(double a3, double a2, double a1, double a0) {
  solution_double out = exact::unwritten<double>();
  for (const double x : {a3, a2, a1, a0}) {
    if (!std::isfinite(x)) return out;
  }
  if (a3 == 0.0) {
    exact64::solve_low64(a2, a1, a0, out);
  } else if (a0 == 0.0) {
    with_zero_root(a3, a2, a1, out);
  } else {
    exact64::solve_cubic64(a3, a2, a1, a0, out);
  }
  return out;
}

void qubic_exact_double(const coeffs_double& array, roots_double& rroot, roots_double& iroot, flags& fl) {
  const solution_double s = solve_exact_double(array(3), array(2), array(1), array(0));
  exact::to_arrays(s, rroot, iroot, fl);
}

}  // namespace qubic
