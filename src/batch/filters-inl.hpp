// filters-inl: the exact engine's certified filters with one cubic per
// lane (docs/batch.md section 3).  Included once per vector target by
// kernel.cpp (Highway's foreach_target), hence the toggled guard.
//
// Every filter here performs, per lane, the operations of its scalar twin
// in the same order, each one IEEE 754 double rounding to nearest: Add,
// Sub, Mul, Div and Sqrt are single instructions, never fused (no MulAdd;
// -ffp-contract=off keeps the compiler from fusing them), so the error
// bounds of docs/exact.md section 5 hold lane by lane.  A sign is reported
// in the masks pos / neg only when the computed value exceeds its bound;
// NaN and infinity compare false and leave both masks clear.
//
// Worked example (SolveExactBatchLanes.WorkedExamples): p = x^3 - 6x^2 + 11x - 6
// at the midpoint 2.5: value -0.375, |p| sum 86.625, bound 86.625 2^-50,
// so neg is set; cell_of(2.0) is the float 2 with the midpoints
// 2 - 2^-24 and 2 + 2^-23.
#if defined(QUBIC_BATCH_FILTERS_INL_HPP_) == defined(HWY_TARGET_TOGGLE)
#ifdef QUBIC_BATCH_FILTERS_INL_HPP_
#undef QUBIC_BATCH_FILTERS_INL_HPP_
#else
#define QUBIC_BATCH_FILTERS_INL_HPP_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace qubic::batch::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;

// The certified sign of one quantity per lane: pos (value > 0), neg
// (value < 0), neither when the filter abstains.
struct sign {
  M pos;
  M neg;
};

HWY_INLINE sign sign_of(V v, V bound) { return {hn::Gt(v, bound), hn::Lt(v, hn::Neg(bound))}; }

// Per lane: yes where m is set, else no.
HWY_INLINE M msel(M m, M yes, M no) { return hn::Or(hn::And(m, yes), hn::AndNot(m, no)); }

// Horner's scheme for c3 m^3 + c2 m^2 + c1 m + c0 beside the same scheme on
// the absolute values, S; the sign is certified beyond S * slack
// (filter.hpp's horner_sign: slack 2^-50 for exact coefficients, 2^-49 for
// coefficients rounded once).
HWY_INLINE sign horner3(V c3, V c2, V c1, V c0, V m, V slack) {
  const V am = hn::Abs(m);
  V v = c3;
  V s = hn::Abs(c3);
  v = hn::Add(hn::Mul(v, m), c2);
  s = hn::Add(hn::Mul(s, am), hn::Abs(c2));
  v = hn::Add(hn::Mul(v, m), c1);
  s = hn::Add(hn::Mul(s, am), hn::Abs(c1));
  v = hn::Add(hn::Mul(v, m), c0);
  s = hn::Add(hn::Mul(s, am), hn::Abs(c0));
  return sign_of(v, hn::Mul(s, slack));
}

// The discriminant's first filter (docs/exact.md section 3, L0; the scalar
// cubic_signs::disc): five rounded products of exact doubles summed left to
// right, bound 2^-50 times the sum of their magnitudes.  Writes the value
// and the bound, which the resolvent filter takes as disc's error.
HWY_INLINE sign disc_filter(V a, V b, V c, V d, V& value, V& bound) {
  const D dd;
  const V ac = hn::Mul(a, c), ad = hn::Mul(a, d), bb = hn::Mul(b, b), bc = hn::Mul(b, c);
  const V bd = hn::Mul(b, d), cc = hn::Mul(c, c), cd = hn::Mul(c, d);
  const V ab18 = hn::Mul(hn::Mul(hn::Set(dd, 18.0), a), b);  // 28 x 24 bits: exact
  const V ad27 = hn::Mul(hn::Set(dd, 27.0), ad);               // 48 x 5 bits: exact
  const V m4 = hn::Set(dd, -4.0);
  const V t1 = hn::Mul(ab18, cd);
  const V t2 = hn::Mul(m4, hn::Mul(bb, bd));
  const V t3 = hn::Mul(bc, bc);
  const V t4 = hn::Mul(m4, hn::Mul(ac, cc));
  const V t5 = hn::Neg(hn::Mul(ad27, ad));
  value = hn::Add(hn::Add(hn::Add(hn::Add(t1, t2), t3), t4), t5);
  const V s = hn::Add(hn::Add(hn::Add(hn::Add(hn::Abs(t1), hn::Abs(t2)), hn::Abs(t3)), hn::Abs(t4)), hn::Abs(t5));
  bound = hn::Mul(s, hn::Set(dd, 0x1p-50));
  return sign_of(value, bound);
}

