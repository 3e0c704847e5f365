// Exact real roots of a polynomial with rational coefficients (GMP's mpq),
// for the test suite's reference (reference.cpp): the few polynomial
// operations it needs, and the i-th real root of a square-free polynomial as
// an oracle t -> sign(r_i - t), decided by Sturm's theorem and exact signs.
// No floating-point value decides anything here.
#ifndef QUBIC_TESTS_EXACT_STURM_HPP
#define QUBIC_TESTS_EXACT_STURM_HPP

#include <utility>
#include <vector>

#include <gmpxx.h>

namespace qubic::test::exact {

using Q = mpq_class;
using poly = std::vector<Q>;  // p[k] is the coefficient of x^k; no trailing zeros; {} is 0

void trim(poly& p);
int degree(const poly& p);
poly derivative(const poly& p);
// a = quotient * b + remainder, deg remainder < deg b (b != 0).
std::pair<poly, poly> divide(poly a, const poly& b);
// p(inner(x)).  Example: x^2 - 2 ({-2, 0, 1}) of 1 - 2x ({1, -2}) is
// 4x^2 - 4x - 1 ({-1, -4, 4}).
poly compose(const poly& p, const poly& inner);
// The monic greatest common divisor (a or b nonzero).
poly monic_gcd(poly a, poly b);
Q power_of_two(int e);
// sign(p(x)).  Example: p = x^2 - 2 ({-2, 0, 1}) at 3/2 gives 1.
int sign_at(const poly& p, const Q& x);

// A positive integer multiple of a rational polynomial: the same sign
// everywhere, and evaluated at t = n/d by d^deg p(t) = sum c_k n^k d^(deg-k)
// in integers, with none of the gcds that each rational operation costs.
class int_poly {
 public:
  explicit int_poly(const poly& p);
  int degree() const { return static_cast<int>(c_.size()) - 1; }
  int lead_sign() const { return sgn(c_.back()); }
  int sign_at(const Q& t) const;

 private:
  std::vector<mpz_class> c_;
};

// The Sturm chain p, p', -rem(p, p'), ... of a square-free p of degree >= 1.
// V(t), its number of sign changes at t (zeros skipped), falls by one at
// each root of p and nowhere else: where a later member vanishes its two
// neighbours have opposite signs, and at a root c of p, p' != 0 and p p' > 0
// just right of c, so V(c) = V(c+).  Hence V(-inf) - V(t) is the number of
// real roots at or below t, for every t, a root or not.
class sturm_chain {
 public:
  explicit sturm_chain(const poly& p);
  int roots() const { return roots_; }
  // Example: for x^2 - 2, at_or_below(0) is 1 and at_or_below(2) is 2.
  int at_or_below(const Q& t) const;
  int sign(const Q& t) const { return seq_.front().sign_at(t); }
  // The sign of p between its (i-1)-th and i-th real roots (i = 1 .. roots()
  // + 1, the ends at -inf and +inf): the leading coefficient's sign, times -1
  // for each of the roots() - i + 1 real roots above; complex pairs multiply
  // by a positive factor.
  int sign_between(int i) const { return (roots_ - i + 1) % 2 == 0 ? lead_ : -lead_; }
  // A power of two above every |root| (Cauchy: |x| < 1 + max |p_k / p_n|).
  const Q& bound() const { return bound_; }

 private:
  std::vector<int_poly> seq_;
  int below_all_ = 0, roots_ = 0, lead_ = 0;
  Q bound_;
};

// A real number known by an exact oracle: either a rational, or the i-th
// smallest real root r of a square-free polynomial, known to lie in (lo, hi]
// (an end may be infinite until bounded() closes it).  compare(t) returns
// sign(r - t) and narrows the interval; once it holds r alone, each compare
// costs one sign of p (p's sign below r in the interval is sign_between(i)),
// before that a Sturm count.
class real_root {
 public:
  real_root(const sturm_chain& chain, int i);
  static real_root rational(const Q& x);

  // Example: for r = sqrt(2), the 2nd root of x^2 - 2, compare(3/2) is -1,
  // compare(7/5) is 1.
  int compare(const Q& t);
  bool is_rational() const { return exact_; }
  const Q& value() const { return lo_; }  // r, once is_rational()
  // Closes infinite ends with the chain's bound; then r lies in [lo(), hi()].
  void bounded();
  const Q& lo() const { return lo_; }
  const Q& hi() const { return hi_; }
  // Shrinks [lo, hi] (after bounded()) by one comparison: at 0 when the
  // interval straddles it; at 2^-64 of the other end when an end is 0; at a
  // power of two between the ends when one is over four times the other in
  // size (so that a root far out or close to 0 is reached in steps of its
  // exponent); else at the arithmetic midpoint.
  void narrow();

 private:
  real_root() = default;
  const sturm_chain* chain_ = nullptr;
  int i_ = 0;
  Q lo_, hi_;
  bool has_lo_ = false, has_hi_ = false, exact_ = false;
  int below_lo_ = 0, below_hi_ = 0;  // roots at or below lo, hi
  void set_exact(const Q& t);
};

}  // namespace qubic::test::exact

#endif  // QUBIC_TESTS_EXACT_STURM_HPP
