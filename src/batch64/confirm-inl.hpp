// confirm-inl: the double batch path's certified tests with one cubic per
// lane (docs/batch.md section 8): the discriminant's filter, a real root's
// cell from one expansion of p, and the pair's parts from one enclosure.
// Included once per vector target by kernel64.cpp (Highway's
// foreach_target), hence the toggled guard, and by the lane tests for the
// baseline target.
//
// Every operation is one IEEE 754 double operation rounded to nearest (no
// fused multiply-add except in two_prod, where the fused result is exact
// and equals the one of the Dekker product used elsewhere); -ffp-contract=off
// keeps the compiler from fusing the others.  A sign or a part is reported
// only beyond its bound; NaN and infinity compare false and confirm nothing.
//
// Worked example (Batch64Lanes.WorkedExamples): p = x^3 - 6x^2 + 11x - 6
// (p'(2) = -1) from the guess 2 + 2^-40 refines to 2, confirmed by p > 0
// at the midpoint 2 - 2^-53 and p < 0 at 2 + 2^-52.
#if defined(QUBIC_BATCH64_CONFIRM_INL_HPP_) == defined(HWY_TARGET_TOGGLE)
#ifdef QUBIC_BATCH64_CONFIRM_INL_HPP_
#undef QUBIC_BATCH64_CONFIRM_INL_HPP_
#else
#define QUBIC_BATCH64_CONFIRM_INL_HPP_
#endif

#include <hwy/highway.h>

#include "batch/filters-inl.hpp"
#include "batch/guesses-inl.hpp"

