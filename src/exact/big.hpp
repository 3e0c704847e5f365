// big: the resolvent's sign with GMP integers, the one sign whose exact
// value does not fit the range of double (its terms span about 2^-1800 to
// 2^1540), for the rare points its filter leaves open.
//
// The coefficients share a grid 2^-g (g the largest number of binary
// places among them, at most 149) and a point m has its own 2^-h (h <= 150,
// taken >= 0), so with A = a 2^g (likewise B, C, D) and M = m 2^h all
// quantities below are integers, no larger than the values need; scaling
// by a positive power of two keeps signs, so the sign returned is that of
// the exact real quantity named.
//
// Worked example (ExactSigns.Levels): for x^3 + 3 (disc = -243, the pair's
// imaginary part v = 1.24902476...), resolvent_sign(1.25) = -1 and
// resolvent_sign(1.0) = +1.
#ifndef QUBIC_EXACT_BIG_HPP
#define QUBIC_EXACT_BIG_HPP

#include <gmp.h>

namespace qubic::exact {

// The exact facts of one cubic a x^3 + b x^2 + c x + d (a != 0), made on
// first use.  One object serves many cubics in turn (set), so that its
// integers keep their storage: GMP then allocates nothing after the first
// few cubics.
class big_cubic {
 public:
  big_cubic();
  ~big_cubic();
  big_cubic(const big_cubic&) = delete;
  big_cubic& operator=(const big_cubic&) = delete;

  // Starts on the cubic a x^3 + b x^2 + c x + d, forgetting the previous;
  // disc[0..n) are doubles whose exact sum is its discriminant (the exact
  // expansion of cubic_signs), each an integer multiple of 2^-4g.
  void set(float a, float b, float c, float d, const double* disc, int n);

  // sign of R(-4 a^2 m^2), R(T) = T (T + 3ac - b^2)^2 - a^2 disc, for
  // m >= 0 and disc < 0, except +1 at the double root of R (m = v/2 when
  // the real root equals the pair's real part): so sign(v - m)
  int resolvent_sign(double m);
  // the discriminant rounded toward zero to a double (relative error below
  // 2^-52, or 0 exactly)
  double disc_value();

 private:
  void need_resolvent();

  int g_ = 0;  // the coefficients' grid: A = a 2^g
  mpz_t A_, B_, C_, D_;
  mpz_t disc_;
  mpz_t t_;
  mpz_t P0_, a2disc0_, P_, a2disc_, T_, acc_;
  bool have_res_ = false;
};

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_BIG_HPP
