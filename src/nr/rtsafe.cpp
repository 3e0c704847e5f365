// rtsafe: one real root of the cubic a between x1 and x2, by Newton's method
// kept inside a shrinking bracket, with bisection when Newton would leave it
// or would not halve the step before last.
//
// Contract: x1, x2 (either order) and a are read only; iflag is written once,
// just before every return; the result is the current iterate on every path.
//    0  the residual at an iterate was within the rounding-error estimate
//    1  a step left the iterate unchanged
//   -1  100 passes ended without another outcome
//   -2  a NaN or an infinity was met (at a bracket end: the midpoint is
//       returned; later: the current iterate)
//
// No tolerance is taken: the iteration stops when |f| <= 2^-24 * e, e being
// funcd's running bound on the rounding error of f.  The Newton-or-bisect
// test multiplies only the signs of outa and outb, so it cannot overflow or
// underflow.  The signs at the two ends are not compared: the caller's bracket
// is trusted, and a value of exactly zero at an end is no shortcut.
//
// Two guards keep a "converged" answer honest:
//   * The residual test looks at f and e of the iterate the pass started
//     from.  After a Newton step the returned iterate is its close
//     neighbour; after a bisection step (typically the pass right after
//     convergence, when the previous step was tiny) it would be half a
//     bracket away.  So when the test holds after a bisection step, the
//     iterate at which it was made is returned.
//   * When e overflows, 2^-24 * e is infinite and the test would hold
//     anywhere; it then proves nothing and the iteration goes on.
//
// Example: x^3 - 2 (a = (-2, 0, 0, 1)) between 0 and 3 ends after five Newton
// passes with status 1 at 1.25992107 (0x3FA14518).
#include <cmath>

#include <qubic/qubic.hpp>

#include "nr/funcd.hpp"
#include "nr/poli.hpp"
#include "nr/sgn.hpp"

namespace qubic {
namespace {

constexpr int max_passes = 100;

// Neither NaN nor infinite: one ordered comparison answers both questions
// (a NaN compares false), so the hot loop tests each value once.
bool finite(float x) { return std::fabs(x) <= flmax; }

// An infinite e passes: f and df are what the iteration needs.
bool bad_eval(float f, float df, float e) { return !finite(f) || !finite(df) || isnan(e); }

}  // namespace

float rtsafe(float x1, float x2, std::int32_t& iflag, const coeffs& a) {
  const float mepsd = eps() * 0.5f;  // the unit roundoff 2^-24
  float x = (x1 + x2) * 0.5f;
  float dxold = std::fabs(x2 - x1);
  float dx = dxold;

  const float fl = poli(x1, a);
  const float fh = poli(x2, a);
  if (!finite(fl) || !finite(fh)) {
    iflag = -2;
    return x;
  }
  // xl is meant to hold the end with a negative value; only the end from x1
  // is known to fit its role.
  float xl = x2;
  float xh = x1;
  if (fl < 0.0f) {
    xl = x1;
    xh = x2;
  }

  float f;
  float df;
  float e;
  funcd(x, f, df, e, a);
  if (bad_eval(f, df, e)) {
    iflag = -2;
    return x;
  }

  for (int j = 1; j <= max_passes; ++j) {
    // df*(n - xh) and df*(n - xl) for the Newton point n = x - f/df: of
    // strictly opposite signs exactly when n lies inside the bracket.
    const float outa = ((x - xh) * df) - f;
    const float outb = ((x - xl) * df) - f;
    const bool big = std::fabs(f * 2.0f) > std::fabs(dxold * df);
    if (!finite(outa) || !finite(outb)) {
      iflag = -2;
      return x;
    }

    const float tested = x;  // the iterate that f, df and e belong to
    const bool bisect = sgn(outa) * sgn(outb) >= 0.0f || big;
    if (bisect) {
      // With df = 0 both out values are -f: bisection, never a division by 0.
      dxold = dx;
      dx = (xh - xl) * 0.5f;
      x = xl + dx;
      if (xl == x) {
        iflag = 1;
        return x;
      }
    } else {
      dxold = dx;
      dx = f / df;
      const float temp = x;
      x = x - dx;
      if (temp == x) {
        iflag = 1;
        return x;
      }
    }

    e = mepsd * e;
    if (std::fabs(f) <= e && !isinf(e)) {
      iflag = 0;
      return bisect ? tested : x;
    }

    funcd(x, f, df, e, a);
    if (bad_eval(f, df, e)) {
      iflag = -2;
      return x;
    }
    if (f < 0.0f) {
      xl = x;
    } else {
      xh = x;
    }
  }
  iflag = -1;
  return x;
}

}  // namespace qubic