// The float a guess names and its cell, the open interval of the reals
// that round to it (cells.hpp, docs/exact.md section 2):
//  * a finite nonzero float of key k: (mid(k - 1), mid(k)).  The
//    neighbours are the float's pattern plus or minus one in the direction
//    of its sign; beside +-FLT_MAX the neighbour is +-inf, taken as +-2^128
//    so that the midpoint is the overflow threshold 2^128 - 2^103.  Each
//    midpoint is the exact mean of two floats.
//  * +inf: (2^128 - 2^103, +inf), `above` set (hi is +inf, where a sign is
//    the polynomial's limit, not a filter's); -inf likewise, `below` set.
//  * +-0: (-2^-150, 2^-150), `zero` set; the sign of the part (a signed
//    zero, or an exact zero) is decided apart.
// The ends are excluded: a value on a midpoint is a tie, which no filter
// certifies, so those lanes go to the scalar engine.  A NaN guess leaves
// `valid` clear.
struct cell {
  V f;   // the float, as a double
  V lo;  // the lower end
  V hi;  // the upper end
  M below;
  M above;
  M zero;
  M valid;
};

HWY_INLINE cell cell_of(V x) {
  const D d;
  const hn::Rebind<float, D> df;
  const hn::RebindToSigned<decltype(df)> di;
  const auto ff = hn::DemoteTo(df, x);
  const auto bits = hn::BitCast(di, ff);
  const auto step = hn::Or(hn::ShiftRight<31>(bits), hn::Set(di, 1));  // +1 above zero, -1 below
  const V up = hn::Min(hn::PromoteTo(d, hn::BitCast(df, hn::Add(bits, step))), hn::Set(d, 0x1p128));
  const V down = hn::Max(hn::PromoteTo(d, hn::BitCast(df, hn::Sub(bits, step))), hn::Set(d, -0x1p128));
  const V half = hn::Set(d, 0.5);
  const V inf = hn::Set(d, HUGE_VAL);
  const V edge = hn::Set(d, 0x1p128 - 0x1p103);
  // Beyond the threshold the float is +-inf (IEEE rounding, ties to the
  // even inf); some targets' conversions saturate at +-FLT_MAX instead.
  const V f = hn::IfThenElse(hn::Ge(hn::Abs(x), edge), hn::CopySign(inf, x), hn::PromoteTo(d, ff));
  const V tie0 = hn::Set(d, 0x1p-150);
  cell k;
  k.f = f;
  k.above = hn::Eq(f, inf);
  k.below = hn::Eq(f, hn::Neg(inf));
  k.zero = hn::Eq(f, hn::Zero(d));
  k.valid = hn::Eq(f, f);
  k.lo = hn::Mul(hn::Add(down, f), half);
  k.hi = hn::Mul(hn::Add(f, up), half);
  k.lo = hn::IfThenElse(k.zero, hn::Neg(tie0), hn::IfThenElse(k.above, edge, k.lo));
  k.hi = hn::IfThenElse(k.zero, tie0, hn::IfThenElse(k.below, hn::Neg(edge), k.hi));
  k.lo = hn::IfThenElse(k.below, hn::Neg(inf), k.lo);
  k.hi = hn::IfThenElse(k.above, inf, k.hi);
  return k;
}

// The signs at the two ends of a cell of the cubic p = a x^3 + ... (exact
// coefficients), an infinite end taking p's limit there: sign(a) at +inf,
// -sign(a) at -inf.
struct ends {
  sign lo;
  sign hi;
};

