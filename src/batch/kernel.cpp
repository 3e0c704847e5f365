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
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/block.hpp"
#include "batch/dispatch.hpp"

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

void push(queue& q, M m, V idx, V a, V b, V c, V dd, V dv, V de) {
  const D d;
  const std::size_t at = q.n;
  hn::CompressStore(idx, m, d, q.idx + at);
  hn::CompressStore(a, m, d, q.a + at);
  hn::CompressStore(b, m, d, q.b + at);
  hn::CompressStore(c, m, d, q.c + at);
  hn::CompressStore(dd, m, d, q.d + at);
  hn::CompressStore(dv, m, d, q.dv + at);
  q.n += hn::CompressStore(de, m, d, q.de + at);
}

void classify(block& blk) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  blk.three.n = blk.one.n = blk.nrest = 0;
  const V n = hn::Set(d, static_cast<double>(blk.n));
  const V big = hn::Set(d, 0x1p128);
  for (std::size_t i = 0; i < blk.n; i += lanes) {
    const V a = hn::Load(d, blk.a + i), b = hn::Load(d, blk.b + i);
    const V c = hn::Load(d, blk.c + i), dd = hn::Load(d, blk.d + i);
    const V idx = hn::Iota(d, static_cast<double>(i));
    const M valid = hn::Lt(idx, n);
    // Finite (NaN compares false) and a genuine cubic.
    const M finite = hn::And(hn::And(hn::Lt(hn::Abs(a), big), hn::Lt(hn::Abs(b), big)),
                             hn::And(hn::Lt(hn::Abs(c), big), hn::Lt(hn::Abs(dd), big)));
    const M ok = hn::And(hn::And(valid, finite), hn::Ne(a, hn::Zero(d)));
    V dv, de;
    const sign s = disc_filter(a, b, c, dd, dv, de);
    const M three = hn::And(ok, s.pos);
    const M one = hn::And(ok, s.neg);
    push(blk.three, three, idx, a, b, c, dd, dv, de);
    push(blk.one, one, idx, a, b, c, dd, dv, de);
    blk.nrest += hn::CompressStore(idx, hn::AndNot(hn::Or(three, one), valid), d, blk.rest + blk.nrest);
  }
  pad_queue(blk.three, lanes);
  pad_queue(blk.one, lanes);
}

// Stores the parts as floats; x[0] NaN where ok is clear.
void store(queue& q, std::size_t j, M ok, V x0, V x1, V x2) {
  const D d;
  const hn::Rebind<float, D> df;
  hn::Store(hn::DemoteTo(df, hn::IfThenElse(ok, x0, hn::Set(d, NAN))), df, q.x[0] + j);
  hn::Store(hn::DemoteTo(df, x1), df, q.x[1] + j);
  hn::Store(hn::DemoteTo(df, x2), df, q.x[2] + j);
}

// Strict sign change of p across the cell: lo * hi < 0.
M changes(const sign& lo, const sign& hi) { return hn::Or(hn::And(lo.neg, hi.pos), hn::And(lo.pos, hi.neg)); }

void three(queue& q) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  const V slack = hn::Set(d, 0x1p-50);
  for (std::size_t j = 0; j < q.n; j += lanes) {
    const V a = hn::Load(d, q.a + j), b = hn::Load(d, q.b + j);
    const V c = hn::Load(d, q.c + j), dd = hn::Load(d, q.d + j);
    V x[3];
    three_guesses(a, b, c, dd, x[0], x[1], x[2]);
    cell k[3] = {cell_of(x[0]), cell_of(x[1]), cell_of(x[2])};
    // Distinct ascending floats, none zero or infinite: three disjoint cells.
    M ok = hn::And(hn::And(k[0].inner, k[1].inner), k[2].inner);
    ok = hn::And(ok, hn::And(hn::Lt(k[0].f, k[1].f), hn::Lt(k[1].f, k[2].f)));
    for (int i = 0; i < 3; ++i) {
      ok = hn::And(ok, changes(horner3(a, b, c, dd, k[i].lo, slack), horner3(a, b, c, dd, k[i].hi, slack)));
    }
    store(q, j, ok, k[0].f, k[1].f, k[2].f);
  }
}

void one(queue& q) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  const V zero = hn::Zero(d);
  for (std::size_t j = 0; j < q.n; j += lanes) {
    const V a = hn::Load(d, q.a + j), b = hn::Load(d, q.b + j);
    const V c = hn::Load(d, q.c + j), dd = hn::Load(d, q.d + j);
    M bad = hn::FirstN(d, 0);
    V r, u, v;
    one_guesses(a, b, c, dd, r, u, v, bad);
    const cell kr = cell_of(r), ku = cell_of(u), kv = cell_of(v);
    M ok = hn::AndNot(bad, hn::And(hn::And(kr.inner, ku.inner), hn::And(kv.inner, hn::Gt(kv.f, zero))));
    // The real root: sign(a) p goes from - to + across its cell.
    const V slack50 = hn::Set(d, 0x1p-50);
    const sign p_lo = horner3(a, b, c, dd, kr.lo, slack50);
    const sign p_hi = horner3(a, b, c, dd, kr.hi, slack50);
    const M apos = hn::Gt(a, zero);
    const M rises = hn::Or(hn::And(apos, hn::And(p_lo.neg, p_hi.pos)), hn::AndNot(apos, hn::And(p_lo.pos, p_hi.neg)));
    // The real part: q = 8a^2 x^3 + 8ab x^2 + 2(b^2 + ac) x + (bc - ad)
    // rises through it (two coefficients exact, two rounded once).
    const V q3 = hn::Mul(hn::Set(d, 8.0), hn::Mul(a, a));
    const V q2 = hn::Mul(hn::Set(d, 8.0), hn::Mul(a, b));
    const V q1 = hn::Mul(hn::Set(d, 2.0), hn::Add(hn::Mul(b, b), hn::Mul(a, c)));
    const V q0 = hn::Sub(hn::Mul(b, c), hn::Mul(a, dd));
    const V slack49 = hn::Set(d, 0x1p-49);
    const sign q_lo = horner3(q3, q2, q1, q0, ku.lo, slack49);
    const sign q_hi = horner3(q3, q2, q1, q0, ku.hi, slack49);
    // The imaginary part: the resolvent is positive below it, negative above.
    const resolvent rt = resolvent_terms(a, b, c, bd{hn::Load(d, q.dv + j), hn::Load(d, q.de + j)});
    const sign r_lo = resolvent_filter(rt, kv.lo);
    const sign r_hi = resolvent_filter(rt, kv.hi);
    ok = hn::And(ok, hn::And(rises, hn::And(hn::And(q_lo.neg, q_hi.pos), hn::And(r_lo.pos, r_hi.neg))));
    store(q, j, ok, kr.f, ku.f, kv.f);
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
namespace qubic::batch {

HWY_EXPORT(run_target);

void run(block& blk) { HWY_DYNAMIC_DISPATCH(run_target)(blk); }

std::vector<std::int64_t> targets() { return hwy::SupportedAndGeneratedTargets(); }

const char* target_name(std::int64_t target) { return hwy::TargetName(target); }

void force_target(std::int64_t target) { hwy::SetSupportedTargetsForTest(target); }

}  // namespace qubic::batch
#endif
