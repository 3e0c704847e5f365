// kernel: the batch path's vector passes over one block (block.hpp),
// compiled once per vector target and chosen at run time (dispatch.hpp).
//
//  1. classify: the first filter of the discriminant per lane; cubics whose
//     sign it certifies go to the queue of their kind, every other cubic
//     (a coefficient not finite, a3 = 0, the sign left open) to `rest`.
//  2. three: guesses, then the straight-line confirmation of
//     solve_cubic.cpp: three ascending, distinct, nonzero finite floats, p
//     changing sign strictly across each one's cell.
//  3. one: guesses, then p across the real root's cell, q across the real
//     part's, the resolvent across the imaginary part's.
// A lane that fails any test gets a NaN in x[0]; the driver hands it to the
// scalar engine.  The argument that a confirmed lane holds the correctly
// rounded parts is docs/batch.md section 3 (that of docs/exact.md
// section 4, lane by lane).
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/block.hpp"
#include "batch/dispatch.hpp"

#include "batch/targets.hpp"  // before any Highway header
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "batch/kernel.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target

#include <hwy/highway.h>

#include "batch/filters-inl.hpp"
#include "batch/guesses-inl.hpp"

HWY_BEFORE_NAMESPACE();
namespace qubic::batch::HWY_NAMESPACE {
namespace {

// Lanes [n, n rounded up to a vector) of q repeat entry 0, so that every
// vector a pass loads holds cubics of the queue's kind.
void pad_queue(queue& q, std::size_t lanes) {
  if (q.n == 0) return;
  for (std::size_t j = q.n; j % lanes != 0; ++j) {
    q.idx[j] = q.idx[0];
    q.a[j] = q.a[0];
    q.b[j] = q.b[0];
    q.c[j] = q.c[0];
    q.d[j] = q.d[0];
    q.dv[j] = q.dv[0];
    q.de[j] = q.de[0];
  }
}

// Appends cubic i of the block to q, and counts it only where `take`:
// every cubic is written to every queue, so the loop has no branch to
// mispredict.
void offer(queue& q, const block& blk, std::size_t i, bool take) {
  const std::size_t at = q.n;
  q.idx[at] = static_cast<double>(i);
  q.a[at] = blk.a[i];
  q.b[at] = blk.b[i];
  q.c[at] = blk.c[i];
  q.d[at] = blk.d[i];
  q.dv[at] = blk.dv[i];
  q.de[at] = blk.de[i];
  q.n += take ? 1 : 0;
}

void classify(block& blk) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  const V big = hn::Set(d, 0x1p128);
  const V zero = hn::Zero(d);
  for (std::size_t i = 0; i < blk.n; i += lanes) {
    const V a = hn::Load(d, blk.a + i), b = hn::Load(d, blk.b + i);
    const V c = hn::Load(d, blk.c + i), dd = hn::Load(d, blk.d + i);
    // Finite (NaN compares false) and a genuine cubic.
    const M finite = hn::And(hn::And(hn::Lt(hn::Abs(a), big), hn::Lt(hn::Abs(b), big)),
                             hn::And(hn::Lt(hn::Abs(c), big), hn::Lt(hn::Abs(dd), big)));
    const M ok = hn::And(finite, hn::Ne(a, zero));
    V dv, de;
    const sign s = disc_filter(a, b, c, dd, dv, de);
    const V kind = hn::Add(hn::IfThenElseZero(hn::And(ok, s.pos), hn::Set(d, 1.0)),
                           hn::IfThenElseZero(hn::And(ok, s.neg), hn::Set(d, 2.0)));
    hn::Store(kind, d, blk.kind + i);
    hn::Store(dv, d, blk.dv + i);
    hn::Store(de, d, blk.de + i);
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

// The coefficients of the queue's lanes j .. j + lanes - 1.
struct coefficients {
  V a, b, c, d;
};

coefficients load(const queue& q, std::size_t j) {
  const D d;
  return {hn::Load(d, q.a + j), hn::Load(d, q.b + j), hn::Load(d, q.c + j), hn::Load(d, q.d + j)};
}

// Stores the parts (floats held in doubles: some targets' conversions to
// float would saturate an infinity), x[0] NaN where ok is clear, and the
// roots' irregular bits.
void store(queue& q, std::size_t j, M ok, V x0, V x1, V x2, V irregular) {
  const D d;
  hn::Store(hn::IfThenElse(ok, x0, hn::Set(d, NAN)), d, q.x[0] + j);
  hn::Store(x1, d, q.x[1] + j);
  hn::Store(x2, d, q.x[2] + j);
  hn::Store(irregular, d, q.irregular + j);
}

// A part: its float, marked irregular where it is infinite, subnormal, or
// a nonzero value rounded to zero (part.hpp's irregular).
struct rounded {
  V f;
  M irregular;
};

// The part in cell k: its float, or in the cell of zero +0 where `exact`
// (the part is 0), else the zero of the part's sign (positive where
// `positive`), which is lost.
rounded part(const cell& k, M exact, M positive) {
  const D d;
  const V zero = hn::IfThenElse(hn::Or(exact, positive), hn::Zero(d), hn::Set(d, -0.0));
  const V af = hn::Abs(k.f);
  const M subnormal = hn::And(hn::Gt(af, hn::Zero(d)), hn::Lt(af, hn::Set(d, 0x1p-126)));
  const M lost = hn::AndNot(exact, k.zero);
  return {hn::IfThenElse(k.zero, zero, k.f), hn::Or(hn::Or(lost, subnormal), hn::Or(k.above, k.below))};
}

// bit where m is set, else 0.
V bit_if(M m, double bit) { return hn::IfThenElseZero(m, hn::Set(D(), bit)); }

// Strict sign change across the cell: lo * hi < 0.
M changes(const ends& e) { return hn::Or(hn::And(e.lo.neg, e.hi.pos), hn::And(e.lo.pos, e.hi.neg)); }

void three(queue& q) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  const V zero = hn::Zero(d);
  for (std::size_t j = 0; j < q.n; j += lanes) {
    const auto [a, b, c, dd] = load(q, j);
    V x[3];
    three_guesses(a, b, c, dd, x[0], x[1], x[2]);
    const cell k[3] = {cell_of(x[0]), cell_of(x[1]), cell_of(x[2])};
    // Three ascending cells (the cell of 0 and those of the infinities
    // included), disjoint, p changing sign strictly across each.
    M ok = hn::And(hn::And(k[0].valid, k[1].valid), k[2].valid);
    ok = hn::And(ok, hn::And(hn::Lt(k[0].f, k[1].f), hn::Lt(k[1].f, k[2].f)));
    ends e[3];
    for (int i = 0; i < 3; ++i) {
      e[i] = p_ends(a, b, c, dd, k[i]);
      ok = hn::And(ok, changes(e[i]));
    }
    // A root in the cell of 0 is 0 where p(0) = d is 0; else it is
    // positive where p at the lower end has the sign of p(0).
    const M dzero = hn::Eq(dd, zero);
    const M dpos = hn::Gt(dd, zero), dneg = hn::Lt(dd, zero);
    V irregular = zero;
    V y[3];
    for (int i = 0; i < 3; ++i) {
      const M positive = hn::Or(hn::And(dpos, e[i].lo.pos), hn::And(dneg, e[i].lo.neg));
      const rounded x = part(k[i], dzero, positive);
      y[i] = x.f;
      irregular = hn::Add(irregular, bit_if(x.irregular, static_cast<double>(1 << i)));
    }
    store(q, j, ok, y[0], y[1], y[2], irregular);
  }
}

void one(queue& q) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  const V zero = hn::Zero(d);
  for (std::size_t j = 0; j < q.n; j += lanes) {
    const auto [a, b, c, dd] = load(q, j);
    M bad = hn::FirstN(d, 0);
    V r, u, v;
    one_guesses(a, b, c, dd, r, u, v, bad);
    const cell kr = cell_of(r), ku = cell_of(u), kv = cell_of(v);
    M ok = hn::AndNot(bad, hn::And(hn::And(kr.valid, ku.valid), hn::And(kv.valid, hn::Ge(kv.f, zero))));
    // The real root: sign(a) p goes from - to + across its cell.
    const M apos = hn::Gt(a, zero);
    const ends er = p_ends(a, b, c, dd, kr);
    ok = hn::And(ok, msel(apos, hn::And(er.lo.neg, er.hi.pos), hn::And(er.lo.pos, er.hi.neg)));
    // The real part: q = 8a^2 x^3 + 8ab x^2 + 2(b^2 + ac) x + (bc - ad)
    // rises through it (two coefficients exact, two rounded once), from
    // -inf to +inf.
    const V q3 = hn::Mul(hn::Set(d, 8.0), hn::Mul(a, a));
    const V q2 = hn::Mul(hn::Set(d, 8.0), hn::Mul(a, b));
    const V q1 = hn::Mul(hn::Set(d, 2.0), hn::Add(hn::Mul(b, b), hn::Mul(a, c)));
    const V q0 = hn::Sub(hn::Mul(b, c), hn::Mul(a, dd));
    const V slack49 = hn::Set(d, 0x1p-49);
    const M q_lo = hn::Or(ku.below, horner3(q3, q2, q1, q0, ku.lo, slack49).neg);
    const M q_hi = hn::Or(ku.above, horner3(q3, q2, q1, q0, ku.hi, slack49).pos);
    // The imaginary part v > 0: the resolvent is positive for 0 <= m < v,
    // negative above, down to -inf; every m < 0 lies below v.
    const resolvent rt = resolvent_terms(a, b, c, bd{hn::Load(d, q.dv + j), hn::Load(d, q.de + j)});
    const M v_lo = hn::Or(kv.zero, resolvent_filter(rt, kv.lo).pos);
    const M v_hi = hn::Or(kv.above, resolvent_filter(rt, kv.hi).neg);
    ok = hn::And(ok, hn::And(hn::And(q_lo, q_hi), hn::And(v_lo, v_hi)));
    // Zeros: the real root has the sign of -p(0)/a = -d/a; q(0) = bc - ad,
    // a rounded difference of exact products, has the exact sign, and u is
    // positive where it is negative; v > 0.
    const M dpos = hn::Gt(dd, zero), dneg = hn::Lt(dd, zero);
    const rounded xr = part(kr, hn::Eq(dd, zero), msel(apos, dneg, dpos));
    const rounded xu = part(ku, hn::Eq(q0, zero), hn::Lt(q0, zero));
    const rounded xv = part(kv, hn::FirstN(d, 0), hn::Not(hn::FirstN(d, 0)));
    const M pair = hn::Or(xu.irregular, xv.irregular);
    const V irregular = hn::Add(bit_if(xr.irregular, 1.0), bit_if(pair, 6.0));
    store(q, j, ok, xr.f, xu.f, xv.f, irregular);
  }
}

void solve_block(block& blk) {
  classify(blk);
  three(blk.three);
  one(blk.one);
}

}  // namespace

