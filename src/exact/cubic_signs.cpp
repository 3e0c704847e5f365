// cubic_signs: the levels past the filters (cubic_signs.hpp): the exact
// parts of p, p', q and the discriminant (docs/exact.md sections 3 and 5),
// the discriminant's sharper values, and the resolvent's scale.
//
// Each *_parts writes its polynomial at m as an exact sum of doubles;
// sharpen_disc, expand_disc and form_resolvent write disc_, disc_level_,
// pn_, dn_, scale_ and res_level_, nothing else.  Worked example
// (ExactSigns.Levels): for (x - 1)(x - 2)(x - 3) = x^3 - 6x^2 + 11x - 6 at
// m = 2.5 the parts sum to p = -3/8, p' = -1/4: p(2.5) = -1, dp(2.5) = -1,
// ddp(2.5) = +1 (p'' = 3).
#include "exact/cubic_signs.hpp"

#include <algorithm>
#include <cmath>

namespace qubic::exact {

big_cubic& cubic_signs::big() {
  static thread_local big_cubic workspace;
  if (!big_set_) {
    if (disc_k_ < 0) {
      double x[10];
      disc_parts(x);
      disc_k_ = grow(x, 10, disc_e_);
    }
    workspace.set(fa_, fb_, fc_, fd_, disc_e_, disc_k_);
    big_set_ = true;
    ++stats().cubics_with_gmp;
  }
  return workspace;
}

// The polynomials at m as exact sums of a few doubles (section 5 of
// docs/exact.md): m^2 is exact (50 bits), m^3 = h3 + l3 by two_prod, and
// every product below is of exact doubles, split by two_prod into two
// (products of at most 28 + 25 bits are exact as they stand).  No
// partial product underflows: all are multiples of 2^-750 at least.
void cubic_signs::p_parts(double m, double* x) const {
  const double a = p_[3], b = p_[2], c = p_[1], d = p_[0];
  const double m2 = m * m;
  const two m3 = two_prod(m2, m);
  const two x1 = two_prod(a, m3.hi);
  const two x2 = two_prod(a, m3.lo);
  const two x3 = two_prod(b, m2);
  const double parts[8] = {x1.hi, x1.lo, x2.hi, x2.lo, x3.hi, x3.lo, c * m, d};
  std::copy(parts, parts + 8, x);
}

void cubic_signs::dp_parts(double m, double* x) const {  // 3a m^2 + 2b m + c; 2b m has 50 bits
  const two x1 = two_prod(dp_[2], m * m);
  const double parts[4] = {x1.hi, x1.lo, dp_[1] * m, dp_[0]};
  std::copy(parts, parts + 4, x);
}

// q(m) = 8a^2 m^3 + 8ab m^2 + 2(b^2 + ac) m + (bc - ad), from the exact
// products a^2, ab, b^2, ac, bc, ad.
void cubic_signs::q_parts(double m, double* x) const {
  const double a = fa_, b = fb_, c = fc_, d = fd_;
  const double m2 = m * m;
  const two m3 = two_prod(m2, m);
  const double a8 = 8.0 * (a * a);
  const two x1 = two_prod(a8, m3.hi);
  const two x2 = two_prod(a8, m3.lo);
  const two x3 = two_prod(8.0 * (a * b), m2);
  const two x4 = two_prod(2.0 * (b * b), m);
  const two x5 = two_prod(2.0 * (a * c), m);
  const double parts[12] = {x1.hi, x1.lo, x2.hi, x2.lo, x3.hi, x3.lo,
                            x4.hi, x4.lo, x5.hi, x5.lo, b * c, -(a * d)};
  std::copy(parts, parts + 12, x);
}

// The ten exact parts of the discriminant: two_prod of exact products of
// two floats (18ab has 28 bits, 27ad 53).
void cubic_signs::disc_parts(double* x) const {
  const double a = fa_, b = fb_, c = fc_, d = fd_;
  const double ad = a * d;
  const two t1 = two_prod((18.0 * a) * b, c * d);
  const two t2 = two_prod(b * b, b * d);
  const two t3 = two_prod(b * c, b * c);
  const two t4 = two_prod(a * c, c * c);
  const two t5 = two_prod(27.0 * ad, ad);
  const double parts[10] = {t1.hi, t1.lo, -4.0 * t2.hi, -4.0 * t2.lo, t3.hi, t3.lo,
                            -4.0 * t4.hi, -4.0 * t4.lo, -t5.hi, -t5.lo};
  std::copy(parts, parts + 10, x);
}

// disc_ from sum2 of n doubles whose exact sum is disc: |r - disc| <=
// u |disc| + gamma_9^2 sum |x_i| for n <= 10, and gamma_9^2 < 2^-99.
namespace {
bd disc_value(const double* x, int n) {
  const sum_result r = sum2(x, n);
  return {r.value, std::fabs(r.value) * 0x1p-52 + r.abs_sum * 0x1p-98};
}
}  // namespace

void cubic_signs::sharpen_disc(double* x) {
  disc_parts(x);
  disc_ = disc_value(x, 10);
  disc_level_ = 1;
}

// The exact expansion of the parts: its largest component has the sign of
// disc, and sum2 over its components (nonoverlapping, so their absolute
// values add up to about |disc|) gives a value within about 2^-52.
int cubic_signs::expand_disc(const double* x) {
  const int k = grow(x, 10, disc_e_);
  disc_k_ = k;
  disc_level_ = 2;
  if (k == 0) {
    disc_ = {0.0, 0.0};
    return 0;
  }
  disc_ = disc_value(disc_e_, k);
  return disc_e_[k - 1] > 0.0 ? 1 : -1;
}

// P/a^2 and disc/a^4 as they stand when |P/a^2| < 2^300 and
// 2^-900 < |disc/a^4| < 2^900: then, for m up to twice v (v < 2^128), every
// term of the filter lies below 2^900 and disc/a^4 far above the floor
// 2^-1000.  Otherwise the scale: 2^k near the largest root, from the
// exponents of b/a, c/a, d/a (the largest root lies within a few factors
// of two of max(|b/a|, |c/a|^(1/2), |d/a|^(1/3))), and P/a^2 2^-2k and
// disc/a^4 2^-6k, the latter brought near 1 before the second division so
// that only the last scaling can leave the range (and then the true value
// does too).  Only the filter's range depends on the scale, never a
// decision.
void cubic_signs::form_resolvent() {
  res_level_ = disc_level_;
  const bd ia2 = reciprocal(a2_);
  pn_ = P_ * ia2;
  dn_ = (disc_ * ia2) * ia2;
  scale_ = 1.0;
  const double ap = std::fabs(pn_.v), ad = std::fabs(dn_.v);
  if (ap < 0x1p300 && ad < 0x1p900 && ad > 0x1p-900) return;
  const int ea = exponent(fa_);
  int k = 0;
  bool any = false;
  auto take = [&](float x, int n) {
    if (x == 0.0f) return;
    const int e = (exponent(x) - ea) / n;
    k = any ? std::max(k, e) : e;
    any = true;
  };
  take(fb_, 1);
  take(fc_, 2);
  take(fd_, 3);
  scale_ = pow2(-k);
  pn_ = scaled(P_ * ia2, -2 * k);
  const bd x = disc_ * ia2;
  const int j = x.v != 0.0 ? -exponent(x.v) : 0;
  dn_ = scaled(scaled(x, j) * ia2, -6 * k - j);
}

double cubic_signs::im_guess(double v0) {
  if (disc_level_ == 0 && !(disc_.e <= 0x1p-30 * std::fabs(disc_.v))) {
    ++stats().value_sum;
    double x[10];
    sharpen_disc(x);
  }
  if (res_level_ != disc_level_) form_resolvent();
  const double P = pn_.v, D = dn_.v;
  const double vs = v0 * scale_;
  double t = vs > 0.0 ? -4.0 * (vs * vs) : D / (P * P);
  for (int it = 0; it < 8; ++it) {
    const double s = t + P;
    const double f = t * (s * s) - D;
    const double df = s * (3.0 * t + P);
    if (!(df != 0.0)) break;
    const double step = f / df;
    t = t - step;
    if (std::fabs(step) <= 0x1p-45 * std::fabs(t)) break;
  }
  if (!(t < 0.0) || !std::isfinite(t)) return v0;
  return std::sqrt(-0.25 * t) / scale_;
}

}  // namespace qubic::exact
