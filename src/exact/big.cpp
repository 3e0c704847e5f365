// big: the resolvent's sign with GMP integers (see big.hpp for the scaling).
#include "exact/big.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace qubic::exact {
namespace {

// e with x = (odd integer) 2^e, for a nonzero x that is a normal double (a
// float or a midpoint is).
int low_bit(double x) {
  const std::uint64_t u = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t significand = (u & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  return static_cast<int>((u >> 52) & 0x7FF) - 1075 + std::countr_zero(significand);
}

// z = x 2^shift, exact: x 2^shift is an integer below 2^300, a double that
// GMP converts exactly.
void set_scaled(mpz_t z, double x, int shift) { mpz_set_d(z, std::ldexp(x, shift)); }

// z += x 2^shift for an x 2^shift that is an integer of any size: x =
// f 2^e with f 2^53 an integer, so x 2^shift = (f 2^53) 2^(e - 53 + shift);
// a negative exponent only drops zero bits of f 2^53.
void add_scaled(mpz_t z, mpz_t tmp, double x, int shift) {
  int e = 0;
  double f = std::ldexp(std::frexp(x, &e), 53);
  int s = e - 53 + shift;
  if (s < 0) {
    f = std::ldexp(f, s);
    s = 0;
  }
  mpz_set_d(tmp, f);
  mpz_mul_2exp(tmp, tmp, static_cast<unsigned>(s));
  mpz_add(z, z, tmp);
}

}  // namespace

big_cubic::big_cubic() {
  for (mpz_t* z : {&A_, &B_, &C_, &D_, &disc_, &t_, &P0_, &a2disc0_, &P_, &a2disc_, &T_, &acc_}) mpz_init(*z);
}

void big_cubic::set(float a, float b, float c, float d, const double* disc, int n) {
  have_res_ = false;
  int g = -1000;
  for (const float x : {a, b, c, d}) {
    if (x != 0.0f) g = std::max(g, -low_bit(x));
  }
  g_ = g;
  set_scaled(A_, a, g);
  set_scaled(B_, b, g);
  set_scaled(C_, c, g);
  set_scaled(D_, d, g);
  mpz_set_ui(disc_, 0);
  for (int i = 0; i < n; ++i) add_scaled(disc_, t_, disc[i], 4 * g);
}

big_cubic::~big_cubic() {
  for (mpz_t* z : {&A_, &B_, &C_, &D_, &disc_, &t_, &P0_, &a2disc0_, &P_, &a2disc_, &T_, &acc_}) mpz_clear(*z);
}

// disc_ = disc 2^4g, the discriminant of A..D (it is homogeneous of
// degree 4), from the exact expansion given to set.  P0 = 3AC - B^2 =
// P 2^2g, a2disc0 = A^2 disc_ = a^2 disc 2^6g.  With M = m 2^h and
// T' = -4A^2 M^2 = T 2^(2g+2h), P' = P0 2^2h and a2disc = a2disc0 2^6h:
// T'(T' + P')^2 - a2disc = R(T) 2^(6g+6h).
void big_cubic::need_resolvent() {
  if (have_res_) return;
  have_res_ = true;
  mpz_mul(P0_, A_, C_);
  mpz_mul_ui(P0_, P0_, 3);
  mpz_submul(P0_, B_, B_);
  mpz_mul(a2disc0_, A_, A_);
  mpz_mul(a2disc0_, a2disc0_, disc_);
}

double big_cubic::disc_value() {
  need_resolvent();
  long e = 0;
  const double f = mpz_get_d_2exp(&e, disc_);  // truncated, |f| in [0.5, 1)
  return std::ldexp(f, static_cast<int>(e) - 4 * g_);
}

int big_cubic::resolvent_sign(double m) {
  need_resolvent();
  const int h = m != 0.0 ? std::max(0, -low_bit(m)) : 0;
  set_scaled(t_, m, h);
  mpz_mul_2exp(P_, P0_, 2 * static_cast<unsigned>(h));
  mpz_mul_2exp(a2disc_, a2disc0_, 6 * static_cast<unsigned>(h));
  mpz_mul(T_, t_, A_);
  mpz_mul(T_, T_, T_);
  mpz_mul_si(T_, T_, -4);
  mpz_add(acc_, T_, P_);
  mpz_mul(acc_, acc_, acc_);
  mpz_mul(acc_, acc_, T_);
  mpz_sub(acc_, acc_, a2disc_);
  if (mpz_sgn(acc_) != 0) return mpz_sgn(acc_);
  // R = 0: T is the simple root -4a^2 v^2 (m = v, a tie), or, when the real
  // root equals the pair's real part, the double root -a^2 v^2 (m = v/2 < v),
  // where R'(T) = (T + P)(3T + P) vanishes.
  mpz_add(t_, T_, P_);
  mpz_mul_ui(acc_, T_, 3);
  mpz_add(acc_, acc_, P_);
  return (mpz_sgn(t_) == 0 || mpz_sgn(acc_) == 0) ? 1 : 0;
}

}  // namespace qubic::exact