// The entry of this target: in the namespace, not in an unnamed one, so
// that HWY_EXPORT can name it.
void run_target(block& blk) { solve_block(blk); }

}  // namespace qubic::batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "batch/choose.hpp"

namespace qubic::batch {
namespace {

using kernel = void (*)(block&);

// The compiled targets, widest first; the static target (the compiler's
// baseline) is always there and always runs.
constexpr variant<kernel> variants[] = {
#if (HWY_TARGETS & HWY_AVX3) && HWY_STATIC_TARGET != HWY_AVX3
    {HWY_AVX3, &N_AVX3::run_target},
#endif
#if (HWY_TARGETS & HWY_AVX2) && HWY_STATIC_TARGET != HWY_AVX2
    {HWY_AVX2, &N_AVX2::run_target},
#endif
#if (HWY_TARGETS & HWY_SSE4) && HWY_STATIC_TARGET != HWY_SSE4
    {HWY_SSE4, &N_SSE4::run_target},
#endif
    {HWY_STATIC_TARGET, &HWY_STATIC_DISPATCH(run_target)},
};

std::atomic<const variant<kernel>*> chosen{nullptr};

}  // namespace

void run(block& blk) {
  const variant<kernel>* v = chosen.load(std::memory_order_relaxed);
  if (v == nullptr) {
    v = pick(variants, 0);
    chosen.store(v, std::memory_order_relaxed);
  }
  v->run(blk);
}

std::vector<std::int64_t> targets() { return runnable(variants); }

const char* target_name(std::int64_t target) { return hwy::TargetName(target); }

void force_target(std::int64_t target) { chosen.store(pick(variants, target), std::memory_order_relaxed); }

}  // namespace qubic::batch
#endif
