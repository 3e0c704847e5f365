// kernel64: the double batch path's vector passes over one block
// (block64.hpp), compiled once per vector target and chosen at run time.
//
//  1. classify: cubics inside the window (every coefficient zero or of
//     magnitude in [2^-120, 2^120), a3 and a0 nonzero), after scaling by
//     powers of two where that brings them in, whose discriminant's sign
//     the filter certifies go to the queue of their kind; every other
//     cubic is left to the scalar engine.
//  2. three: the closed-form guesses of the float path (guesses-inl.hpp,
//     in double), one Newton step each in double-double, and per root a
//     strict sign change of p across the cell of the result; three
//     ascending distinct cells.
//  3. one: the real root as above; the pair from a disk around its upper
//     root after one complex Newton step (docs/exact64.md section 8).
//     The parts found are scaled back to the cubic's by 2^k.
// A lane that fails any test gets a NaN in x[0]; the driver hands it to the
// scalar engine.  docs/batch.md section 8 gives the argument and the
// bounds, lane by lane.
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch64/block64.hpp"

#include "batch/targets.hpp"  // before any Highway header
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "batch64/kernel64.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target

#include <hwy/highway.h>

#include "batch/filters-inl.hpp"
#include "batch/guesses-inl.hpp"
#include "batch64/confirm-inl.hpp"

