// coef: multiply the monic cubic (x - r1)(x - r2)(x - r3) back out.
//
// Contract: reads rroot, iroot (roots 1..3); writes all of rb, ib (0..3).
// rb(j) + i*ib(j) is the coefficient of x^j; rb(3) = 1, ib(3) = 0.  No test is
// made: overflowing products come back as infinities or NaNs.
//
// Complex sums and negations work in single precision.  A complex product
// widens its four components to double, where each of the two products is
// exact, forms p*u - q*v and p*v + q*u there (one rounding each) and rounds
// them to single: one rounding to double, one to single.  The order below
// fixes every bit, signs of zeros included: three real roots give
// ib(2) = -(+0 + +0 + +0) = -0, and a conjugate pair after a real root can
// leave ib(0) slightly nonzero because r1*(u + iv) is rounded to single
// before it meets u - iv.
//
// Example: roots 1, 2, 3 (imaginary parts +0) give rb = (-6, 11, -6, 1) and
// ib = (-0, +0, -0, 0) for x^0..x^3.
#include <qubic/qubic.hpp>

namespace qubic {
namespace {

struct cplx {
  float re;
  float im;
};

cplx add(cplx x, cplx y) { return {x.re + y.re, x.im + y.im}; }

cplx neg(cplx x) { return {-x.re, -x.im}; }

cplx mul(cplx x, cplx y) {
  const double p = x.re;
  const double q = x.im;
  const double u = y.re;
  const double v = y.im;
  const double re = (p * u) - (q * v);
  const double im = (p * v) + (q * u);
  return {static_cast<float>(re), static_cast<float>(im)};
}

}  // namespace

void coef(const roots& rroot, const roots& iroot, coeffs& rb, coeffs& ib) {
  const cplx r1{rroot(1), iroot(1)};
  const cplx r2{rroot(2), iroot(2)};
  const cplx r3{rroot(3), iroot(3)};

  const cplx c2 = neg(add(add(r1, r2), r3));
  const cplx c1 = add(add(mul(r1, r2), mul(r2, r3)), mul(r1, r3));
  const cplx c0 = neg(mul(mul(r1, r2), r3));

  rb(0) = c0.re;
  ib(0) = c0.im;
  rb(1) = c1.re;
  ib(1) = c1.im;
  rb(2) = c2.re;
  ib(2) = c2.im;
  rb(3) = 1.0f;
  ib(3) = 0.0f;
}

}  // namespace qubic
