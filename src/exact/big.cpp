// big: the resolvent's sign with GMP integers (see big.hpp for the scaling).
#include "exact/big.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <algorithm>
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

}  // namespace

big_cubic::big_cubic() {
  for (mpz_t* z : {&A_, &B_, &C_, &D_, &disc_, &t_, &P0_, &a2disc0_, &P_, &a2disc_, &T_, &acc_}) mpz_init(*z);
}

void big_cubic::set(float a, float b, float c, float d) {
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
}

big_cubic::~big_cubic() {
  for (mpz_t* z : {&A_, &B_, &C_, &D_, &disc_, &t_, &P0_, &a2disc0_, &P_, &a2disc_, &T_, &acc_}) mpz_clear(*z);
}

// disc_ = 18ABCD - 4B^3 D + B^2 C^2 - 4AC^3 - 27A^2 D^2 = disc 2^4g (it is
// homogeneous of degree 4), P0 = 3AC - B^2 = P 2^2g, a2disc0 = A^2 disc_ =
// a^2 disc 2^6g.  With M = m 2^h and T' = -4A^2 M^2 = T 2^(2g+2h),
// P' = P0 2^2h and a2disc = a2disc0 2^6h:
// T'(T' + P')^2 - a2disc = R(T) 2^(6g+6h).
void big_cubic::need_resolvent() {
  if (have_res_) return;
  have_res_ = true;
  mpz_mul(t_, A_, B_);
  mpz_mul(t_, t_, C_);
  mpz_mul(t_, t_, D_);
  mpz_mul_ui(disc_, t_, 18);
  mpz_mul(t_, B_, B_);
  mpz_mul(t_, t_, B_);
  mpz_mul(t_, t_, D_);
  mpz_submul_ui(disc_, t_, 4);
  mpz_mul(t_, B_, C_);
  mpz_addmul(disc_, t_, t_);
  mpz_mul(t_, C_, C_);
  mpz_mul(t_, t_, C_);
  mpz_mul(t_, t_, A_);
  mpz_submul_ui(disc_, t_, 4);
  mpz_mul(t_, A_, D_);
  mpz_mul(t_, t_, t_);
  mpz_submul_ui(disc_, t_, 27);
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