HWY_BEFORE_NAMESPACE();
namespace qubic::batch::HWY_NAMESPACE {
namespace {

// Appends cubic i to q, counted only where `take`: every cubic is written
// to every queue, so the loop has no branch to mispredict.
void offer(batch64::queue& q, const batch64::block& blk, std::size_t i, bool take) {
  const std::size_t at = q.n;
  q.idx[at] = static_cast<double>(i);
  q.a[at] = blk.sa[i];
  q.b[at] = blk.sb[i];
  q.c[at] = blk.sc[i];
  q.d[at] = blk.sd[i];
  q.k[at] = blk.k[i];
  q.n += take ? 1 : 0;
}

// Lanes [n, n rounded up to a vector) of q repeat entry 0.
void pad_queue(batch64::queue& q, std::size_t lanes) {
  if (q.n == 0) return;
  for (std::size_t j = q.n; j % lanes != 0; ++j) {
    q.idx[j] = q.idx[0];
    q.a[j] = q.a[0];
    q.b[j] = q.b[0];
    q.c[j] = q.c[0];
    q.d[j] = q.d[0];
    q.k[j] = q.k[0];
  }
}

// The scaling into the window for a cubic outside it: k = round((e0 - e3) / 3)
// from the exponents e_j of a0 and a3 (the roots' geometric mean near 1),
// then m centring the scaled exponents e_j + j k (nonzero coefficients) on
// 2^0.  Only a choice: the window is tested on the scaled coefficients,
// which are exact when they pass (scale2).  Lanes whose shifts exceed 2044
// (or |k| 1000, for the parts' way back) are left out.
struct scaling {
  V k, n3, n2, n1, n0;
  M ok;
};

HWY_INLINE scaling window_scaling(V a, V b, V c, V dd, M in) {
  const D d;
  const V zero = hn::Zero(d);
  const V ea = exponent_of(a), ed = exponent_of(dd);
  const V k = hn::Round(hn::Mul(hn::Sub(ed, ea), hn::Set(d, 1.0 / 3.0)));
  const V s3 = hn::Add(ea, hn::Mul(hn::Set(d, 3.0), k));
  const V s2 = hn::IfThenElse(hn::Eq(b, zero), s3, hn::Add(exponent_of(b), hn::Add(k, k)));
  const V s1 = hn::IfThenElse(hn::Eq(c, zero), s3, hn::Add(exponent_of(c), k));
  const V hi = hn::Max(hn::Max(s3, s2), hn::Max(s1, ed)), lo = hn::Min(hn::Min(s3, s2), hn::Min(s1, ed));
  const V m = hn::Neg(hn::Floor(hn::Mul(hn::Add(hi, lo), hn::Set(d, 0.5))));
  scaling sc;
  sc.k = hn::IfThenZeroElse(in, k);
  const V mm = hn::IfThenZeroElse(in, m);
  sc.n0 = mm;
  sc.n1 = hn::Add(sc.k, mm);
  sc.n2 = hn::Add(hn::Add(sc.k, sc.k), mm);
  sc.n3 = hn::Add(hn::Mul(hn::Set(d, 3.0), sc.k), mm);
  const V lim = hn::Set(d, 2044.0);
  sc.ok = hn::And(hn::And(hn::Le(hn::Abs(sc.n3), lim), hn::Le(hn::Abs(sc.n2), lim)),
                  hn::And(hn::Le(hn::Abs(sc.n1), lim), hn::Le(hn::Abs(sc.n0), lim)));
  sc.ok = hn::And(sc.ok, hn::Le(hn::Abs(sc.k), hn::Set(d, 1000.0)));
  // Out-of-range shifts are clamped so that pow2 stays in its domain; those lanes are not ok.
  const V lo_lim = hn::Neg(lim);
  sc.n0 = hn::Min(hn::Max(sc.n0, lo_lim), lim);
  sc.n1 = hn::Min(hn::Max(sc.n1, lo_lim), lim);
  sc.n2 = hn::Min(hn::Max(sc.n2, lo_lim), lim);
  sc.n3 = hn::Min(hn::Max(sc.n3, lo_lim), lim);
  sc.k = hn::Min(hn::Max(sc.k, hn::Set(d, -1000.0)), hn::Set(d, 1000.0));
  return sc;
}

// The cubic's part from the scaled cubic's: X 2^k, which must be a normal
// double (then it is exact, scale2, and the scaled cell maps onto its cell).
HWY_INLINE V unscale(V X, V k, M& ok) {
  const D d;
  if (hn::AllTrue(d, hn::Eq(k, hn::Zero(d)))) return X;  // k = 0: X itself
  const V x = scale2(X, k);
  const V ax = hn::Abs(x);
  ok = hn::And(ok, hn::And(hn::Ge(ax, hn::Set(d, 0x1p-1022)), hn::Lt(ax, hn::Set(d, HUGE_VAL))));
  return x;
}

void classify(batch64::block& blk) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  const V zero = hn::Zero(d);
  for (std::size_t i = 0; i < blk.n; i += lanes) {
    const V a0 = hn::Load(d, blk.a + i), b0 = hn::Load(d, blk.b + i);
    const V c0 = hn::Load(d, blk.c + i), d0 = hn::Load(d, blk.d + i);
    const M in = hn::And(hn::And(windowed(a0), windowed(b0)), hn::And(windowed(c0), windowed(d0)));
    V a = a0, b = b0, c = c0, dd = d0, k = zero;
    M ok = in;
    if (!hn::AllTrue(d, in)) {  // the scaling costs a seventh of a lane's work: only where a lane needs it
      const scaling sc = window_scaling(a0, b0, c0, d0, in);
      a = scale2(a0, sc.n3);
      b = scale2(b0, sc.n2);
      c = scale2(c0, sc.n1);
      dd = scale2(d0, sc.n0);
      k = sc.k;
      ok = hn::And(sc.ok, hn::And(hn::And(windowed(a), windowed(b)), hn::And(windowed(c), windowed(dd))));
    }
    ok = hn::And(ok, hn::And(hn::Ne(a, zero), hn::Ne(dd, zero)));
    const sign s = disc64(a, b, c, dd);
    const V kind = hn::Add(hn::IfThenElseZero(hn::And(ok, s.pos), hn::Set(d, 1.0)),
                           hn::IfThenElseZero(hn::And(ok, s.neg), hn::Set(d, 2.0)));
    hn::Store(kind, d, blk.kind + i);
    hn::Store(a, d, blk.sa + i);
    hn::Store(b, d, blk.sb + i);
    hn::Store(c, d, blk.sc + i);
    hn::Store(dd, d, blk.sd + i);
    hn::Store(k, d, blk.k + i);
  }
  blk.three.n = blk.one.n = blk.nrest = 0;
  for (std::size_t i = 0; i < blk.n; ++i) {
    const double k = blk.kind[i];
    offer(blk.three, blk, i, k == 1.0);
    offer(blk.one, blk, i, k == 2.0);
    blk.rest[blk.nrest] = static_cast<double>(i);
    blk.nrest += k == 0.0 ? 1 : 0;
  }
  pad_queue(blk.three, lanes);
  pad_queue(blk.one, lanes);
}

void store(batch64::queue& q, std::size_t j, M ok, V x0, V x1, V x2) {
  const D d;
  hn::Store(hn::IfThenElse(ok, x0, hn::Set(d, NAN)), d, q.x[0] + j);
  hn::Store(x1, d, q.x[1] + j);
  hn::Store(x2, d, q.x[2] + j);
}

// Three real roots: three cells, each with a strict sign change of p, so
// each holding an odd number of roots; strictly ascending, so disjoint, and
// with three roots in all, one in each.
void three(batch64::queue& q) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  for (std::size_t j = 0; j < q.n; j += lanes) {
    const V a = hn::Load(d, q.a + j), b = hn::Load(d, q.b + j);
    const V c = hn::Load(d, q.c + j), dd = hn::Load(d, q.d + j);
    V g[3];
    three_guesses(a, b, c, dd, g[0], g[1], g[2]);
    M ok[3];
    V x[3];
    for (int i = 0; i < 3; ++i) x[i] = real_root(a, b, c, dd, g[i], ok[i]);
    M all = hn::And(hn::And(ok[0], ok[1]), hn::And(ok[2], hn::And(hn::Lt(x[0], x[1]), hn::Lt(x[1], x[2]))));
    const V k = hn::Load(d, q.k + j);
    for (int i = 0; i < 3; ++i) x[i] = unscale(x[i], k, all);
    store(q, j, all, x[0], x[1], x[2]);
  }
}

