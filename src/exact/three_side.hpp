// Where a point lies among three distinct real roots, for both exact
// engines: from the exact signs of p, p' and p'' at the point alone.
#ifndef QUBIC_EXACT_THREE_SIDE_HPP
#define QUBIC_EXACT_THREE_SIDE_HPP

namespace qubic::exact {

// sign(r_i - m) for the roots r1 < r2 < r3 (three distinct) of p, from the
// signs of p, p', p'' at m taken with the sign sa of the leading
// coefficient (docs/exact.md, "three real roots").  Signs is the engine's
// oracle (p, dp, ddp at a point of type Point).  With sa p(m) < 0, m lies
// left of r1 or between r2 and r3; it is left of r1 exactly when p' > 0
// and p'' < 0 there (p rising and concave only before r1); the mirror holds
// for sa p(m) > 0.  At a root, p' < 0 names r2, else p'' tells r1 from r3.
//
// Example (roots 1, 2, 3: x^3 - 6x^2 + 11x - 6, a > 0): at m = 2.5,
// p = -3/8 < 0 and p' = -1/4 < 0, so two roots lie below: -1 for i = 2,
// +1 for i = 3.
template <class Signs, class Point>
int three_side(Signs& s, int sa, int i, const Point& m) {
  const int P = sa * s.p(m);
  const int P1 = sa * s.dp(m);
  if (P == 0) {
    const int k = P1 < 0 ? 2 : (sa * s.ddp(m) < 0 ? 1 : 3);
    return i > k ? 1 : (i < k ? -1 : 0);
  }
  int below = 0;
  if (P < 0) {
    below = (P1 > 0 && sa * s.ddp(m) < 0) ? 0 : 2;
  } else {
    below = (P1 > 0 && sa * s.ddp(m) > 0) ? 3 : 1;
  }
  return below >= i ? -1 : 1;
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_THREE_SIDE_HPP
