// big64: exact signs and values with GMP integers, the level that decides
// whatever the double-double filters leave open (docs/exact64.md section 6).
//
// Every double is an integer times a power of two, and so is every point
// (keys.hpp), so every quantity here is a dyadic number M 2^e (dyadic): sums
// align to the smaller exponent, products add exponents.  The integers are
// only as long as the exponent spans of the numbers involved need, never
// scaled to a fixed 2^1074.  Each sign is the sign of the exact real
// quantity named.
#ifndef QUBIC_EXACT64_BIG64_HPP
#define QUBIC_EXACT64_BIG64_HPP

#include <gmp.h>

#include "exact64/keys.hpp"
#include "exact64/wide.hpp"

namespace qubic::exact64 {

// M 2^e, M an integer.
class dyadic {
 public:
  dyadic() { mpz_init(m_); }
  ~dyadic() { mpz_clear(m_); }
  dyadic(const dyadic&) = delete;
  dyadic& operator=(const dyadic&) = delete;

  void set(double x);
  void set(const point& p);
  void set_si(long v, long e);
  void copy(const dyadic& x);
  int sign() const { return mpz_sgn(m_); }
  // The nearest wdd (top 106 bits; relative error below 2^-104).
  wdd to_wdd() const;

  friend void add(dyadic& r, const dyadic& x, const dyadic& y);
  friend void sub(dyadic& r, const dyadic& x, const dyadic& y);
  friend void mul(dyadic& r, const dyadic& x, const dyadic& y);
  friend void mul_si(dyadic& r, const dyadic& x, long k);
  friend int compare_ratio(const dyadic& n0, const dyadic& q0, const dyadic& n1, const dyadic& q1);
  friend double round_ratio(const dyadic& n, const dyadic& q, bool* lost);

 private:
  mpz_t m_;
  long e_ = 0;
};

// The exact facts of one cubic a x^3 + b x^2 + c x + d (a != 0).
class big_cubic64 {
 public:
  big_cubic64(double a, double b, double c, double d) { reset(a, b, c, d); }
  big_cubic64() = default;
  // Another cubic in the same object: the integers keep their storage.
  void reset(double a, double b, double c, double d);

  int disc_sign();
  wdd disc_value();  // the discriminant, relative error below 2^-104
  int p_sign(const point& m);
  int dp_sign(const point& m);
  int ddp_sign(const point& m);
  // q(m), q(x) = 8a^2 x^3 + 8ab x^2 + 2(b^2 + ac) x + (bc - ad)
  int q_sign(const point& m);
  // sign(v - m) for m >= 0 (R(-4a^2 m^2), +1 at R's double root)
  int im_side(const point& m);

  // disc = 0: the multiple roots, correctly rounded.  triple(); root(0) is
  // the triple or double root, root(1) the simple one; order() = sign(simple
  // - double).
  bool triple();
  double root(int which, bool* lost);
  int order();

 private:
  void need_disc();
  void need_rational();
  void need_q();
  int poly_sign(const dyadic* const* c, int n, const point& m);

  dyadic a_, b_, c_, d_;
  dyadic disc_, t_, w_, m_, acc_;
  dyadic num_[2], den_[2];
  dyadic q_[4], P_, T_, S_;
  bool have_disc_ = false, have_rat_ = false, have_q_ = false, triple_ = false;
};

// The quadratic b x^2 + c x + d (b != 0).
class big_quadratic64 {
 public:
  big_quadratic64(double b, double c, double d);
  int disc_sign();            // c^2 - 4bd
  int p_sign(const point& m);
  int dp_sign(const point& m);
  int im_side(const point& m);  // sign(v - m), m >= 0, 4b^2 v^2 = 4bd - c^2
  double double_root(bool* lost);  // -c / (2b)

 private:
  dyadic b_, c_, d_, disc_, t_, m_, acc_;
};

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_BIG64_HPP