// One real root (a sign change of p across a cell holds it: it is the only
// one) and the pair.
void one(batch64::queue& q) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  for (std::size_t j = 0; j < q.n; j += lanes) {
    const V a = hn::Load(d, q.a + j), b = hn::Load(d, q.b + j);
    const V c = hn::Load(d, q.c + j), dd = hn::Load(d, q.d + j);
    M bad = hn::FirstN(d, 0);  // guesses only: what is written rests on the tests below
    V r, u, v;
    one_guesses(a, b, c, dd, r, u, v, bad);
    M okr, okp;
    const V x = real_root(a, b, c, dd, r, okr);
    V X, Y;
    pair(a, b, c, dd, u, v, X, Y, okp);
    M ok = hn::And(okr, okp);
    const V k = hn::Load(d, q.k + j);
    const V x1 = unscale(x, k, ok), X1 = unscale(X, k, ok), Y1 = unscale(Y, k, ok);
    store(q, j, ok, x1, X1, Y1);
  }
}

}  // namespace

// The entry of this target: in the namespace, not in an unnamed one, so
// that HWY_EXPORT-style tables can name it.
void run_target64(batch64::block& blk) {
  classify(blk);
  three(blk.three);
  one(blk.one);
}

}  // namespace qubic::batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "batch/choose.hpp"

namespace qubic::batch64 {
namespace {

using kernel = void (*)(block&);

// The compiled targets, widest first; the static target last.
constexpr batch::variant<kernel> variants[] = {
#if (HWY_TARGETS & HWY_AVX3) && HWY_STATIC_TARGET != HWY_AVX3
    {HWY_AVX3, &batch::N_AVX3::run_target64},
#endif
#if (HWY_TARGETS & HWY_AVX2) && HWY_STATIC_TARGET != HWY_AVX2
    {HWY_AVX2, &batch::N_AVX2::run_target64},
#endif
#if (HWY_TARGETS & HWY_SSE4) && HWY_STATIC_TARGET != HWY_SSE4
    {HWY_SSE4, &batch::N_SSE4::run_target64},
#endif
    {HWY_STATIC_TARGET, &batch::HWY_STATIC_DISPATCH(run_target64)},
};

std::atomic<const batch::variant<kernel>*> chosen{nullptr};

}  // namespace

void run(block& blk) {
  const batch::variant<kernel>* v = chosen.load(std::memory_order_relaxed);
  if (v == nullptr) {
    v = batch::pick(variants, 0);
    chosen.store(v, std::memory_order_relaxed);
  }
  v->run(blk);
}

std::vector<std::int64_t> targets() { return batch::runnable(variants); }

void force_target(std::int64_t target) { chosen.store(batch::pick(variants, target), std::memory_order_relaxed); }

}  // namespace qubic::batch64
#endif
