// big64: exact signs and values with GMP integers (big64.hpp).
//
// Worked example (Exact64Blocks.RatioRoundsLikeDivision): round_ratio of
// 2^-1074 and 2 is the tie 2^-1075, which goes to the even +0, lost.
#include "exact64/big64.hpp"

#include <cmath>
#include <cstdint>

namespace qubic::exact64 {
namespace {

// One scratch integer per thread for the alignments of add (no allocation
// once it has grown).
mpz_ptr scratch() {
  static thread_local struct holder {
    mpz_t z;
    holder() { mpz_init(z); }
    ~holder() { mpz_clear(z); }
  } h;
  return h.z;
}

}  // namespace

void dyadic::set(double x) {
  if (x == 0.0) {
    mpz_set_ui(m_, 0);
    e_ = 0;
    return;
  }
  const mant_exp me = split_exp(x);
  mpz_set_d(m_, me.m * 0x1p52);  // an integer below 2^53: exact
  e_ = me.e - 52;
  const mp_bitcnt_t z = mpz_scan1(m_, 0);
  mpz_tdiv_q_2exp(m_, m_, z);
  e_ += static_cast<long>(z);
}

void dyadic::set_si(long v, long e) {
  mpz_set_si(m_, v);
  e_ = e;
}

void dyadic::copy(const dyadic& x) {
  if (this == &x) return;
  mpz_set(m_, x.m_);
  e_ = x.e_;
}

void dyadic::set(const point& p) {
  set(p.B);
  if (p.s != 0) {
    dyadic off;
    off.set_si(p.s, p.ell);
    add(*this, *this, off);
  }
  e_ += p.sigma;
}

wdd dyadic::to_wdd() const {
  if (mpz_sgn(m_) == 0) return {0.0, 0.0, 0, 0.0};
  const long bits = static_cast<long>(mpz_sizeinbase(m_, 2));
  const long sh = bits > 106 ? bits - 106 : 0;
  mpz_t t, hi;
  mpz_init(t);
  mpz_init(hi);
  mpz_abs(t, m_);
  mpz_tdiv_q_2exp(t, t, static_cast<mp_bitcnt_t>(sh));  // t < 2^106, truncated
  mpz_tdiv_q_2exp(hi, t, 53);
  mpz_tdiv_r_2exp(t, t, 53);
  const double H = mpz_get_d(hi) * 0x1p53;  // exact: below 2^106 with 53 bits
  const double L = mpz_get_d(t);            // exact: below 2^53
  mpz_clear(t);
  mpz_clear(hi);
  const double sg = mpz_sgn(m_) < 0 ? -1.0 : 1.0;
  // Truncation drops less than one unit of 2^(e + sh).
  return wdd_norm(sg * H, sg * L, static_cast<int>(e_ + sh), sh > 0 ? 1.0 : 0.0);
}

void add(dyadic& r, const dyadic& x, const dyadic& y) {
  if (mpz_sgn(y.m_) == 0) return r.copy(x);
  if (mpz_sgn(x.m_) == 0) return r.copy(y);
  const dyadic& hi = x.e_ >= y.e_ ? x : y;
  const dyadic& lo = x.e_ >= y.e_ ? y : x;
  const long e = lo.e_;
  mpz_ptr t = scratch();
  mpz_mul_2exp(t, hi.m_, static_cast<mp_bitcnt_t>(hi.e_ - lo.e_));
  mpz_add(r.m_, t, lo.m_);
  r.e_ = e;
}

void sub(dyadic& r, const dyadic& x, const dyadic& y) {
  if (mpz_sgn(y.m_) == 0) return r.copy(x);
  mpz_ptr t = scratch();
  if (x.e_ >= y.e_) {
    mpz_mul_2exp(t, x.m_, static_cast<mp_bitcnt_t>(x.e_ - y.e_));
    mpz_sub(r.m_, t, y.m_);
    r.e_ = y.e_;
  } else {
    mpz_mul_2exp(t, y.m_, static_cast<mp_bitcnt_t>(y.e_ - x.e_));
    mpz_sub(r.m_, x.m_, t);
    r.e_ = x.e_;
  }
}

void mul(dyadic& r, const dyadic& x, const dyadic& y) {
  const long e = x.e_ + y.e_;
  mpz_mul(r.m_, x.m_, y.m_);
  r.e_ = e;
}

void mul_si(dyadic& r, const dyadic& x, long k) {
  mpz_mul_si(r.m_, x.m_, k);
  r.e_ = x.e_;
}

// sign(n1/q1 - n0/q0)
int compare_ratio(const dyadic& n0, const dyadic& q0, const dyadic& n1, const dyadic& q1) {
  dyadic l, r;
  mul(l, n1, q0);
  mul(r, n0, q1);
  sub(l, l, r);
  return l.sign() * q0.sign() * q1.sign();
}

// The double nearest to n/q (q != 0), ties to even, +-inf beyond the range;
// *lost when n != 0 and the result is zero.  The quotient is taken to at
// least 55 bits with the remainder as a sticky bit, then rounded at the
// double's precision there (fewer bits below 2^-1022).
double round_ratio(const dyadic& n, const dyadic& q, bool* lost) {
  *lost = false;
  if (n.sign() == 0) return 0.0;
  const bool neg = n.sign() * q.sign() < 0;
  // Three integers per thread, kept from call to call (no allocation once
  // they have grown).
  static thread_local struct holder {
    mpz_t N, Q, R;
    holder() {
      mpz_init(N);
      mpz_init(Q);
      mpz_init(R);
    }
    ~holder() {
      mpz_clear(N);
      mpz_clear(Q);
      mpz_clear(R);
    }
  } h;
  mpz_ptr N = h.N, Q = h.Q, R = h.R;
  mpz_abs(N, n.m_);
  mpz_abs(Q, q.m_);
  const long bn = static_cast<long>(mpz_sizeinbase(N, 2));
  const long bq = static_cast<long>(mpz_sizeinbase(Q, 2));
  const long S = 56 - (bn - bq);  // N 2^S / Q lies in [2^55, 2^57)
  if (S >= 0) {
    mpz_mul_2exp(N, N, static_cast<mp_bitcnt_t>(S));
  } else {
    mpz_mul_2exp(Q, Q, static_cast<mp_bitcnt_t>(-S));
  }
  mpz_tdiv_qr(N, R, N, Q);
  std::uint64_t q0 = 0;  // below 2^57
  mpz_export(&q0, nullptr, -1, sizeof q0, 0, 0, N);
  const bool sticky = mpz_sgn(R) != 0;
  const long e0 = n.e_ - q.e_ - S;  // value = (q0 + frac) 2^e0
  int top = 63;
  while (((q0 >> top) & 1u) == 0) --top;
  const long t = top + e0;  // value in [2^t, 2^(t+1))
  if (t > 1024) return neg ? -INFINITY : INFINITY;
  long ue = t - 52;
  if (ue < -1074) ue = -1074;
  const long drop = ue - e0;  // >= top - 52 >= 3
  double mag = 0.0;
  if (drop <= 60) {
    std::uint64_t kept = q0 >> drop;
    const std::uint64_t rest = q0 & ((std::uint64_t{1} << drop) - 1);
    const std::uint64_t half = std::uint64_t{1} << (drop - 1);
    if (rest > half || (rest == half && (sticky || (kept & 1u) != 0))) ++kept;
    mag = std::ldexp(static_cast<double>(kept), static_cast<int>(ue));  // kept <= 2^53: exact, or inf
  }
  if (mag == 0.0) *lost = true;
  return neg ? -mag : mag;
}

void big_cubic64::reset(double a, double b, double c, double d) {
  a_.set(a);
  b_.set(b);
  c_.set(c);
  d_.set(d);
  have_disc_ = have_rat_ = have_q_ = triple_ = false;
}

int big_cubic64::poly_sign(const dyadic* const* c, int n, const point& m) {
  m_.set(m);
  acc_.copy(*c[n]);
  for (int k = n - 1; k >= 0; --k) {
    mul(acc_, acc_, m_);
    add(acc_, acc_, *c[k]);
  }
  return acc_.sign();
}

// disc = 18abcd - 4b^3 d + b^2 c^2 - 4ac^3 - 27a^2 d^2
void big_cubic64::need_disc() {
  if (have_disc_) return;
  have_disc_ = true;
  mul(t_, a_, b_);
  mul(t_, t_, c_);
  mul(t_, t_, d_);
  mul_si(disc_, t_, 18);
  mul(t_, b_, b_);
  mul(t_, t_, b_);
  mul(t_, t_, d_);
  mul_si(t_, t_, -4);
  add(disc_, disc_, t_);
  mul(t_, b_, c_);
  mul(t_, t_, t_);
  add(disc_, disc_, t_);
  mul(t_, c_, c_);
  mul(t_, t_, c_);
  mul(t_, t_, a_);
  mul_si(t_, t_, -4);
  add(disc_, disc_, t_);
  mul(t_, a_, d_);
  mul(t_, t_, t_);
  mul_si(t_, t_, -27);
  add(disc_, disc_, t_);
}

int big_cubic64::disc_sign() {
  need_disc();
  return disc_.sign();
}

wdd big_cubic64::disc_value() {
  need_disc();
  return disc_.to_wdd();
}

int big_cubic64::p_sign(const point& m) {
  const dyadic* const c[4] = {&d_, &c_, &b_, &a_};
  return poly_sign(c, 3, m);
}

int big_cubic64::dp_sign(const point& m) {  // 3a m^2 + 2b m + c
  m_.set(m);
  mul_si(acc_, a_, 3);
  mul(acc_, acc_, m_);
  mul_si(t_, b_, 2);
  add(acc_, acc_, t_);
  mul(acc_, acc_, m_);
  add(acc_, acc_, c_);
  return acc_.sign();
}

int big_cubic64::ddp_sign(const point& m) {  // 3a m + b
  m_.set(m);
  mul_si(acc_, a_, 3);
  mul(acc_, acc_, m_);
  add(acc_, acc_, b_);
  return acc_.sign();
}

int big_cubic64::q_sign(const point& m) {
  if (!have_q_) {
    have_q_ = true;
    need_q();
  }
  const dyadic* const c[4] = {&q_[0], &q_[1], &q_[2], &q_[3]};
  return poly_sign(c, 3, m);
}

void big_cubic64::need_q() {
  dyadic* q = q_;
  mul(q[3], a_, a_);
  mul_si(q[3], q[3], 8);
  mul(q[2], a_, b_);
  mul_si(q[2], q[2], 8);
  mul(q[1], b_, b_);
  mul(t_, a_, c_);
  add(q[1], q[1], t_);
  mul_si(q[1], q[1], 2);
  mul(q[0], b_, c_);
  mul(t_, a_, d_);
  sub(q[0], q[0], t_);
}

// R(T) = T (T + P)^2 - a^2 disc at T = -4a^2 m^2, P = 3ac - b^2.
int big_cubic64::im_side(const point& m) {
  need_disc();
  dyadic& P = P_;
  dyadic& T = T_;
  dyadic& S = S_;
  mul(P, a_, c_);
  mul_si(P, P, 3);
  mul(t_, b_, b_);
  sub(P, P, t_);
  m_.set(m);
  mul(T, a_, m_);
  mul(T, T, T);
  mul_si(T, T, -4);
  add(S, T, P);
  mul(acc_, S, S);
  mul(acc_, acc_, T);
  mul(t_, a_, a_);
  mul(t_, t_, disc_);
  sub(acc_, acc_, t_);
  if (acc_.sign() != 0) return acc_.sign();
  // R = 0: T is the simple root -4a^2 v^2 (m = v, a tie) or, when the real
  // root equals the pair's real part, the double root (m = v/2 < v), where
  // R'(T) = (T + P)(3T + P) vanishes.
  mul_si(t_, T, 3);
  add(t_, t_, P);
  return (S.sign() == 0 || t_.sign() == 0) ? 1 : 0;
}

// disc = 0.  b^2 = 3ac: the triple root -b/(3a).  Otherwise the double root
// (9ad - bc) / (2(b^2 - 3ac)) and the simple one -b/a minus twice it.
void big_cubic64::need_rational() {
  if (have_rat_) return;
  have_rat_ = true;
  mul(t_, b_, b_);
  mul(w_, a_, c_);
  mul_si(w_, w_, 3);
  sub(t_, t_, w_);  // b^2 - 3ac
  if (t_.sign() == 0) {
    triple_ = true;
    mul_si(num_[0], b_, -1);
    mul_si(den_[0], a_, 3);
    return;
  }
  mul(num_[0], a_, d_);
  mul_si(num_[0], num_[0], 9);
  mul(w_, b_, c_);
  sub(num_[0], num_[0], w_);
  mul_si(den_[0], t_, 2);
  // simple: (-b den0 - 2a num0) / (a den0)
  mul(num_[1], b_, den_[0]);
  mul_si(num_[1], num_[1], -1);
  mul(w_, a_, num_[0]);
  mul_si(w_, w_, 2);
  sub(num_[1], num_[1], w_);
  mul(den_[1], a_, den_[0]);
}

bool big_cubic64::triple() {
  need_rational();
  return triple_;
}

double big_cubic64::root(int which, bool* lost) {
  need_rational();
  return round_ratio(num_[which], den_[which], lost);
}

int big_cubic64::order() {
  need_rational();
  return compare_ratio(num_[0], den_[0], num_[1], den_[1]);
}

big_quadratic64::big_quadratic64(double b, double c, double d) {
  b_.set(b);
  c_.set(c);
  d_.set(d);
  mul(disc_, c_, c_);
  mul(t_, b_, d_);
  mul_si(t_, t_, 4);
  sub(disc_, disc_, t_);
}

int big_quadratic64::disc_sign() { return disc_.sign(); }

int big_quadratic64::p_sign(const point& m) {
  m_.set(m);
  mul(acc_, b_, m_);
  add(acc_, acc_, c_);
  mul(acc_, acc_, m_);
  add(acc_, acc_, d_);
  return acc_.sign();
}

int big_quadratic64::dp_sign(const point& m) {
  m_.set(m);
  mul(acc_, b_, m_);
  mul_si(acc_, acc_, 2);
  add(acc_, acc_, c_);
  return acc_.sign();
}

// v^2 - m^2 = (4bd - c^2 - 4b^2 m^2) / (4b^2), and v, m >= 0.
int big_quadratic64::im_side(const point& m) {
  m_.set(m);
  mul(acc_, b_, m_);
  mul(acc_, acc_, acc_);
  mul_si(acc_, acc_, 4);
  add(acc_, acc_, disc_);
  return -acc_.sign();
}

double big_quadratic64::double_root(bool* lost) {
  mul_si(t_, c_, -1);
  mul_si(acc_, b_, 2);
  return round_ratio(t_, acc_, lost);
}

}  // namespace qubic::exact64
