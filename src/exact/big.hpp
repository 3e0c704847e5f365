// big: exact signs with GMP integers, the slow path that decides whatever
// the double filters leave open.
//
// Every float is an integer multiple of 2^-149 and every midpoint one of
// 2^-150, so with A = a 2^149 (likewise B, C, D) and M = m 2^150 all
// quantities below are integers and a polynomial of degree n in m, scaled
// by 2^(150 n), is Horner's scheme in M with coefficient k shifted left by
// 150 (n - k) bits.  Scaling by a positive power of two keeps signs, so each
// sign here is the sign of the exact real quantity named.
#ifndef QUBIC_EXACT_BIG_HPP
#define QUBIC_EXACT_BIG_HPP

#include <gmp.h>

namespace qubic::exact {

// A polynomial of degree <= 3 with integer coefficients, ready for Horner in
// M = m 2^150.
class big_poly {
 public:
  big_poly();
  ~big_poly();
  big_poly(const big_poly&) = delete;
  big_poly& operator=(const big_poly&) = delete;
  // c[k] is the coefficient of x^k, k = 0..n.
  void set(int n, const mpz_t* c);
  // sign of the polynomial at m (a double holding a float or a midpoint).
  int sign_at(double m);

 private:
  int n_ = -1;
  mpz_t c_[4];
  mpz_t acc_;
  mpz_t M_;
};

// The exact facts of one cubic a x^3 + b x^2 + c x + d (a != 0), made on
// first use.
class big_cubic {
 public:
  big_cubic(float a, float b, float c, float d);
  ~big_cubic();
  big_cubic(const big_cubic&) = delete;
  big_cubic& operator=(const big_cubic&) = delete;

  // sign of the discriminant 18abcd - 4b^3 d + b^2 c^2 - 4ac^3 - 27a^2 d^2
  int disc_sign();
  // the discriminant rounded toward zero to a double, scaled by 2^-596 back
  // to the true value's scale (relative error below 2^-52, or 0 exactly)
  double disc_value();
  // signs of p, p', p'' at m
  int p_sign(double m);
  int dp_sign(double m);
  int ddp_sign(double m);
  // sign of q(m), q(u) = 8a^2 u^3 + 8ab u^2 + 2(b^2 + ac) u + (bc - ad),
  // whose roots are the (s - r_i) / 2, s = -b/a
  int q_sign(double m);
  // sign of R(-4 a^2 m^2), R(T) = T (T + 3ac - b^2)^2 - a^2 disc
  int resolvent_sign(double m);

  // D = 0: the multiple roots are rational.  Fills num/den (den > 0) of the
  // triple root (triple = true) or of the double root and of the simple one.
  bool triple();
  // sign(x - m) for x = num/den; which = 0 the triple or double root, 1 the
  // simple root.
  int rational_side(int which, double m);

 private:
  void need_disc();
  void need_derivs();
  void need_q();
  void need_resolvent();
  void need_rational();

  mpz_t A_, B_, C_, D_;
  mpz_t disc_;
  mpz_t t_, u_, w_;
  mpz_t num_[2], den_[2];
  big_poly p_, dp_, ddp_, q_;
  mpz_t P_, a2disc_, T_, acc_;
  bool have_disc_ = false, have_derivs_ = false, have_q_ = false, have_res_ = false,
       have_rat_ = false, triple_ = false;
};

// Signs for a quadratic b x^2 + c x + d (b != 0) and a linear c x + d.
class big_low {
 public:
  big_low(float b, float c, float d);
  ~big_low();
  big_low(const big_low&) = delete;
  big_low& operator=(const big_low&) = delete;
  int disc_sign();           // sign of c^2 - 4bd (quadratic)
  int p_sign(double m);      // sign of the polynomial (degree 2, or 1 when b = 0)
  int dp_sign(double m);     // sign of its derivative (quadratic)
  int re_side(double m);     // sign(-c/(2b) - m), or sign(-d/c - m) when linear
  int im_side(double m);     // sign(v - m), v^2 = (4bd - c^2)/(4b^2), m >= 0

 private:
  mpz_t B_, C_, D_, disc_, t_, u_;
  big_poly p_, dp_;
  bool quad_;
};

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_BIG_HPP
