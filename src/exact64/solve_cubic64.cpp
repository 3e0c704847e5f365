// solve_cubic64: the cubic case of the double engine (solve64.hpp).
//
// The plan, argued in docs/exact64.md:
//  1. The exact sign of the discriminant (wide filter, double-double, GMP)
//     fixes the kind of roots; a multiple root is rational and is rounded
//     from its fraction by GMP directly, with no search.
//  2. Each part of each root is the unique real x of a sign oracle, exact at
//     every midpoint: p for a lone real root, the count of roots below m
//     (signs of p, p', p'') for three, q for the pair's real part, the
//     resolvent for its imaginary part.
//  3. A guess (approx64) is polished by Newton steps whose residual is the
//     double-double filter's own value; the filter's signs at the two
//     midpoints around a candidate confirm it (straight-line, one expansion
//     per candidate).  What is not confirmed is searched with the exact
//     oracles from the last candidate.
#include <algorithm>
#include <cmath>
#include <utility>
#include <cstdint>
#include <limits>

#include "exact/three_side.hpp"
#include "exact64/approx64.hpp"
#include "exact64/cubic64.hpp"
#include "exact64/keys.hpp"
#include "exact64/pair64.hpp"
#include "exact64/part64.hpp"
#include "exact64/solve64.hpp"
#include "exact64/stats64.hpp"

