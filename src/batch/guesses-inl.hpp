// guesses-inl: the exact engine's starting guesses (src/exact/approx.cpp)
// with one cubic per lane.  Included once per vector target by kernel.cpp,
// hence the toggled guard.
//
// Nothing here is trusted (docs/batch.md section 2): a guess only names the
// cell that the filters then confirm, so it may differ from the scalar
// guess in its last bits, or from one vector target to another (Highway's
// Acos, Cos and Sin are accurate to a few units in the last place, and may
// use fused multiply-adds), without changing any answer.  The steps follow
// approx.cpp: the monic cubic scaled by a power of two to roots of order
// one, the trigonometric form (three real roots) or Cardano's formula (one),
// Newton's method where the closed form loses bits.  A lane whose guess is
// poor fails the confirmation and goes to the scalar engine.
//
// Worked example (SolveExactBatchLanes.WorkedExamples): x^3 - 6x^2 + 11x - 6 gives
// guesses within 2^-40 of 1, 2, 3; x^3 + 3 gives -1.44224957..., and the
// pair 0.72112478... +- 1.24902476... i.
#if defined(QUBIC_BATCH_GUESSES_INL_HPP_) == defined(HWY_TARGET_TOGGLE)
#ifdef QUBIC_BATCH_GUESSES_INL_HPP_
#undef QUBIC_BATCH_GUESSES_INL_HPP_
#else
#define QUBIC_BATCH_GUESSES_INL_HPP_
#endif

#include <hwy/highway.h>
#include <hwy/contrib/math/math-inl.h>

#include "batch/filters-inl.hpp"

