// cubic_signs: the levels past the filters (cubic_signs.hpp), the
// compensated sums of exact parts (docs/exact.md sections 3 and 5) and the
// discriminant's value from GMP.
//
// Each *_sum returns the exact sign of its polynomial at m, or 0 when Sum2
// cannot decide; sharpen_disc and exact_disc write disc_ (value and bound)
// and disc_level_, nothing else.  Worked example (checked with 300-bit
// mpmath): for (x - 1)(x - 2)(x - 3) = x^3 - 6x^2 + 11x - 6 at m = 2.5 the
// parts give p = -3/8, p' = -1/4, p'' = 3: p_sum = -1, dp_sum = -1,
// ddp_sum = +1.
#include "exact/cubic_signs.hpp"

#include <cmath>

#include "exact/expansion.hpp"

namespace qubic::exact {

big_cubic& cubic_signs::big() {
  if (!big_) {
    big_.emplace(fa_, fb_, fc_, fd_);
    ++stats().cubics_with_gmp;
  }
  return *big_;
}

// The polynomials at m as exact sums of a few doubles (section 5 of
// docs/exact.md): m^2 is exact (50 bits), m^3 = h3 + l3 by two_prod, and
// every product below is of exact doubles, split by two_prod into two
// (products of at most 28 + 25 bits are exact as they stand).  No
// partial product underflows: all are multiples of 2^-750 at least.
int cubic_signs::p_sum(double m) const {
  const double a = p_[3], b = p_[2], c = p_[1], d = p_[0];
  const double m2 = m * m;
  const two m3 = two_prod(m2, m);
  const two x1 = two_prod(a, m3.hi);
  const two x2 = two_prod(a, m3.lo);
  const two x3 = two_prod(b, m2);
  const double x[8] = {x1.hi, x1.lo, x2.hi, x2.lo, x3.hi, x3.lo, c * m, d};
  return sum2_sign<8>(x);
}

int cubic_signs::dp_sum(double m) const {  // 3a m^2 + 2b m + c; 2b m has 50 bits
  const two x1 = two_prod(dp_[2], m * m);
  const double x[4] = {x1.hi, x1.lo, dp_[1] * m, dp_[0]};
  return sum2_sign<4>(x);
}

int cubic_signs::ddp_sum(double m) const {  // 6a m (52 bits) + 2b: the sign of a rounded sum of two
  const double v = ddp_[1] * m + ddp_[0];
  return (v > 0.0) - (v < 0.0);
}

// q(m) = 8a^2 m^3 + 8ab m^2 + 2(b^2 + ac) m + (bc - ad), from the exact
// products a^2, ab, b^2, ac, bc, ad.
int cubic_signs::q_sum(double m) const {
  const double a = fa_, b = fb_, c = fc_, d = fd_;
  const double m2 = m * m;
  const two m3 = two_prod(m2, m);
  const double a8 = 8.0 * (a * a);
  const two x1 = two_prod(a8, m3.hi);
  const two x2 = two_prod(a8, m3.lo);
  const two x3 = two_prod(8.0 * (a * b), m2);
  const two x4 = two_prod(2.0 * (b * b), m);
  const two x5 = two_prod(2.0 * (a * c), m);
  const double x[12] = {x1.hi, x1.lo, x2.hi, x2.lo, x3.hi, x3.lo,
                        x4.hi, x4.lo, x5.hi, x5.lo, b * c, -(a * d)};
  return sum2_sign<12>(x);
}

// disc_ from the ten exact parts of the discriminant (two_prod of exact
// products of two floats), summed by sum2: |r - disc| <= u |disc| +
// gamma_9^2 sum|x_i|, and gamma_9^2 < 2^-99.
void cubic_signs::sharpen_disc() {
  const double a = fa_, b = fb_, c = fc_, d = fd_;
  const double ad = a * d;
  const two t1 = two_prod((18.0 * a) * b, c * d);
  const two t2 = two_prod(b * b, b * d);
  const two t3 = two_prod(b * c, b * c);
  const two t4 = two_prod(a * c, c * c);
  const two t5 = two_prod(27.0 * ad, ad);
  const double x[10] = {t1.hi, t1.lo, -4.0 * t2.hi, -4.0 * t2.lo, t3.hi, t3.lo,
                        -4.0 * t4.hi, -4.0 * t4.lo, -t5.hi, -t5.lo};
  const sum_result r = sum2(x, 10);
  disc_ = {r.value, std::fabs(r.value) * 0x1p-52 + r.abs_sum * 0x1p-98};
  disc_level_ = 1;
}

// disc_ from GMP: truncated to 53 bits, so within 2^-52 relative.
void cubic_signs::exact_disc() {
  disc_.v = big().disc_value();
  disc_.e = std::fabs(disc_.v) * 0x1p-51;
  disc_level_ = 2;
}

}  // namespace qubic::exact
