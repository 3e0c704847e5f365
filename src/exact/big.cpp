// big: exact signs with GMP integers (see big.hpp for the scaling).
#include "exact/big.hpp"

#include <cmath>
#include <initializer_list>

namespace qubic::exact {
namespace {

// z = x 2^shift, exact: x is a float or a midpoint, an integer multiple of
// 2^-shift below 2^278 after scaling, so the double is an integer and GMP
// converts integers exactly.
void set_scaled(mpz_t z, double x, int shift) { mpz_set_d(z, std::ldexp(x, shift)); }

}  // namespace

big_poly::big_poly() {
  for (mpz_t& z : c_) mpz_init(z);
  mpz_init(acc_);
  mpz_init(M_);
}

big_poly::~big_poly() {
  for (mpz_t& z : c_) mpz_clear(z);
  mpz_clear(acc_);
  mpz_clear(M_);
}

void big_poly::set(int n, const mpz_t* c) {
  n_ = n;
  for (int k = 0; k <= n; ++k) mpz_mul_2exp(c_[k], c[k], 150 * static_cast<unsigned>(n - k));
}

int big_poly::sign_at(double m) {
  set_scaled(M_, m, 150);
  mpz_set(acc_, c_[n_]);
  for (int k = n_ - 1; k >= 0; --k) {
    mpz_mul(acc_, acc_, M_);
    mpz_add(acc_, acc_, c_[k]);
  }
  return mpz_sgn(acc_);
}

big_cubic::big_cubic(float a, float b, float c, float d) {
  for (mpz_t* z : {&A_, &B_, &C_, &D_, &disc_, &t_, &u_, &w_, &P_, &a2disc_, &T_, &acc_}) mpz_init(*z);
  for (int k = 0; k < 2; ++k) {
    mpz_init(num_[k]);
    mpz_init(den_[k]);
  }
  set_scaled(A_, a, 149);
  set_scaled(B_, b, 149);
  set_scaled(C_, c, 149);
  set_scaled(D_, d, 149);
}

big_cubic::~big_cubic() {
  for (mpz_t* z : {&A_, &B_, &C_, &D_, &disc_, &t_, &u_, &w_, &P_, &a2disc_, &T_, &acc_}) mpz_clear(*z);
  for (int k = 0; k < 2; ++k) {
    mpz_clear(num_[k]);
    mpz_clear(den_[k]);
  }
}

// disc_ = 18ABCD - 4B^3 D + B^2 C^2 - 4AC^3 - 27A^2 D^2 = disc 2^596.
void big_cubic::need_disc() {
  if (have_disc_) return;
  have_disc_ = true;
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
}

int big_cubic::disc_sign() {
  need_disc();
  return mpz_sgn(disc_);
}

double big_cubic::disc_value() {
  need_disc();
  long e = 0;
  const double f = mpz_get_d_2exp(&e, disc_);  // truncated, |f| in [0.5, 1)
  return std::ldexp(f, static_cast<int>(e) - 596);
}

void big_cubic::need_derivs() {
  if (have_derivs_) return;
  have_derivs_ = true;
  mpz_t c[4];
  for (mpz_t& z : c) mpz_init(z);
  mpz_set(c[0], D_);
  mpz_set(c[1], C_);
  mpz_set(c[2], B_);
  mpz_set(c[3], A_);
  p_.set(3, c);
  mpz_set(c[0], C_);  // p' = 3a x^2 + 2b x + c
  mpz_mul_ui(c[1], B_, 2);
  mpz_mul_ui(c[2], A_, 3);
  dp_.set(2, c);
  mpz_mul_ui(c[0], B_, 2);  // p'' = 6a x + 2b
  mpz_mul_ui(c[1], A_, 6);
  ddp_.set(1, c);
  for (mpz_t& z : c) mpz_clear(z);
}

int big_cubic::p_sign(double m) {
  need_derivs();
  return p_.sign_at(m);
}

int big_cubic::dp_sign(double m) {
  need_derivs();
  return dp_.sign_at(m);
}

int big_cubic::ddp_sign(double m) {
  need_derivs();
  return ddp_.sign_at(m);
}

void big_cubic::need_q() {
  if (have_q_) return;
  have_q_ = true;
  mpz_t c[4];
  for (mpz_t& z : c) mpz_init(z);
  mpz_mul(c[3], A_, A_);  // 8A^2
  mpz_mul_2exp(c[3], c[3], 3);
  mpz_mul(c[2], A_, B_);  // 8AB
  mpz_mul_2exp(c[2], c[2], 3);
  mpz_mul(c[1], B_, B_);  // 2(B^2 + AC)
  mpz_addmul(c[1], A_, C_);
  mpz_mul_2exp(c[1], c[1], 1);
  mpz_mul(c[0], B_, C_);  // BC - AD
  mpz_submul(c[0], A_, D_);
  q_.set(3, c);
  for (mpz_t& z : c) mpz_clear(z);
}

int big_cubic::q_sign(double m) {
  need_q();
  return q_.sign_at(m);
}

// With M = m 2^150: T' = -4A^2 M^2 = T 2^598, P' = (3AC - B^2) 2^300 =
// (3ac - b^2) 2^598, and A^2 disc_ 2^900 = a^2 disc 2^1794, so
// T'(T' + P')^2 - A^2 disc_ 2^900 = R(T) 2^1794.
void big_cubic::need_resolvent() {
  if (have_res_) return;
  have_res_ = true;
  need_disc();
  mpz_mul(P_, A_, C_);
  mpz_mul_ui(P_, P_, 3);
  mpz_submul(P_, B_, B_);
  mpz_mul_2exp(P_, P_, 300);
  mpz_mul(a2disc_, A_, A_);
  mpz_mul(a2disc_, a2disc_, disc_);
  mpz_mul_2exp(a2disc_, a2disc_, 900);
}

int big_cubic::resolvent_sign(double m) {
  need_resolvent();
  set_scaled(t_, m, 150);
  mpz_mul(T_, t_, A_);
  mpz_mul(T_, T_, T_);
  mpz_mul_si(T_, T_, -4);
  mpz_add(acc_, T_, P_);
  mpz_mul(acc_, acc_, acc_);
  mpz_mul(acc_, acc_, T_);
  mpz_sub(acc_, acc_, a2disc_);
  return mpz_sgn(acc_);
}

// D = 0.  b^2 = 3ac: the triple root -b/(3a).  Otherwise the double root is
// (9ad - bc) / (2(b^2 - 3ac)) and the simple one -b/a minus twice it (the
// roots sum to -b/a).  The 2^149 scaling of A..D cancels in each ratio.
void big_cubic::need_rational() {
  if (have_rat_) return;
  have_rat_ = true;
  mpz_mul(t_, B_, B_);
  mpz_mul(u_, A_, C_);
  mpz_submul_ui(t_, u_, 3);  // t = B^2 - 3AC
  if (mpz_sgn(t_) == 0) {
    triple_ = true;
    mpz_neg(num_[0], B_);
    mpz_mul_ui(den_[0], A_, 3);
  } else {
    mpz_mul(num_[0], A_, D_);
    mpz_mul_ui(num_[0], num_[0], 9);
    mpz_submul(num_[0], B_, C_);
    mpz_mul_2exp(den_[0], t_, 1);
    // simple: (-B den0 - 2A num0) / (A den0)
    mpz_mul(num_[1], B_, den_[0]);
    mpz_neg(num_[1], num_[1]);
    mpz_mul(w_, A_, num_[0]);
    mpz_submul_ui(num_[1], w_, 2);
    mpz_mul(den_[1], A_, den_[0]);
  }
  for (int k = 0; k < 2; ++k) {
    if (mpz_sgn(den_[k]) < 0) {
      mpz_neg(den_[k], den_[k]);
      mpz_neg(num_[k], num_[k]);
    }
  }
}

bool big_cubic::triple() {
  need_rational();
  return triple_;
}

int big_cubic::rational_side(int which, double m) {
  need_rational();
  set_scaled(t_, m, 150);
  mpz_mul(acc_, den_[which], t_);
  mpz_mul_2exp(w_, num_[which], 150);
  mpz_sub(acc_, w_, acc_);
  return mpz_sgn(acc_);
}

big_low::big_low(float b, float c, float d) : quad_(b != 0.0f) {
  for (mpz_t* z : {&B_, &C_, &D_, &disc_, &t_, &u_}) mpz_init(*z);
  set_scaled(B_, b, 149);
  set_scaled(C_, c, 149);
  set_scaled(D_, d, 149);
  mpz_t k[3];
  for (mpz_t& z : k) mpz_init(z);
  if (quad_) {
    mpz_set(k[0], D_);
    mpz_set(k[1], C_);
    mpz_set(k[2], B_);
    p_.set(2, k);
    mpz_set(k[0], C_);
    mpz_mul_ui(k[1], B_, 2);
    dp_.set(1, k);
    mpz_mul(disc_, C_, C_);
    mpz_mul(t_, B_, D_);
    mpz_submul_ui(disc_, t_, 4);
  } else {
    mpz_set(k[0], D_);
    mpz_set(k[1], C_);
    p_.set(1, k);
  }
  for (mpz_t& z : k) mpz_clear(z);
}

big_low::~big_low() {
  for (mpz_t* z : {&B_, &C_, &D_, &disc_, &t_, &u_}) mpz_clear(*z);
}

int big_low::disc_sign() { return mpz_sgn(disc_); }
int big_low::p_sign(double m) { return p_.sign_at(m); }
int big_low::dp_sign(double m) { return dp_.sign_at(m); }

int big_low::re_side(double m) {
  set_scaled(t_, m, 150);
  if (quad_) {  // (-c - 2bm) / (2b): sign(-C 2^150 - 2B M) sign(B)
    mpz_mul(u_, B_, t_);
    mpz_mul_2exp(u_, u_, 1);
    mpz_mul_2exp(t_, C_, 150);
    mpz_add(u_, u_, t_);
    return -mpz_sgn(u_) * mpz_sgn(B_);
  }
  mpz_mul(u_, C_, t_);  // (-d - cm) / c
  mpz_mul_2exp(t_, D_, 150);
  mpz_add(u_, u_, t_);
  return -mpz_sgn(u_) * mpz_sgn(C_);
}

// v^2 - m^2 = (4bd - c^2 - 4b^2 m^2) / (4b^2), and v, m >= 0.
int big_low::im_side(double m) {
  set_scaled(t_, m, 150);
  mpz_mul(u_, B_, t_);
  mpz_mul(u_, u_, u_);
  mpz_mul_2exp(u_, u_, 2);  // 4B^2 M^2
  mpz_neg(t_, disc_);
  mpz_mul_2exp(t_, t_, 300);
  mpz_sub(u_, t_, u_);
  return mpz_sgn(u_);
}

}  // namespace qubic::exact
