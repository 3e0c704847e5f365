// The general cubic: both end coefficients nonzero.
//
// 1. Bracket.  Cauchy's bound 1 + max(|a2|, |a1|, |a0|)/|a3| exceeds the
//    modulus of every root.  The cubic is a0 at 0 and has the sign of its
//    leading term at +-bound, so the bracket from 0 to +bound (a0, a3 of
//    opposite signs) or to -bound (same sign) holds a real root.  A bound
//    that overflows ends the call: flags -6, -6, -6, no root written.
// 2. Refine it with rtsafe.  Root 1 is written whatever the status; a
//    negative status or a NaN root leaves fl(1) at -6, an infinite, zero or
//    subnormal root gets -3 (zero counts: array(0) != 0, so 0 is no root).
// 3. Deflate.  Status -1 ends the call with roots 2 and 3 at -6; status 0
//    marks root 1 as degraded (-4, or -5 when it was already unusable).
// 4. Solve the factor with quad into roots 2 and 3.  The factor is clean
//    when fl(1) is 1.  A usable root of a clean factor gets 1, of an unclean
//    one -5.  An unusable root gets -6 when a part is NaN, else -3 (clean)
//    or -5 (not clean).  A factor root of exactly 0 + 0i counts as unusable:
//    the cubic's constant is nonzero, so zero can only be the factor's
//    constant, about -(a0/r), rounded away by underflow.  When that
//    constant is exactly 0, a factor root flagged 1 keeps its flag only if
//    the factor's scale at it, |s(2)| x^2, is a normal number (see
//    lost_constant_moved_it below); otherwise it gets -3.
//
// Example: x^3 + 1 brackets 0..-2, refines -1, deflates to x^2 - x + 1 and
// gives 0.5 +- i*0.866025388: flags 1, 1, 1.
#include <cmath>

#include <qubic/qubic.hpp>

#include "qubic/paths.hpp"

namespace qubic {
namespace {

// +1 or -1 for a nonzero real.
float sign(float v) { return v < 0.0f ? -1.0f : 1.0f; }

// The flag of factor root k from quad's verdict on it.
std::int32_t factor_flag(bool usable_root, bool clean, float re, float im) {
  if (usable_root) {
    if (!clean) return flag::unclean;
    return re == 0.0f && im == 0.0f ? flag::unusable : flag::found;
  }
  if (isnan(re) || isnan(im)) return flag::not_computed;
  return clean ? flag::unusable : flag::unclean;
}

// True when the factor s(2) y^2 + s(1) y + s(0) had s(0) == 0 and root x,
// though flagged usable, may have been moved by the constant that was lost.
//
// The factor's exact constant is -(a0/r), nonzero since a0 is.  When the x
// term or a higher one dominates the cubic at r, deflation takes s(0) from
// the backward recurrence, -(a0/r) rounded once; it is 0 only when
// |a0/r| <= 2^-150 (half the smallest subnormal).  With c the lost constant,
// the computed root x = -s(1)/s(2) solves the factor without c; the exact
// root y of s(2) y^2 + s(1) y + c satisfies, with z = y/x and
// t = c / (s(2) x^2), z^2 - z + t = 0, so z = 1 - t + O(t^2): the relative
// move is |c| / (|s(2)| x^2) to first order.  When |s(2)| x^2 >= flmin =
// 2^-126, the move is at most 2^-150 / 2^-126 = 2^-24, one unit roundoff,
// no more than the rounding of x itself: x is kept.  Below flmin the
// move can reach 100% (1e-8 x^3 - 1e6 x^2 - 1e-22 x - 1e-35: x = -1e-28
// where the true roots are -5e-29 +- 3.2e-21 i), so x is distrusted.
//
// The test is computed in single precision as (|s(2)| * |x|) * |x|.  The
// first product is about |s(1)|, a normal number (quad refuses a subnormal
// coefficient, and s(1) = 0 would have made x = 0, flagged -3 already), so
// it does not underflow and errs by half an ulp; the second
// errs by another half ulp and rounds monotonically, so a computed value
// >= flmin means an exact one >= flmin (1 - 2^-23): the bound above grows by
// a factor 1 + 2^-22 at most.  An overflow to infinity keeps the root, as it
// should: |s(2)| x^2 is then far above flmin.
//
// With s(0) == 0 quad returns the real pair 0 and -(s(1)/s(2)), so x is
// real; for a complex x the larger of |re| and |im| would stand for its
// modulus, which it underestimates by at most sqrt(2): the test then errs on
// the side of distrust.
//
// When the constant term dominates at r, s(0) is the forward a1 + r f(1)
// instead, and a 0 there is a cancellation rather than an underflow: the test
// still asks that |s(2)| x^2 be normal, but the bound above does not apply.
bool lost_constant_moved_it(float s2, float re, float im) {
  const float are = std::fabs(re);
  const float aim = std::fabs(im);
  const float x = aim > are ? aim : are;
  const float scale = std::fabs(s2) * x;
  return !((scale * x) >= flmin);
}

}  // namespace

void general(const coeffs& array, roots& rroot, roots& iroot, flags& fl) {
  const float x1 = 0.0f;
  const float a2 = std::fabs(array(2));
  const float a1 = std::fabs(array(1));
  const float a0 = std::fabs(array(0));
  const float m21 = a1 > a2 ? a1 : a2;
  const float amaxl = a0 > m21 ? a0 : m21;
  float x2 = (amaxl / std::fabs(array(3))) + 1.0f;
  if (sign(array(0)) * sign(array(3)) > 0.0f) x2 = -x2;
  if (isinf(x2)) return;

  std::int32_t iflagrt;
  const float r = rtsafe(x1, x2, iflagrt, array);
  rroot(1) = r;
  iroot(1) = 0.0f;
  if (iflagrt < 0) return;
  if (isinf(r)) {
    fl(1) = flag::unusable;
    return;
  }
  if (isnan(r)) return;
  const bool tiny = isdnrm(r) || r == 0.0f;
  fl(1) = tiny ? flag::unusable : flag::found;

  factor s;
  std::int32_t iflagdf;
  deflation(r, array, s, iflagdf);
  if (iflagdf == -1) return;
  if (iflagdf == 0) fl(1) = tiny ? flag::unclean : flag::degraded;

  const bool clean = fl(1) == flag::found;
  std::int32_t nr;
  quad(s(2), s(1), s(0), rroot(2), iroot(2), rroot(3), iroot(3), nr);
  switch (nr) {
    case 22:
    case 21:
    case 20:
      fl(2) = factor_flag(nr >= 21, clean, rroot(2), iroot(2));
      fl(3) = factor_flag(nr == 22, clean, rroot(3), iroot(3));
      break;
    case 11:
    case 10:
      fl(2) = factor_flag(nr == 11, clean, rroot(2), iroot(2));
      break;
    default:  // -2, -1, 0: the factor is not a quadratic to solve
      return;
  }
  if (!clean || s(0) != 0.0f) return;
  for (int k = 2; k <= 3; ++k) {
    if (fl(k) == flag::found && lost_constant_moved_it(s(2), rroot(k), iroot(k))) fl(k) = flag::unusable;
  }
}

}  // namespace qubic