HWY_INLINE ends p_ends(V a, V b, V c, V dd, const cell& k) {
  const D d;
  const V slack = hn::Set(d, 0x1p-50);
  const M apos = hn::Gt(a, hn::Zero(d)), aneg = hn::Lt(a, hn::Zero(d));
  sign lo = horner3(a, b, c, dd, k.lo, slack);
  sign hi = horner3(a, b, c, dd, k.hi, slack);
  lo = {msel(k.below, aneg, lo.pos), msel(k.below, apos, lo.neg)};
  hi = {msel(k.above, apos, hi.pos), msel(k.above, aneg, hi.neg)};
  return {lo, hi};
}

// A value with an absolute error bound (filter.hpp's bd), lane by lane:
// each operation adds u |result| and the underflow floor 2^-1000, and the
// bound is widened by 1 + 2^-48 for its own roundings.
struct bd {
  V v;
  V e;
};

HWY_INLINE V bd_close(V e) {
  const D d;
  return hn::Mul(hn::Add(e, hn::Set(d, 0x1p-1000)), hn::Set(d, 1.0 + 0x1p-48));
}

// x - y for exact x and y: the rounding is the only error.
HWY_INLINE bd bd_sub_exact(V x, V y) {
  const D d;
  const V s = hn::Sub(x, y);
  return {s, bd_close(hn::Mul(hn::Set(d, 0x1p-53), hn::Abs(s)))};
}

HWY_INLINE bd bd_mul(bd x, bd y) {
  const D d;
  const V p = hn::Mul(x.v, y.v);
  const V e = hn::Add(hn::Add(hn::Add(hn::Mul(hn::Abs(x.v), y.e), hn::Mul(hn::Abs(y.v), x.e)), hn::Mul(x.e, y.e)),
                      hn::Mul(hn::Set(d, 0x1p-53), hn::Abs(p)));
  return {p, bd_close(e)};
}

HWY_INLINE bd bd_reciprocal(V y) {
  const D d;
  const V r = hn::Div(hn::Set(d, 1.0), y);
  return {r, bd_close(hn::Mul(hn::Set(d, 0x1p-53), hn::Abs(r)))};
}

// The resolvent filter (docs/exact.md section 5; cubic_signs.hpp's
// resolvent_filter): the sign of t (t + P/a^2)^2 - disc/a^4 at t = -4 m^2,
// which is the sign of v - m for the pair's imaginary part v.  pn and dn are
// P/a^2 and disc/a^4 with their bounds (resolvent_terms).
struct resolvent {
  bd pn;
  bd dn;
};

HWY_INLINE resolvent resolvent_terms(V a, V b, V c, bd disc) {
  const D d;
  const V ac = hn::Mul(a, c);
  const bd P = bd_sub_exact(hn::Mul(hn::Set(d, 3.0), ac), hn::Mul(b, b));
  const bd ia2 = bd_reciprocal(hn::Mul(a, a));
  return {bd_mul(P, ia2), bd_mul(bd_mul(disc, ia2), ia2)};
}

HWY_INLINE sign resolvent_filter(const resolvent& rt, V m) {
  const D d;
  const V t = hn::Mul(hn::Set(d, -4.0), hn::Mul(m, m));
  const V s = hn::Add(t, rt.pn.v);
  const V w = hn::Mul(t, hn::Mul(s, s));
  const V r = hn::Sub(w, rt.dn.v);
  const V ep = rt.pn.e;
  const V at = hn::Abs(t);
  const V terms = hn::Add(hn::Mul(hn::Set(d, 0x1p-53), hn::Abs(r)), hn::Mul(hn::Set(d, 0x1.01p-51), hn::Abs(w)));
  const V pair = hn::Mul(at, hn::Mul(ep, hn::Add(hn::Mul(hn::Set(d, 2.002), hn::Abs(s)), ep)));
  const V floor = hn::Mul(hn::Set(d, 0x1p-1000), hn::Add(hn::Set(d, 1.0), at));
  const V bound = hn::Mul(hn::Add(hn::Add(hn::Add(terms, pair), rt.dn.e), floor), hn::Set(d, 1.0 + 0x1p-48));
  return sign_of(r, bound);
}

}  // namespace qubic::batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