HWY_BEFORE_NAMESPACE();
namespace qubic::batch::HWY_NAMESPACE {

// The bounds below take every value a lane computes to stay far inside the
// double range: coefficients below 2^120 in magnitude and points below
// 2^253 keep every product of degree six below 2^900.  An operation whose
// result underflows errs by at most 2^-1075 beyond the relative model; at
// most 64 of them, each scaled by at most max(1, |x|)^3 <= 2^759 on its way
// to a value, stay below `underflow` = 2^-300, which every bound adds.  (A
// cubic in the window with a0 != 0 has sum |a_k| |x|^k >= 2^-120, so the
// term decides nothing in practice.)
inline constexpr double underflow = 0x1p-300;
inline constexpr double top_point = 0x1p250;    // the largest binade of a confirmed part: [2^250, 2^251)
inline constexpr double low_point = 0x1p-900;   // the smallest: half gaps stay normal

// Error-free transformations: a + b = s + e and a b = p + e exactly when
// nothing overflows or underflows.  The product's error by a fused
// multiply-subtract where the target has one, else by Veltkamp's splitting
// and Dekker's product (exact as well: each half has at most 26 bits).
// Both give the same e unless e underflows; then each errs by at most
// 2^-1075, which the underflow term covers, so the targets may differ in a
// bound but never in a part they confirm.
HWY_INLINE void two_sum(V a, V b, V& s, V& e) {
  s = hn::Add(a, b);
  const V bb = hn::Sub(s, a);
  e = hn::Add(hn::Sub(a, hn::Sub(s, bb)), hn::Sub(b, bb));
}

HWY_INLINE void two_prod(V a, V b, V& p, V& e) {
  p = hn::Mul(a, b);
#if HWY_NATIVE_FMA
  e = hn::MulSub(a, b, p);
#else
  const D d;
  const V k = hn::Set(d, 134217729.0);  // 2^27 + 1
  const V ta = hn::Mul(k, a), tb = hn::Mul(k, b);
  const V ah = hn::Sub(ta, hn::Sub(ta, a)), al = hn::Sub(a, ah);
  const V bh = hn::Sub(tb, hn::Sub(tb, b)), bl = hn::Sub(b, bh);
  e = hn::Add(hn::Add(hn::Add(hn::Sub(hn::Mul(ah, bh), p), hn::Mul(ah, bl)), hn::Mul(al, bh)), hn::Mul(al, bl));
#endif
}

// +-2^k for x in +-[2^k, 2^(k+1)) (x normal): its sign and exponent bits.
HWY_INLINE V binade(V x) {
  const D d;
  const hn::RebindToUnsigned<D> du;
  return hn::BitCast(d, hn::And(hn::BitCast(du, x), hn::Set(du, 0xFFF0000000000000ull)));
}

// A point in the window: |x| of exponent -900 .. 250.
HWY_INLINE M in_range(V pk) {
  const D d;
  return hn::And(hn::Ge(pk, hn::Set(d, low_point)), hn::Le(pk, hn::Set(d, top_point)));
}

// The smaller half gap beside a normal x with |x| in [2^k, 2^(k+1)), pk = 2^k:
// 2^(k-53), or 2^(k-54) when |x| = 2^k (the gap toward zero is half).
HWY_INLINE V smaller_half_gap(V x, V pk) {
  const D d;
  return hn::Mul(pk, hn::IfThenElse(hn::Eq(hn::Abs(x), pk), hn::Set(d, 0x1p-54), hn::Set(d, 0x1p-53)));
}

// The expansion of p at a double x (docs/exact64.md section 4, "Expansion
// at Y", with exact coefficients): compensated Horner, p(x) = s0 + the
// exact correction, which c approximates; p'(x) and p''(x)/2 in double; and
// A = sum |a_k| |x|^k.
struct expansion {
  V s0, c, d1, d2, A;
};

HWY_INLINE expansion expand(V a, V b, V c, V dd, V x) {
  const D d;
  expansion e;
  V P, pi, s, sg;
  two_prod(a, x, P, pi);
  two_sum(P, b, s, sg);
  const V w2 = hn::Add(pi, sg);
  two_prod(s, x, P, pi);
  two_sum(P, c, s, sg);
  const V w1 = hn::Add(pi, sg);
  two_prod(s, x, P, pi);
  two_sum(P, dd, e.s0, sg);
  const V w0 = hn::Add(pi, sg);
  e.c = hn::Add(hn::Mul(hn::Add(hn::Mul(w2, x), w1), x), w0);
  const V a3 = hn::Mul(hn::Set(d, 3.0), a);
  e.d2 = hn::Add(hn::Mul(a3, x), b);
  e.d1 = hn::Add(hn::Mul(hn::Add(hn::Mul(a3, x), hn::Add(b, b)), x), c);
  const V ax = hn::Abs(x);
  e.A = hn::Add(hn::Mul(hn::Add(hn::Mul(hn::Add(hn::Mul(hn::Abs(a), ax), hn::Abs(b)), ax), hn::Abs(c)), ax), hn::Abs(dd));
  return e;
}

// The certified sign of p(x + lam), lam exact with |lam| <= 2^-30 |x|:
// V = s0 + (c + lam (d1 + lam (d2 + lam a))), which is within
// (2^-96 + 2^-47 rho) A of p(x + lam), rho = |lam| / |x|
// (docs/exact64.md section 4, "Bound at Y + lam", with no coefficient
// tails; the terms it leaves out are of order u rho^2 A <= 2^-109 A), plus
// the underflow floor; widened by 1 + 2^-46 for the bound's own four
// roundings.  inv_pk = 2^-k <= 1 / |x| (exact).
HWY_INLINE sign sign_at(V a, const expansion& e, V lam, V inv_pk) {
  const D d;
  const V t = hn::Mul(lam, hn::Add(e.d1, hn::Mul(lam, hn::Add(e.d2, hn::Mul(lam, a)))));
  const V v = hn::Add(e.s0, hn::Add(e.c, t));
  const V rho = hn::Mul(hn::Abs(lam), inv_pk);
  const V rel = hn::Add(hn::Set(d, 0x1p-96), hn::Mul(hn::Set(d, 0x1p-47), rho));
  const V bound = hn::Mul(hn::Add(hn::Mul(e.A, rel), hn::Set(d, underflow)), hn::Set(d, 1.0 + 0x1p-46));
  return sign_of(v, bound);
}

// From a guess x of a real root: X = x - p(x) / p'(x) with p(x) from the
// expansion (about twice double precision), and ok where p changes sign
// strictly across X's cell, so that the cell holds a root (an odd number).
// The signs at X's midpoints come from the expansion at x: X must lie in
// x's binade [2^k, 2^(k+1)) (same sign) within 2^(k-31) of x, so X - x is
// exact (a multiple of 2^(k-52)), and the offsets X - x -+ half gap
// (2^(k-53), or 2^(k-54) toward zero from |X| = 2^k) are exact multiples of
// 2^(k-54) below 2^(k-30): rho <= 2^-30.  A NaN or infinite x fails.
HWY_INLINE V refine_real(V a, V b, V c, V dd, V x, M& ok) {
  const D d;
  const expansion e = expand(a, b, c, dd, x);
  const V X = hn::Sub(x, hn::Div(hn::Add(e.s0, e.c), e.d1));
  const V sk = binade(x);
  const V pk = hn::Abs(sk);
  const V diff = hn::Sub(X, x);
  M good = hn::And(hn::Eq(sk, binade(X)), in_range(pk));
  good = hn::And(good, hn::Le(hn::Abs(diff), hn::Mul(pk, hn::Set(d, 0x1p-31))));
  const V half = hn::Mul(pk, hn::Set(d, 0x1p-53));
  const V toward0 = hn::IfThenElse(hn::Eq(hn::Abs(X), pk), hn::Mul(pk, hn::Set(d, 0x1p-54)), half);
  const M pos = hn::Gt(X, hn::Zero(d));
  const V lo = hn::Sub(diff, hn::IfThenElse(pos, toward0, half));
  const V hi = hn::Add(diff, hn::IfThenElse(pos, half, toward0));
  const V inv = hn::Div(hn::Set(d, 1.0), pk);
  const sign sl = sign_at(a, e, lo, inv), sh = sign_at(a, e, hi, inv);
  ok = hn::And(good, hn::Or(hn::And(sl.neg, sh.pos), hn::And(sl.pos, sh.neg)));
  return X;
}

// refine_real, and once more from its result where the first did not
// confirm (a guess too far for the first expansion).
HWY_INLINE V real_root(V a, V b, V c, V dd, V x, M& ok) {
  const D d;
  const V X = refine_real(a, b, c, dd, x, ok);
  if (hn::AllTrue(d, ok)) return X;
  M ok2;
  const V X2 = refine_real(a, b, c, dd, X, ok2);
  const V out = hn::IfThenElse(ok, X, X2);
  ok = hn::Or(ok, ok2);
  return out;
}

// One step of Horner's scheme in complex arithmetic, error-free:
// (xr + i xi) W + h = (sr + i si) + (er + i ei) exactly, W = U + iV, with
// eb the sum of the magnitudes of the seven error terms.
HWY_INLINE void complex_step(V xr, V xi, V U, V Vi, V h, V& sr, V& si, V& er, V& ei, V& eb) {
  V q1, f1, q2, f2, q3, f3, q4, f4, r, f5, f6, f7;
  two_prod(xr, U, q1, f1);
  two_prod(xi, Vi, q2, f2);
  two_sum(q1, hn::Neg(q2), r, f5);
  two_sum(r, h, sr, f6);
  two_prod(xr, Vi, q3, f3);
  two_prod(xi, U, q4, f4);
  two_sum(q3, q4, si, f7);
  er = hn::Add(hn::Add(hn::Sub(f1, f2), f5), f6);
  ei = hn::Add(hn::Add(f3, f4), f7);
  eb = hn::Add(hn::Add(hn::Add(hn::Abs(f1), hn::Abs(f2)), hn::Add(hn::Abs(f5), hn::Abs(f6))),
               hn::Add(hn::Add(hn::Abs(f3), hn::Abs(f4)), hn::Abs(f7)));
}

// (xr + i xi)(U + iV) in double.
HWY_INLINE void cmul(V xr, V xi, V U, V Vi, V& r, V& i) {
  r = hn::Sub(hn::Mul(xr, U), hn::Mul(xi, Vi));
  i = hn::Add(hn::Mul(xr, Vi), hn::Mul(xi, U));
}

// The pair's enclosure (docs/exact64.md section 8, steps 2 to 6, in the
// cubic's own scale): from a guess W0 = U + iV of the upper root, F(W0) by
// the compensated complex Horner scheme within xi, F'(W0) in double within
// zeta, the Newton step W1 = W0 + delta = (X + t) + i(Y + t') exactly, and
// a disk of radius rho >= 3 |F(W1)| / |F'(W1)| around W1, which holds a
// root.  ok where Im W1 > rho (the root is the upper one: the discriminant
// is negative) and where X and Y are normal doubles whose cells hold every
// point within rho of Re W1 and Im W1: then u rounds to X and v to Y.
HWY_INLINE void enclose(V a, V b, V c, V dd, V U, V Vi, V& X, V& Y, M& ok) {
  const D d;
  const V w = hn::Add(hn::Abs(U), hn::Abs(Vi));
  // S2 = a W0 + b, then S1, S0.
  V p1, e1, p3, e3, s2r, e6;
  two_prod(a, U, p1, e1);
  two_prod(a, Vi, p3, e3);
  two_sum(p1, b, s2r, e6);
  const V s2i = p3;
  const V E2r = hn::Add(e1, e6), E2i = e3;
  const V eb2 = hn::Add(hn::Add(hn::Abs(e1), hn::Abs(e6)), hn::Abs(e3));
  V s1r, s1i, E1r, E1i, eb1, s0r, s0i, E0r, E0i, eb0;
  complex_step(s2r, s2i, U, Vi, c, s1r, s1i, E1r, E1i, eb1);
  complex_step(s1r, s1i, U, Vi, dd, s0r, s0i, E0r, E0i, eb0);
  // F(W0) = S0 + E2 W0^2 + E1 W0 + E0; the correction in double.
  V Cr, Ci;
  cmul(E2r, E2i, U, Vi, Cr, Ci);
  cmul(hn::Add(Cr, E1r), hn::Add(Ci, E1i), U, Vi, Cr, Ci);
  const V Fr = hn::Add(s0r, hn::Add(Cr, E0r)), Fi = hn::Add(s0i, hn::Add(Ci, E0i));
  const V eb = hn::Add(hn::Mul(hn::Add(hn::Mul(eb2, w), eb1), w), eb0);
  const V F1 = hn::Add(hn::Abs(Fr), hn::Abs(Fi));
  const V u = hn::Set(d, 0x1p-53);
  const V xi = hn::Add(hn::Mul(hn::Set(d, 0x1p-49), eb), hn::Mul(u, F1));
  // F'(W0) = (3a W0 + 2b) W0 + c, within zeta = 2^-50 A1; |F''(W0)/2| <= M2.
  const V a3 = hn::Mul(hn::Set(d, 3.0), a);
  V Dr, Di;
  cmul(hn::Add(hn::Mul(a3, U), hn::Add(b, b)), hn::Mul(a3, Vi), U, Vi, Dr, Di);
  Dr = hn::Add(Dr, c);
  const V aa = hn::Abs(a), a3a = hn::Abs(a3);
  const V A1 = hn::Add(hn::Mul(hn::Add(hn::Mul(a3a, w), hn::Add(hn::Abs(b), hn::Abs(b))), w), hn::Abs(c));
  const V zeta = hn::Mul(hn::Set(d, 0x1p-50), A1);
  const V M2 = hn::Add(hn::Mul(a3a, w), hn::Abs(b));
  // delta = -F / F' in double (any rounding: delta is only a pair of
  // doubles), scaled by the larger part of F' against overflow.
  const V s = hn::Max(hn::Abs(Dr), hn::Abs(Di));
  const V dr = hn::Div(Dr, s), di = hn::Div(Di, s);
  const V den = hn::Mul(hn::Add(hn::Mul(dr, dr), hn::Mul(di, di)), s);
  const V delr = hn::Neg(hn::Div(hn::Add(hn::Mul(Fr, dr), hn::Mul(Fi, di)), den));
  const V deli = hn::Neg(hn::Div(hn::Sub(hn::Mul(Fi, dr), hn::Mul(Fr, di)), den));
  V t, t2;
  two_sum(U, delr, X, t);
  two_sum(Vi, deli, Y, t2);
  // |F(W1)| <= |F + delta D|_1 + 4u (|F|_1 + |delta|_1 |D|_1) + xi
  //            + |delta|_1 zeta + |delta|_1^2 M2 + |delta|_1^3 |a|,
  // |F'(W1)| >= max(|D.re|, |D.im|) - zeta - 2 |delta|_1 M2 - 3 |delta|_1^2 |a|;
  // each sum of positive terms widened by 1 + 2^-44 for its own roundings.
  const V nd = hn::Add(hn::Abs(delr), hn::Abs(deli));
  V FDr, FDi;
  cmul(delr, deli, Dr, Di, FDr, FDi);
  FDr = hn::Add(Fr, FDr);
  FDi = hn::Add(Fi, FDi);
  const V D1 = hn::Add(hn::Abs(Dr), hn::Abs(Di));
  const V wid = hn::Set(d, 1.0 + 0x1p-44);
  const V floor = hn::Set(d, underflow);
  const V nd2 = hn::Mul(nd, nd);
  V Fup = hn::Add(hn::Add(hn::Abs(FDr), hn::Abs(FDi)), hn::Mul(hn::Mul(hn::Set(d, 4.0), u), hn::Add(F1, hn::Mul(nd, D1))));
  Fup = hn::Add(Fup, hn::Add(xi, hn::Mul(nd, zeta)));
  Fup = hn::Add(Fup, hn::Add(hn::Mul(nd2, M2), hn::Mul(hn::Mul(nd2, nd), aa)));
  Fup = hn::Mul(hn::Add(Fup, floor), wid);
  const V loss = hn::Add(hn::Add(zeta, hn::Mul(hn::Mul(hn::Set(d, 2.0), nd), M2)),
                         hn::Add(hn::Mul(hn::Mul(hn::Set(d, 3.0), nd2), aa), floor));
  const V L = hn::Mul(hn::Sub(s, hn::Mul(loss, wid)), hn::Set(d, 1.0 - 0x1p-44));
  const V rho = hn::Mul(hn::Div(hn::Mul(hn::Set(d, 3.0), Fup), L), wid);
  // The cells: every point within |t| + rho of X inside X's cell, whose
  // half gaps are 2^(k-53) for |X| in [2^k, 2^(k+1)), but 2^(k-54) toward
  // zero from |X| = 2^k.
  const V slack = hn::Set(d, 1.0 + 0x1p-50);
  const V rx = hn::Mul(hn::Add(hn::Abs(t), rho), slack);
  const V ry = hn::Mul(hn::Add(hn::Abs(t2), rho), slack);
  const V px = hn::Abs(binade(X)), py = binade(Y);
  M good = hn::And(hn::Gt(L, hn::Zero(d)), hn::Le(w, hn::Set(d, 0x1p252)));
  good = hn::And(good, hn::And(in_range(px), in_range(py)));
  good = hn::And(good, hn::And(hn::Lt(rx, smaller_half_gap(X, px)), hn::Lt(ry, smaller_half_gap(Y, py))));
  ok = hn::And(good, hn::Gt(Y, ry));
}

// enclose, and once more from its centre where the first did not decide.
HWY_INLINE void pair(V a, V b, V c, V dd, V U, V Vi, V& X, V& Y, M& ok) {
  const D d;
  enclose(a, b, c, dd, U, Vi, X, Y, ok);
  if (hn::AllTrue(d, ok)) return;
  V X2, Y2;
  M ok2;
  enclose(a, b, c, dd, X, Y, X2, Y2, ok2);
  X = hn::IfThenElse(ok, X, X2);
  Y = hn::IfThenElse(ok, Y, Y2);
  ok = hn::Or(ok, ok2);
}

// The discriminant 18abcd - 4b^3 d + b^2 c^2 - 4ac^3 - 27a^2 d^2 of double
// coefficients: each term a product with at most four roundings (relative
// error gamma_4), the five summed left to right (four more), so the error
// is below gamma_4 S + gamma_4 (1 + gamma_4) S < 2^-49.9 S for S the sum of
// the computed terms' magnitudes; the sign is certified beyond 2^-49 S.  In
// the window no product overflows, and a nonzero one is at least 2^-480.
HWY_INLINE sign disc64(V a, V b, V c, V dd) {
  const D d;
  const V ad = hn::Mul(a, dd), bc = hn::Mul(b, c);
  const V t1 = hn::Mul(hn::Mul(hn::Mul(hn::Set(d, 18.0), a), b), hn::Mul(c, dd));
  const V t2 = hn::Mul(hn::Set(d, -4.0), hn::Mul(hn::Mul(b, b), hn::Mul(b, dd)));
  const V t3 = hn::Mul(bc, bc);
  const V t4 = hn::Mul(hn::Set(d, -4.0), hn::Mul(hn::Mul(a, c), hn::Mul(c, c)));
  const V t5 = hn::Neg(hn::Mul(hn::Mul(hn::Set(d, 27.0), ad), ad));
  const V v = hn::Add(hn::Add(hn::Add(hn::Add(t1, t2), t3), t4), t5);
  const V s = hn::Add(hn::Add(hn::Add(hn::Add(hn::Abs(t1), hn::Abs(t2)), hn::Abs(t3)), hn::Abs(t4)), hn::Abs(t5));
  return sign_of(v, hn::Mul(s, hn::Set(d, 0x1p-49)));
}

// x 2^n for an integer-valued n with |n| <= 2044, in two steps of at most
// 1022 of the same sign, by multiplications with 2^n1 and 2^(n - n1)
// (guesses-inl.hpp's pow2): exact whenever the result is a normal double,
// since every intermediate value then lies between x and the result (a
// subnormal x scaled up is exact too).  The callers check the result.
HWY_INLINE V scale2(V x, V n) {
  const D d;
  const V n1 = hn::Trunc(hn::Mul(n, hn::Set(d, 0.5)));
  return hn::Mul(hn::Mul(x, pow2(n1)), pow2(hn::Sub(n, n1)));
}

// Zero, or a magnitude in [2^-120, 2^120) (NaN and infinity fail).
HWY_INLINE M windowed(V x) {
  const D d;
  const V ax = hn::Abs(x);
  return hn::Or(hn::Eq(x, hn::Zero(d)), hn::And(hn::Ge(ax, hn::Set(d, 0x1p-120)), hn::Lt(ax, hn::Set(d, 0x1p120))));
}

}  // namespace qubic::batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // toggled guard