namespace qubic::exact64 {

counters& stats() {
  static thread_local counters c;
  return c;
}

namespace {

bool normal(double x) {
  const double ax = std::fabs(x);
  return ax >= std::numeric_limits<double>::min() && ax <= std::numeric_limits<double>::max();
}

struct refined {
  double x;
  bool ok;
};

// At most iters expansions: x is confirmed when the polynomial takes strict
// opposite signs at the midpoints below and above it; else the Newton step
// from the same expansion names the next candidate, confirmed by that
// expansion too when it lies within reach.
template <class Around>
refined refine(Around&& around, double x, int iters) {
  for (int it = 0; it < iters; ++it) {
    if (!normal(x)) break;
    const around_result r = around(x);
    if (r.lo * r.hi < 0) {
      stats().filter += 2;
      return {x, true};
    }
    if (!std::isfinite(r.next)) break;  // keep the last finite candidate (a critical point, say)
    if (r.next_lo * r.next_hi < 0) {
      stats().filter += 2;
      return {r.next, true};
    }
    x = r.next;
  }
  return {x, false};
}

bool by_x(const refined& p, const refined& q) { return p.x < q.x; }

int sgn(double x) { return (x > 0.0) - (x < 0.0); }

// Near a double root two guesses often settle on the same root.  When two
// distinct cells are confirmed (x1 < x2), the third root is -b/a - x1 - x2
// (or -d/(a x1 x2) when that sum cancels), a guess within a few units of
// the roots' scale, refined like the others; r becomes the three candidates
// ascending.  True when all three are confirmed in distinct cells (each a
// strict sign change of p: one root each, docs/exact64.md section 8).
template <class Around>
bool third_from_two(cubic64& s, Around&& around_p, refined* r) {
  double x[3];
  int n = 0;
  for (int i = 0; i < 3; ++i) {
    if (!r[i].ok) continue;
    bool seen = false;
    for (int j = 0; j < n; ++j) seen = seen || x[j] == r[i].x;
    if (!seen) x[n++] = r[i].x;
  }
  if (n != 2) return false;
  const double sum = (-(s.b / s.a) - x[0]) - x[1];
  const double big = std::fmax(std::fabs(x[0]), std::fabs(x[1]));
  const double t = std::fabs(sum) >= 0x1p-10 * big ? sum : -(s.d / s.a) / (x[0] * x[1]);
  const refined r3 = refine(around_p, t, 8);
  if (!r3.ok || r3.x == x[0] || r3.x == x[1]) return false;
  double y[3] = {x[0], x[1], r3.x};
  if (y[0] > y[1]) std::swap(y[0], y[1]);
  if (y[1] > y[2]) std::swap(y[1], y[2]);
  if (y[0] > y[1]) std::swap(y[0], y[1]);
  for (int i = 0; i < 3; ++i) r[i] = {y[i], true};
  return true;
}

void multiple_roots(cubic64& s, solution_double& out) {
  ++stats().rational;
  big_cubic64& big = s.big();
  bool lost0 = false, lost1 = false;
  const part x0{big.root(0, &lost0), false};
  const part r0{x0.f, lost0};
  if (big.triple()) {
    for (int k = 0; k < 3; ++k) put_real(out, k, r0);
    return;
  }
  const double f1 = big.root(1, &lost1);
  const part r1{f1, lost1};
  if (big.order() > 0) {
    put_real(out, 0, r0);
    put_real(out, 1, r0);
    put_real(out, 2, r1);
  } else {
    put_real(out, 0, r1);
    put_real(out, 1, r0);
    put_real(out, 2, r0);
  }
}

// The shifted cubic's guesses at S, each refined (sorted into t): 1 when
// all three are confirmed in distinct cells, 0 when not, -1 (t untouched)
// when the shifted cubic gives no guesses.
template <class Around>
int shifted_at(cubic64& s, Around&& around_p, double S, refined* t, bool check_kind = false) {
  const mant_exp me = split_exp(S);
  guesses64 h;
  int kind = 0;
  if (!approx_shifted64(s.P().frame(me.e), me.m, me.e, true, &h, check_kind ? &kind : nullptr)) return -1;
  for (int k = 0; k < 3; ++k) t[k] = refine(around_p, h.x[k], 8);
  sort3(t, by_x);
  return t[0].ok && t[1].ok && t[2].ok && t[0].x < t[1].x && t[1].x < t[2].x ? 1 : 0;
}

// Near-multiple roots (the first filter's mark, cubic64::near_multiple):
// two or three roots close together, near a critical point of p.  The
// shifted cubic at
// the critical point where |p| is smaller relative to its terms gives the
// guesses directly, without the closed form (whose guesses near a multiple
// root serve only as that centre anyway), unless its discriminant in
// double says a pair.  True, with r the three roots ascending, when all
// three are confirmed in distinct cells, which proves them three distinct
// real roots whatever the discriminant's exact sign.
template <class Around>
bool near_critical(cubic64& s, Around&& around_p, refined* r) {
  const double a = s.a, b = s.b, c = s.c, d = s.d;
  const double A = b * b - 3.0 * (a * c);  // p' = 3a x^2 + 2b x + c, its roots (-b -+ sqrt(A)) / (3a)
  double S = -b / (3.0 * a);
  if (A > 0.0) {
    const double q = -(b + std::copysign(std::sqrt(A), b));
    const double x1 = q / (3.0 * a), x2 = c / q;
    auto rel = [&](double x) {
      const double ax = std::fabs(x);
      return std::fabs(((a * x + b) * x + c) * x + d) / (((std::fabs(a) * ax + std::fabs(b)) * ax + std::fabs(c)) * ax + std::fabs(d));
    };
    S = rel(x1) <= rel(x2) ? x1 : x2;
  }
  if (!normal(S)) return false;
  refined t[3];
  if (shifted_at(s, around_p, S, t, true) != 1) return false;
  for (int k = 0; k < 3; ++k) r[k] = t[k];
  return true;
}

// Near a double or triple root Newton's method from the closed form's
// guesses crawls, or two guesses settle on one root.  Second guesses from
// the cubic shifted to the middle S of the two closest guesses (first,
// when given)
// (approx_shifted64), each refined.  True, with r the three candidates
// ascending, when all three are confirmed in distinct cells; else the
// search starts from them where they are better (a cluster's roots may
// share a cell).
template <class Around>
bool from_cluster(cubic64& s, Around&& around_p, refined* r, const double* first) {
  // The centre from the closed form's guesses when two of them are close
  // (near a double root they straddle the critical point, where Newton's
  // steps may have left), else from the refined candidates.
  double S = 0.0;
  bool found = false;
  for (int pass = first != nullptr ? 0 : 1; pass < 2 && !found; ++pass) {
    double c[3] = {pass == 0 ? first[0] : r[0].x, pass == 0 ? first[1] : r[1].x, pass == 0 ? first[2] : r[2].x};
    sort3(c);
    const int i = (c[1] - c[0] <= c[2] - c[1]) ? 0 : 1;
    S = c[i] + 0.5 * (c[i + 1] - c[i]);
    // Only a cluster: the two closest within 2^-4 of their size.
    found = normal(S) && c[i + 1] - c[i] <= 0x1p-4 * std::fmax(std::fabs(c[i]), std::fabs(c[i + 1]));
  }
  if (!found) return false;
  refined t[3];
  const int got = shifted_at(s, around_p, S, t);
  if (got < 0) return false;
  if (got > 0) {
    for (int k = 0; k < 3; ++k) r[k] = t[k];
    return true;
  }
  // Else the search starts from them where the first candidate was not
  // confirmed and the new one lies near the cluster (a far root may be
  // one that the shifted cubic cannot place, at the ends of the range).
  sort3(r, by_x);
  for (int k = 0; k < 3; ++k) {
    if (!r[k].ok && std::fabs(t[k].x - S) <= 0x1p-4 * std::fabs(S)) r[k] = t[k];
  }
  return false;
}

// The enclosure when the guesses allow it: v > 0 and u = 0 or normal, both
// within 2^30 of the larger in the frame of its exponent (smaller real
// parts start at 0), and every nonzero coefficient of p kept exactly in
// that frame.  Each enclosure is sound on its own, so a part left open is
// tried again from the disk's centre (Newton's step in double-double), up
// to four enclosures; what stays open comes back as the last centre.
pair_parts pair_by_enclosure(cubic64& s, double u0, double v0, bool stuck = false) {
  pair_parts best{u0, v0, false, false};
  for (int it = 0; it < 4; ++it) {
    if (!normal(v0) || !(v0 > 0.0) || !(u0 == 0.0 || normal(u0))) break;
    const int e = exponent(std::fabs(u0) > v0 ? u0 : v0);
    poly64& P = s.P();
    const fpoly& f = P.frame(e);
    // p's coefficients are doubles (tails zero), so the frame is exactly
    // the scaled polynomial when no nonzero head was dropped.
    if (!f.kept) break;
    const double sc = pow2(-e);  // e >= -1022: finite; the products below are exact
    double U = u0 * sc;
    const double V = v0 * sc;
    if (std::fabs(U) < 0x1p-30) U = 0.0;
    if (!(V >= 0x1p-30)) break;
    const pair_parts r = enclose_pair(f, e, U, V, u0, v0);
    if (!best.u_ok) best.u = r.u;
    if (!best.v_ok) best.v = r.v;
    best.u_ok = best.u_ok || r.u_ok;
    best.v_ok = best.v_ok || r.v_ok;
    if ((best.u_ok && best.v_ok) || (r.u == u0 && r.v == v0)) break;
    // Near the real root (stuck): when the centre moved by less than the
    // disk's radius, the next disk, from about the same guess, is about the
    // same.
    if (stuck && (std::fabs(r.u - u0) + std::fabs(r.v - v0)) * sc <= r.rho) break;
    u0 = r.u;
    v0 = r.v;
  }
  return best;
}

// A real root and a pair close together (a perturbed triple root): the
// closed form's guesses lose two thirds of their bits and Newton's method
// crawls.  Second guesses from the cubic shifted to the middle of the real
// root and the real part (approx_shifted64), then the enclosure and the
// expansions again; parts confirmed either way are kept.  False, with
// nothing done, when the candidates are no such cluster or the shifted
// cubic gives no guesses.
template <class Around>
bool pair_cluster(cubic64& s, Around&& around_p, refined& rr, pair_parts& pp) {
  const double r = rr.x, u = pp.u, size = std::fmax(std::fabs(r), std::fabs(u));
  if (!normal(r) || !normal(u) || !(std::fabs(u - r) <= 0x1p-4 * size) || !(pp.v <= 0x1p-4 * size)) return false;
  const double S = r + 0.5 * (u - r);
  if (!normal(S)) return false;
  const mant_exp me = split_exp(S);
  guesses64 h;
  if (!approx_shifted64(s.P().frame(me.e), me.m, me.e, false, &h)) return false;
  if (!(pp.u_ok && pp.v_ok)) {
    const pair_parts p2 = pair_by_enclosure(s, pp.u_ok ? pp.u : h.re, pp.v_ok ? pp.v : h.im, true);
    if (!pp.u_ok) pp.u = p2.u;
    if (!pp.v_ok) pp.v = p2.v;
    pp.u_ok = pp.u_ok || p2.u_ok;
    pp.v_ok = pp.v_ok || p2.v_ok;
  }
  if (!rr.ok) rr = refine(around_p, h.x[0], 8);
  return true;
}

// The pair's real part by q: Newton steps on the filter from start (or from
// q's linear part where -b/a - r cancelled in the closed form's guess that
// start still is), then the search.
part real_part(cubic64& s, const guesses64& g, double start) {
  double u0 = start;
  poly64& Q = s.Q();
  if ((g.re_small && start == g.re) || !normal(u0)) {  // q(u) ~ q1 u + q0 near a small u
    const wdd& q1 = Q.c[1];
    const wdd& q0 = Q.c[0];
    if (q1.h != 0.0) u0 = ldexp_wide(-(q0.h / q1.h), static_cast<long>(q0.x) - q1.x);
  }
  const refined ru = refine([&s](double x) { return s.Q().around(x); }, u0, 8);
  part u{ru.x, false};
  if (!ru.ok) {
    auto side = [&](std::int64_t j) { return -s.q(mid(j)); };
    auto side0 = [&] { return -s.q(point{}); };
    u = round_part(side, side0, ru.x);
  }
  return u;
}

// The imaginary part by the resolvent G in s = m^2, likewise.
part imaginary_part(cubic64& s, const guesses64& g, double start) {
  poly64& G = s.G();
  double v0 = start;
  if ((g.im_small && start == g.im) || !(v0 > 0.0)) {  // G(s) ~ g1 s + g0 near a small s = v^2
    const wdd& g1 = G.c[1];
    const wdd& g0 = G.c[0];
    if (g1.h != 0.0) {
      const double ratio = -(g0.h / g1.h);
      const long e = static_cast<long>(g0.x) - g1.x;
      if (ratio > 0.0) v0 = ldexp_wide(std::sqrt(ratio * ((e & 1) != 0 ? 2.0 : 1.0)), (e - (e & 1)) / 2);
    }
  }
  const refined rv = refine([&s](double x) { return s.G().around_sq(x); }, v0, 8);
  part v{rv.x, false};
  if (!rv.ok) {
    auto side = [&](std::int64_t j) { return s.im_side(mid(j)); };
    auto side0 = [] { return 1; };
    v = round_part(side, side0, rv.x, 0);
  }
  return v;
}

}  // namespace

void solve_cubic64(double a, double b, double c, double d, solution_double& out) {
  ++stats().cubics;
  cubic64 s(a, b, c, d);
  const int sa = a > 0.0 ? 1 : -1;
  // Three ascending distinct cells, each with a strict sign change of p,
  // prove three distinct real roots (disc > 0): when the first filter marks
  // near-multiple roots without finding disc < 0, the roots near a critical
  // point are tried first (unless the shifted cubic's discriminant in double
  // says a pair), and the discriminant's exact levels, when the filter left
  // it open, only if they are not all confirmed.
  auto around_p = [&s](double x) { return s.P().around(x); };
  refined r[3];
  int sd = s.disc_filter();
  if (sd >= 0 && s.near_multiple() && near_critical(s, around_p, r)) {
    for (int i = 0; i < 3; ++i) put_normal(out, i, r[i].x, 0.0);  // confirmed: normal
    return;
  }
  if (sd == 0) {
    sd = s.disc_exact_levels();
    if (sd == 0) return multiple_roots(s, out);
  }
  // A cluster's closed-form guesses serve only as the centre of its shifted
  // cubic (from_cluster): they are not polished.
  const guesses64 g = approx_cubic64(a, b, c, d, sd > 0, true);
  if (sd > 0) {
    // Three cells, ascending and distinct, each with a strict sign change of
    // p, hold an odd number of roots each; three roots in all: one each.
    // Guesses close together (a cluster) get two expansions each before the
    // cluster's second guesses; others up to eight.
    const int j = g.x[1] - g.x[0] <= g.x[2] - g.x[1] ? 0 : 1;  // the closest two, ascending
    const bool close = g.x[j + 1] - g.x[j] <= 0x1p-4 * std::fmax(std::fabs(g.x[j]), std::fabs(g.x[j + 1]));
    const int iters = close ? 0 : 8;
    for (int i = 0; i < 3; ++i) r[i] = refine(around_p, g.x[i], iters);
    if (r[0].ok && r[1].ok && r[2].ok && r[0].x < r[1].x && r[1].x < r[2].x) {
      for (int i = 0; i < 3; ++i) put_normal(out, i, r[i].x, 0.0);  // confirmed: normal
      return;
    }
    if (third_from_two(s, around_p, r) || from_cluster(s, around_p, r, g.x)) {
      for (int i = 0; i < 3; ++i) put_normal(out, i, r[i].x, 0.0);  // confirmed: normal
      return;
    }
    if (iters < 8) {  // the cluster's guesses failed too: the remaining expansions, then the search
      for (int i = 0; i < 3; ++i) {
        if (!r[i].ok) r[i] = refine(around_p, r[i].x, 8 - iters);
      }
      sort3(r, by_x);
      if ((r[0].ok && r[1].ok && r[2].ok && r[0].x < r[1].x && r[1].x < r[2].x) || third_from_two(s, around_p, r) ||
          from_cluster(s, around_p, r, nullptr)) {
        for (int i = 0; i < 3; ++i) put_normal(out, i, r[i].x, 0.0);  // confirmed: normal
        return;
      }
    }
    for (int i = 1; i <= 3; ++i) {
      auto side = [&](std::int64_t j) { return exact::three_side(s, sa, i, mid(j)); };
      auto side0 = [&] { return exact::three_side(s, sa, i, point{}); };
      put_real(out, i - 1, round_part(side, side0, r[i - 1].x));
    }
    return;
  }
  // The pair from one enclosure of its upper root (pair64.hpp), in the
  // frame of the larger part; a part it leaves open is searched below from
  // the enclosure's centre.  When the closed form's guesses already show a
  // cluster, its second guesses come first: from the closed form's, the
  // enclosures and Newton's steps would crawl through their lost bits.
  const double ar = std::fabs(g.x[0]), au = std::fabs(g.re), size = ar > au ? ar : au;
  const bool clustered = g.im <= 0x1p-4 * size && std::fabs(g.re - g.x[0]) <= 0x1p-4 * size;
  pair_parts pp{g.re, g.im, false, false};
  refined rr{g.x[0], false};
  if (clustered) {
    // A part that the cluster's enclosures leave open is searched from
    // their last centre: more enclosures from there seldom decide (the
    // real root nearby keeps the disks wide).
    if (!pair_cluster(s, around_p, rr, pp)) pp = pair_by_enclosure(s, g.re, g.im);
    if (!rr.ok) rr = refine(around_p, rr.x, 8);
  } else {
    pp = pair_by_enclosure(s, g.re, g.im);
    // One real root r and the pair u +- iv: the pair's enclosure first, so
    // that the real root's expansion can reuse its frame when near in scale.
    rr = refine(around_p, g.x[0], 8);
    if (!(pp.u_ok && pp.v_ok && rr.ok)) pair_cluster(s, around_p, rr, pp);
  }
  part re_root{rr.x, false};
  if (!rr.ok) {
    auto side = [&](std::int64_t j) { return -sa * s.p(mid(j)); };
    auto side0 = [&] { return -sa * sgn(d); };
    re_root = round_part(side, side0, rr.x);
  }
  put_real(out, 0, re_root);

  if (pp.u_ok && pp.v_ok) {
    stats().filter += 4;
    put_normal(out, 1, pp.u, pp.v);  // decided by the enclosure: normal
    put_normal(out, 2, pp.u, -pp.v);
    return;
  }
  part u{pp.u, false};
  if (pp.u_ok) {
    stats().filter += 2;
  } else {
    u = real_part(s, g, pp.u);
  }
  part v{pp.v, false};
  if (pp.v_ok) {
    stats().filter += 2;
  } else {
    v = imaginary_part(s, g, pp.v);
  }
  put(out, 1, u, v);
  put(out, 2, u, part{-v.f, v.lost});
}

}  // namespace qubic::exact64