HWY_BEFORE_NAMESPACE();
namespace qubic::batch::HWY_NAMESPACE {

// The unbiased exponent of x from its bits (-1023 for a subnormal), -100000
// for 0, as a double (approx.cpp's exponent_of).  The 11-bit field is put
// under the exponent of 2^52 and 2^52 taken away, which is exact.
HWY_INLINE V exponent_of(V x) {
  const D d;
  const hn::RebindToUnsigned<D> du;
  const auto field = hn::And(hn::ShiftRight<52>(hn::BitCast(du, x)), hn::Set(du, 0x7FF));
  const V e = hn::Sub(hn::BitCast(d, hn::Or(field, hn::Set(du, 0x4330000000000000ull))), hn::Set(d, 0x1p52 + 1023));
  return hn::IfThenElse(hn::Eq(x, hn::Zero(d)), hn::Set(d, -100000.0), e);
}

// 2^n for an integer-valued n in [-1022, 1023], exact: n + 1023 + 2^52 holds
// n + 1023 in its low bits, which the shift moves into the exponent field.
HWY_INLINE V pow2(V n) {
  const D d;
  const hn::RebindToUnsigned<D> du;
  return hn::BitCast(d, hn::ShiftLeft<52>(hn::BitCast(du, hn::Add(n, hn::Set(d, 0x1p52 + 1023)))));
}

// approx.cpp's cube_root: a guess from the exponent bits, the pattern
// divided by 3 plus a constant, then two Halley steps.  Here the division
// takes the pattern's high 32 bits only, in double (exact: they are put
// under the exponent of 2^52 and 2^52 taken away; adding 2^52 back rounds
// the quotient to an integer), which blurs bits far below the guess's
// five and needs no 64-bit conversion, which AVX2 lacks.  Exact 0 gives 0;
// outside [2^-900, 2^900] the lane is marked bad (the scalar engine uses
// cbrt there).
HWY_INLINE V cube_root(V x, M& bad) {
  const D d;
  const hn::RebindToUnsigned<D> du;
  const V ax = hn::Abs(x);
  const M in_range = hn::And(hn::Ge(ax, hn::Set(d, 0x1p-900)), hn::Le(ax, hn::Set(d, 0x1p900)));
  const auto magic = hn::Set(du, 0x4330000000000000ull);
  const V hi = hn::Sub(hn::BitCast(d, hn::Or(hn::ShiftRight<32>(hn::BitCast(du, ax)), magic)), hn::Set(d, 0x1p52));
  const V q = hn::Add(hn::Mul(hi, hn::Set(d, 1.0 / 3.0)), hn::Set(d, 0x1p52));
  const auto q32 = hn::And(hn::BitCast(du, q), hn::Set(du, 0xFFFFFFFFull));
  V y = hn::BitCast(d, hn::Add(hn::ShiftLeft<32>(q32), hn::Set(du, 0x2A9F7893782DA1CEull)));
  const V two = hn::Set(d, 2.0);
  for (int it = 0; it < 2; ++it) {
    const V y3 = hn::Mul(hn::Mul(y, y), y);
    y = hn::Div(hn::Mul(y, hn::Add(y3, hn::Mul(two, ax))), hn::Add(hn::Mul(two, y3), ax));
  }
  const M zero = hn::Eq(ax, hn::Zero(d));
  bad = hn::Or(bad, hn::Not(hn::Or(in_range, zero)));
  return hn::IfThenZeroElse(zero, hn::CopySignToAbs(y, x));
}

// Newton's method on c3 x^3 + c2 x^2 + c1 x + c0 from x in the lanes of
// `want` (approx.cpp's newton_cubic): at most Steps steps, a lane stopping
// when p' is 0, when the next iterate leaves [-1e300, 1e300], or after a
// step below 2^-40 relative.  The other lanes keep x.
template <int Steps>
HWY_INLINE V newton(V c3, V c2, V c1, V c0, V x, M want) {
  const D d;
  if (hn::AllFalse(d, want)) return x;
  const V c3x3 = hn::Mul(hn::Set(d, 3.0), c3);
  const V c2x2 = hn::Mul(hn::Set(d, 2.0), c2);
  M active = want;
  for (int it = 0; it < Steps && !hn::AllFalse(d, active); ++it) {
    const V p = hn::Add(hn::Mul(hn::Add(hn::Mul(hn::Add(hn::Mul(c3, x), c2), x), c1), x), c0);
    const V dp = hn::Add(hn::Mul(hn::Add(hn::Mul(c3x3, x), c2x2), x), c1);
    active = hn::And(active, hn::Ne(dp, hn::Zero(d)));
    const V step = hn::Div(p, dp);
    const V nx = hn::Sub(x, step);
    active = hn::And(active, hn::Le(hn::Abs(nx), hn::Set(d, 1e300)));
    x = hn::IfThenElse(active, nx, x);
    active = hn::AndNot(hn::Le(hn::Abs(step), hn::Mul(hn::Set(d, 0x1p-40), hn::Abs(x))), active);
  }
  return x;
}

// The monic cubic x^3 + B x^2 + C x + D scaled by 2^k so that its roots are
// of order one: Bs = B 2^-k, Cs = C 2^-2k, Ds = D 2^-3k, sk = 2^k, and the
// depressed cubic y^3 + p y + q in y = x - shift.
struct scaled {
  V B, C, Dm, sk, Bs, Cs, Ds, shift, p, q;
};

HWY_INLINE scaled scale(V a, V b, V c, V dd) {
  const D d;
  const V ia = hn::Div(hn::Set(d, 1.0), a);
  scaled s;
  s.B = hn::Mul(b, ia);
  s.C = hn::Mul(c, ia);
  s.Dm = hn::Mul(dd, ia);
  const V eC = hn::Trunc(hn::Mul(exponent_of(s.C), hn::Set(d, 0.5)));
  // e / 3 truncated, by a product: nudged away from zero by 2^-20, which
  // brings an exact multiple of 3 back to its integer and moves no other
  // quotient (at least 1/3 from an integer) across one.
  const V eDx = exponent_of(s.Dm);
  const V eD = hn::Trunc(hn::Add(hn::Mul(eDx, hn::Set(d, 1.0 / 3.0)), hn::CopySign(hn::Set(d, 0x1p-20), eDx)));
  V k = hn::Max(exponent_of(s.B), hn::Max(eC, eD));
  k = hn::Min(hn::Max(k, hn::Set(d, -340.0)), hn::Set(d, 340.0));
  s.sk = pow2(k);
  s.Bs = hn::Mul(s.B, pow2(hn::Neg(k)));
  s.Cs = hn::Mul(s.C, pow2(hn::Mul(hn::Set(d, -2.0), k)));
  s.Ds = hn::Mul(s.Dm, pow2(hn::Mul(hn::Set(d, -3.0), k)));
  const V third = hn::Set(d, 1.0 / 3.0);
  s.shift = hn::Mul(hn::Neg(s.Bs), third);
  s.p = hn::Sub(s.Cs, hn::Mul(hn::Mul(s.Bs, s.Bs), third));
  const V bs3 = hn::Mul(hn::Mul(hn::Mul(hn::Set(d, 2.0), s.Bs), s.Bs), s.Bs);
  const V bc9 = hn::Mul(hn::Mul(hn::Set(d, 9.0), s.Bs), s.Cs);
  const V d27 = hn::Mul(hn::Set(d, 27.0), s.Ds);
  s.q = hn::Mul(hn::Add(hn::Sub(bs3, bc9), d27), hn::Set(d, 1.0 / 27.0));
  return s;
}

// Three real roots, ascending, into x0 <= x1 <= x2 (approx.cpp, three_real).
HWY_INLINE void three_guesses(V a, V b, V c, V dd, V& x0, V& x1, V& x2) {
  const D d;
  const scaled s = scale(a, b, c, dd);
  const V third = hn::Set(d, 1.0 / 3.0);
  const V zero = hn::Zero(d);
  const M neg_p = hn::Lt(s.p, zero);
  const V mp = hn::IfThenElseZero(neg_p, hn::Sqrt(hn::Mul(hn::Neg(s.p), third)));
  const M pos_mp = hn::Gt(mp, zero);
  const V denom = hn::Mul(hn::Mul(hn::Mul(hn::Set(d, 2.0), mp), mp), mp);
  V cosarg = hn::IfThenElseZero(pos_mp, hn::Div(hn::Neg(s.q), hn::IfThenElse(pos_mp, denom, hn::Set(d, 1.0))));
  cosarg = hn::Min(hn::Max(cosarg, hn::Set(d, -1.0)), hn::Set(d, 1.0));
  // y_k = 2 mp cos(th - 2 pi k / 3), from one cosine and one sine.
  const V th = hn::Mul(hn::Acos(d, cosarg), third);
  const V ct = hn::Cos(d, th);
  const V st = hn::Sin(d, th);
  const V h3st = hn::Mul(hn::Mul(hn::Set(d, 0.86602540378443864676), hn::Set(d, 2.0)), st);
  V xs[3] = {hn::Add(hn::Mul(hn::Mul(hn::Set(d, 2.0), mp), ct), s.shift),
             hn::Add(hn::Mul(mp, hn::Sub(h3st, ct)), s.shift),
             hn::Add(hn::Mul(hn::Neg(mp), hn::Add(ct, h3st)), s.shift)};
  const M separated = hn::Lt(hn::Abs(cosarg), hn::Set(d, 1.0 - 0x1p-10));
  const V tiny = hn::Set(d, 0x1p-12);
  const M small[3] = {hn::Lt(hn::Abs(xs[0]), tiny), hn::Lt(hn::Abs(xs[1]), tiny), hn::Lt(hn::Abs(xs[2]), tiny)};
  const V one = hn::Set(d, 1.0);
  const V nsmall = hn::Add(hn::Add(hn::IfThenElseZero(small[0], one), hn::IfThenElseZero(small[1], one)),
                           hn::IfThenElseZero(small[2], one));
  // A lone small root: -Ds over the product of the other two.  (Each
  // remedy is computed only when a lane of the vector needs it: they cost
  // divisions.)
  const M lone = hn::And(separated, hn::Eq(nsmall, one));
  V x[3] = {xs[0], xs[1], xs[2]};
  if (!hn::AllFalse(d, hn::And(lone, hn::Or(hn::Or(small[0], small[1]), small[2])))) {
    const V nD = hn::Neg(s.Ds);
    const V fixed[3] = {hn::Div(nD, hn::Mul(xs[1], xs[2])), hn::Div(nD, hn::Mul(xs[2], xs[0])),
                        hn::Div(nD, hn::Mul(xs[0], xs[1]))};
    for (int i = 0; i < 3; ++i) x[i] = hn::IfThenElse(hn::And(lone, small[i]), fixed[i], xs[i]);
  }
  // Two small roots: Bs y^2 + Cs y + Ds = 0 without cancellation starts
  // Newton's method at each (the smaller index takes t / Bs).
  const V qd = hn::Sub(hn::Mul(s.Cs, s.Cs), hn::Mul(hn::Mul(hn::Set(d, 4.0), s.Bs), s.Ds));
  const M pair = hn::AndNot(lone, hn::And(hn::And(hn::Eq(nsmall, hn::Set(d, 2.0)), hn::Ne(s.Bs, zero)),
                                          hn::Ge(qd, zero)));
  if (!hn::AllFalse(d, pair)) {
    const V t = hn::Mul(hn::Set(d, -0.5), hn::Add(s.Cs, hn::CopySign(hn::Sqrt(hn::Max(qd, zero)), s.Cs)));
    const V z0 = hn::Div(t, s.Bs);
    const V z1 = hn::IfThenElseZero(hn::Ne(t, zero), hn::Div(s.Ds, t));
    const V in[3] = {hn::IfThenElse(small[0], z0, xs[0]),
                     hn::IfThenElse(small[1], hn::IfThenElse(small[0], z1, z0), xs[1]),
                     hn::IfThenElse(small[2], z1, xs[2])};
    for (int i = 0; i < 3; ++i) x[i] = hn::IfThenElse(pair, in[i], x[i]);
  }
  V g[3];
  for (int i = 0; i < 3; ++i) {
    const M polish = hn::AndNot(lone, hn::Or(pair, hn::Not(hn::AndNot(small[i], separated))));
    g[i] = newton<6>(a, b, c, dd, hn::Mul(x[i], s.sk), polish);
  }
  // Sorting network for three.
  const V lo01 = hn::Min(g[0], g[1]), hi01 = hn::Max(g[0], g[1]);
  const V lo12 = hn::Min(hi01, g[2]);
  x2 = hn::Max(hi01, g[2]);
  x0 = hn::Min(lo01, lo12);
  x1 = hn::Max(lo01, lo12);
}

// One real root r and the pair u +- iv, v >= 0 (approx.cpp, Cardano's
// formula).  bad: lanes whose cube root had no guess.
HWY_INLINE void one_guesses(V a, V b, V c, V dd, V& r, V& u, V& v, M& bad) {
  const D d;
  const scaled s = scale(a, b, c, dd);
  const V zero = hn::Zero(d);
  const V h = hn::Mul(s.q, hn::Set(d, 0.5));
  const V p3 = hn::Mul(s.p, hn::Set(d, 1.0 / 3.0));
  const V hh = hn::Mul(h, h);
  const V disc = hn::Max(hn::Add(hh, hn::Mul(hn::Mul(p3, p3), p3)), zero);
  const V A = hn::Neg(cube_root(hn::Add(h, hn::CopySign(hn::Sqrt(disc), h)), bad));
  const M nzA = hn::Ne(A, zero);
  const V y = hn::Add(A, hn::IfThenElseZero(nzA, hn::Div(hn::Neg(p3), hn::IfThenElse(nzA, A, hn::Set(d, 1.0)))));
  const V xs = hn::Add(y, s.shift);
  const M clean = hn::And(hn::Ge(disc, hn::Mul(hn::Set(d, 0x1p-20), hh)), hn::Ge(hn::Abs(xs), hn::Set(d, 0x1p-12)));
  r = newton<6>(a, b, c, dd, hn::Mul(xs, s.sk), hn::Not(clean));
  // p(x) = a (x - r)(x^2 - 2 u x + gamma): 2u = -B - r, gamma = -D/r, or C
  // for r = 0; where B + r cancels, Newton's method on q restores u.
  u = hn::Mul(hn::Neg(hn::Add(s.B, r)), hn::Set(d, 0.5));
  const M cancels = hn::Not(hn::Ge(hn::Abs(u), hn::Mul(hn::Set(d, 0x1p-16), hn::Add(hn::Abs(s.B), hn::Abs(r)))));
  if (!hn::AllFalse(d, cancels)) {
    const V q3 = hn::Mul(hn::Set(d, 8.0), hn::Mul(a, a));
    const V q2 = hn::Mul(hn::Set(d, 8.0), hn::Mul(a, b));
    const V q1 = hn::Mul(hn::Set(d, 2.0), hn::Add(hn::Mul(b, b), hn::Mul(a, c)));
    const V q0 = hn::Sub(hn::Mul(b, c), hn::Mul(a, dd));
    u = newton<4>(q3, q2, q1, q0, u, cancels);
  }
  const M nzr = hn::Ne(r, zero);
  const V gamma = hn::IfThenElse(nzr, hn::Div(hn::Neg(s.Dm), hn::IfThenElse(nzr, r, hn::Set(d, 1.0))), s.C);
  v = hn::Sqrt(hn::Max(hn::Sub(gamma, hn::Mul(u, u)), zero));
}

}  // namespace qubic::batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
