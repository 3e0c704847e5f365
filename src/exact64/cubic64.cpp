// cubic64: the levels of the exact oracles of a double cubic (cubic64.hpp).
//
// Worked example (Exact64Blocks.WorkedExamples, "(x - 1)(x - 2)(x - 3)"): the five terms of
// the discriminant are 7128, -5184, 4356, -5324, -972 (coefficients in the
// first filter's direct range); their sum 4 exceeds the bound 2^-49 * 22964,
// so disc() = +1 there.
#include "exact64/cubic64.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

#include "exact64/dot2.hpp"
#include "exact64/wide.hpp"
#include "exact64/stats64.hpp"

namespace qubic::exact64 {

cubic64::cubic64(double a_, double b_, double c_, double d_) : a(a_), b(b_), c(c_), d(d_) {
  p_.c[0] = wdd_of(d);
  p_.c[1] = wdd_of(c);
  p_.c[2] = wdd_of(b);
  p_.c[3] = wdd_of(a);
  p_.n = 3;
}

namespace {

// One GMP workspace per thread, so that its integers keep their storage
// from cubic to cubic (no allocation once they have grown).  It serves one
// cubic64 at a time: another one taking it resets it, and the holder's
// destructor lets it go, so no object ever sees another's facts.
struct workspace {
  big_cubic64 big;
  const cubic64* holder = nullptr;
};

workspace& gmp_workspace() {
  static thread_local workspace w;
  return w;
}

}  // namespace

cubic64::~cubic64() {
  workspace& w = gmp_workspace();
  if (w.holder == this) w.holder = nullptr;
}

big_cubic64& cubic64::big() {
  workspace& w = gmp_workspace();
  if (big_ == nullptr || w.holder != this) {
    w.big.reset(a, b, c, d);
    w.holder = this;
    big_ = &w.big;
    ++stats().cubics_with_gmp;
  }
  return *big_;
}

template <class Exact>
int cubic64::pick(int s, Exact&& exact) {
  if (s != 0) {
    ++stats().filter;
    return s;
  }
  ++stats().exact;
  return exact();
}

// Level 0: each term a product of mantissas in [1, 2) (four roundings, the
// constant included) times a power of two; terms scaled to the largest
// exponent (exact, or below 2^-1000 when they underflow) and summed in
// double: error at most (gamma_4 + gamma_4 (1 + gamma_4)) S < 2^-49.9 S.
// Level 1: 3 disc = 4AC - B^2 in integers when the forms are exact
// (disc3_exact: the exact sign, the value within 2^-104), else in wdd
// arithmetic, whose bound is carried.  Level 2: GMP.
int cubic64::disc() {
  const int s = disc_filter();
  return s != 0 ? s : disc_exact_levels();
}

namespace {

// The biased exponent of x minus that of 2^-120: below 256 exactly when
// 2^-120 <= |x| < 2^136 (zero and subnormals wrap around to large values).
unsigned offset(double x) {
  return static_cast<unsigned>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF) - (1023u - 120u);
}

}  // namespace

int cubic64::disc_filter() {
  if ((offset(a) | offset(b) | offset(c) | offset(d)) < 256u) [[likely]] {
    // Every coefficient in [2^-120, 2^136) (the bitwise or is below 256
    // only when each offset is).  The same terms and sums on the
    // coefficients themselves: every product of up to four of them lies in
    // [2^-480, 2^544) (times at most 27), so no operation overflows or
    // underflows, each rounds as its mantissas' counterpart below does
    // (rounding commutes with powers of two in the normal range), and v, S
    // are the values below times 2^X: the same error, with no floor needed.
    const double t[5] = {((18.0 * a) * b) * (c * d), ((-4.0 * b) * b) * (b * d), (b * c) * (b * c),
                         ((-4.0 * a) * c) * (c * c), ((-27.0 * a) * d) * (a * d)};
    double v = 0.0, S = 0.0;
    for (int i = 0; i < 5; ++i) {
      v = v + t[i];
      S = S + std::fabs(t[i]);
    }
    const double bound = 0x1p-49 * S * widen;
    near_multiple_ = std::fabs(v) <= 0x1p-12 * S;
    if (v > bound) return 1;
    if (v < -bound) return -1;
    return 0;
  }
  const mant_exp A = split_exp(a), B = split_exp(b), C = split_exp(c), D = split_exp(d);
  const double t[5] = {((18.0 * A.m) * B.m) * (C.m * D.m), ((-4.0 * B.m) * B.m) * (B.m * D.m),
                       (B.m * C.m) * (B.m * C.m), ((-4.0 * A.m) * C.m) * (C.m * C.m),
                       ((-27.0 * A.m) * D.m) * (A.m * D.m)};
  const int x[5] = {A.e + B.e + C.e + D.e, 3 * B.e + D.e, 2 * (B.e + C.e), A.e + 3 * C.e, 2 * (A.e + D.e)};
  int X = 0;
  bool any = false;
  for (int i = 0; i < 5; ++i) {
    if (t[i] != 0.0 && (!any || x[i] > X)) {
      X = x[i];
      any = true;
    }
  }
  double v = 0.0, S = 0.0;
  for (int i = 0; i < 5; ++i) {
    const double f = pow2(x[i] - X < -1074 ? -1075 : x[i] - X);
    v = v + t[i] * f;
    S = S + std::fabs(t[i]) * f;
  }
  const double bound = (0x1p-49 * S + floor_eta) * widen;
  near_multiple_ = std::fabs(v) <= 0x1p-12 * S;
  if (v > bound) return 1;
  if (v < -bound) return -1;
  return 0;
}

