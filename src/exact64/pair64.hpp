// pair64: the complex pair of a double cubic rounded from one enclosure of
// its upper root, with no oracle of its own (docs/exact64.md section 8).
//
// enclose_pair(f, e, U, V) takes p's frame f at scale e (every nonzero
// coefficient kept exactly as a head, tails zero) and a guess W0 = U + iV of
// the root in the upper half plane, in frame units, with V >= 2^-30 and
// U = 0 or 2^-30 <= |U| < 2, V < 2.  It evaluates F(W0) by a compensated
// complex Horner scheme (error-free products and sums, so F(W0) is known to
// about u^2 of the terms), takes the Newton step delta in double, and bounds
// F and F' at W1 = W0 + delta from the Taylor expansion at W0.  A polynomial
// of degree 3 has a root within 3 |F(W1)| / |F'(W1)| of W1 (p'/p is the sum
// of 1/(z - r_i)); when that disk lies in the upper half plane the root is
// the pair's upper root (disc < 0: one real root, the others conjugate).
// Each part whose interval around W1 lies strictly inside one rounding cell
// of a normal double is written with ok = true: it is the correctly rounded
// part.  Otherwise ok = false and the part holds the centre of the disk
// rounded to double, a good guess for the searches; u0 and v0 (the guesses
// unscaled) when the step is not finite.  Nothing else is written.
//
// Worked example (Exact64Blocks.PairEnclosure): x^3 + 3 in the frame of
// exponent 0 from W0 = 0x1.71374491p-1 + 0x1.3fc0164cp+0 i (2^-33 off)
// gives u = 0x1.7137449123ef6p-1 and
// v = 0x1.3fc0164bf0b56p+0, both ok (300-bit mpmath values).
#ifndef QUBIC_EXACT64_PAIR64_HPP
#define QUBIC_EXACT64_PAIR64_HPP

#include <cmath>

#include "exact64/frame.hpp"

namespace qubic::exact64 {

struct pair_parts {
  double u;
  double v;
  bool u_ok;
  bool v_ok;
  double rho = INFINITY;  // the disk's radius in the frame (units of 2^e), +inf when none
};

pair_parts enclose_pair(const fpoly& f, int e, double U, double V, double u0, double v0);

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_PAIR64_HPP