int cubic64::disc_exact_levels() {
  ++stats().disc1;
  if (exact_disc()) return disc_sign_;
  const wdd s3 = disc3_wdd();
  disc_ = s3;
  disc_level_ = 1;
  const double mag = s3.h + s3.l;
  if (mag > s3.e * widen) return 1;
  if (mag < -s3.e * widen) return -1;
  ++stats().disc_gmp;
  const int sg = big().disc_sign();
  if (sg != 0) {  // the value serves the resolvent; a multiple root needs none
    disc_ = big().disc_value() * wdd_of(3.0);
    disc_level_ = 2;
  }
  return sg;
}

// The integer level (dot2.hpp): when it applies, its sign is exact (a zero
// is a multiple root) and its value serves the resolvent like GMP's.
bool cubic64::exact_disc() {
  const disc_exact x = disc3_exact(a, b, c, d);
  if (!x.ok) return false;
  ++stats().disc_int;
  if (!have_A_) {  // the resolvent's P = -A, already exact here
    have_A_ = true;
    A_ = wdd_of_int(x.A.v, x.A.f);
  }
  disc_ = x.value;
  disc_level_ = 2;
  disc_sign_ = x.sign;
  return true;
}

// The discriminant from the three exact forms of degree two A = b^2 - 3ac,
// B = bc - 9ad, C = c^2 - 3bd (dot2): 3 disc = 4AC - B^2 (checked
// symbolically), two wdd products and a sum, the rounding of each carried.
wdd cubic64::disc3_wdd() {
  if (!have_A_) {
    have_A_ = true;
    A_ = dot2(b, b, 1, a, c, -3);
  }
  const wdd B = dot2(b, c, 1, a, d, -9), C = dot2(c, c, 1, b, d, -3);
  return scale(A_ * C, 2) - B * B;
}

int cubic64::p(const point& m) {
  return pick(p_.sign(m), [&] { return big().p_sign(m); });
}

int cubic64::dp(const point& m) {
  if (!have_dp_) {
    have_dp_ = true;
    dp_.emplace();
    ddp_.emplace();
    dp_->n = 2;
    dp_->c[0] = wdd_of(c);
    dp_->c[1] = scale(wdd_of(b), 1);
    dp_->c[2] = wdd_of(3.0) * wdd_of(a);
    ddp_->n = 1;
    ddp_->c[0] = wdd_of(b);
    ddp_->c[1] = dp_->c[2];
  }
  return pick(dp_->sign(m), [&] { return big().dp_sign(m); });
}

int cubic64::ddp(const point& m) {
  dp(m);  // builds ddp_ on first use (its sign is wanted beside p' anyway)
  return pick(ddp_->sign(m), [&] { return big().ddp_sign(m); });
}

poly64& cubic64::Q() {
  if (!have_q_) {
    have_q_ = true;
    q_.emplace();
    const wdd wa = wdd_of(a);
    q_->n = 3;
    q_->c[3] = scale(wa * wa, 3);
    q_->c[2] = scale(wa * wdd_of(b), 3);
    q_->c[1] = scale(dot2(b, b, 1, a, c, 1), 1);
    q_->c[0] = dot2(b, c, 1, a, d, -1);
  }
  return *q_;
}

int cubic64::q(const point& m) {
  return pick(Q().sign(m), [&] { return big().q_sign(m); });
}

// 3 G(s) = 3 R(-4a^2 s)/a^2 = -192a^4 s^3 + 96a^2 P s^2 - 12P^2 s - 3 disc,
// P = 3ac - b^2 = -A; disc_ holds 3 disc (disc3_wdd, or GMP's value times 3).
void cubic64::build_g() {
  g_level_ = disc_level_;
  if (!g_) g_.emplace();
  const wdd wa = wdd_of(a);
  const wdd a2 = wa * wa;
  if (!have_A_) {
    have_A_ = true;
    A_ = dot2(b, b, 1, a, c, -3);
  }
  const wdd P = -A_;
  const wdd P3 = times(P, 3);
  g_->n = 3;
  g_->c[3] = -scale(times(a2 * a2, 3), 6);
  g_->c[2] = scale(a2 * P3, 5);
  g_->c[1] = -scale(P * P3, 2);
  g_->c[0] = -disc_;
  g_->reset();
}

poly64& cubic64::G() {
  if (disc_level_ == 0) {  // the first filter's value is too coarse for the resolvent
    ++stats().disc1;
    if (!exact_disc()) {
      disc_ = disc3_wdd();
      disc_level_ = 1;
    }
  }
  if (!have_g_ || g_level_ != disc_level_) {
    have_g_ = true;
    build_g();
  }
  return *g_;
}

// The resolvent's filter needs disc to a few bits more than the result; when
// it cannot decide, the discriminant is taken from GMP and the filter tried
// again before the sign itself goes to GMP.
int cubic64::im_side(const point& m) {
  if (m.B == 0.0) return 1;  // v > 0
  int s = G().sign_sq(m);
  if (s == 0 && disc_level_ < 2) {
    ++stats().disc_value_gmp;
    disc_ = big().disc_value() * wdd_of(3.0);
    disc_level_ = 2;
    s = G().sign_sq(m);
  }
  return pick(s, [&] { return big().im_side(m); });
}

}  // namespace qubic::exact64
