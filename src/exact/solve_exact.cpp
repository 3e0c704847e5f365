// solve_exact: the correctly rounded roots of a float cubic (qubic/exact.hpp).
//
// The plan, argued in docs/exact.md:
//  1. The sign of the discriminant, exactly (double filter, else GMP), fixes
//     the kind of roots: three distinct real ones, one real one and a complex
//     pair, or a multiple root (then every root is rational).
//  2. Each part of each root is the unique real x of a sign oracle
//     side(m) = sign(x - m), exact at every float midpoint m: p's sign for a
//     lone real root, the count of roots below m (signs of p, p', p'') for
//     three, the cubic q for the real part of the pair, the resolvent R for
//     its imaginary part, a linear form for a rational root.
//  3. A double approximation names a float; two oracle calls at the
//     midpoints around it confirm it, or the search walks to the right cell
//     (cells.hpp).  Every oracle call is a double filter first, GMP if the
//     filter cannot decide: the result is exact either way, so the float
//     found is the correctly rounded value, ties to even included.
#include <qubic/exact.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "exact/approx.hpp"
#include "exact/big.hpp"
#include "exact/cells.hpp"
#include "exact/expansion.hpp"
#include "exact/filter.hpp"
#include "exact/stats.hpp"

namespace qubic {
namespace exact {

counters& stats() {
  static thread_local counters c;
  return c;
}

namespace {

// A rounded part: its float, and whether a nonzero value rounded to zero.
struct part {
  float f;
  bool lost;
};

bool irregular(part x) {
  const float ax = std::fabs(x.f);
  return x.lost || ax > std::numeric_limits<float>::max() ||
         (ax > 0.0f && ax < std::numeric_limits<float>::min());
}

std::int64_t guess_key(double x) {
  if (!(x == x)) return 0;
  return key(static_cast<float>(x));
}

// The float nearest to the x that side describes; side(0) tells an exact
// zero (+0) from a value that rounds to zero (signed zero, lost).
template <class Side>
part round_part(Side&& side, double guess, std::int64_t lo_ok = -inf_key) {
  int calls = 0;
  auto counted = [&](double m) {
    ++calls;
    return side(m);
  };
  const std::int64_t k = round_by_search(counted, guess_key(guess), lo_ok);
  if (calls > 2) ++stats().searches;
  if (k != 0) return {key_float(k), false};
  const int s0 = side(0.0);
  if (s0 == 0) return {0.0f, false};
  return {s0 < 0 ? -0.0f : 0.0f, true};
}

// Exact signs for one cubic: filters in double, GMP when they fail.
class cubic_signs {
 public:
  cubic_signs(float a, float b, float c, float d) : fa_(a), fb_(b), fc_(c), fd_(d) {
    const double ad = a, bd_ = b, cd = c, dd = d;
    p_[0] = dd; p_[1] = cd; p_[2] = bd_; p_[3] = ad;
    dp_[0] = cd; dp_[1] = 2.0 * bd_; dp_[2] = 3.0 * ad;
    ddp_[0] = 2.0 * bd_; ddp_[1] = 6.0 * ad;
    // q: 8a^2 and 8ab exact (products of two floats), the other two rounded once.
    q_[3] = 8.0 * (ad * ad);
    q_[2] = 8.0 * (ad * bd_);
    const double bb = bd_ * bd_;
    const double ac = ad * cd;
    q_[1] = 2.0 * (bb + ac);
    q_[0] = (bd_ * cd) - (ad * dd);
    a2_ = ad * ad;
    P_ = bd_exact(3.0 * ac) - bd_exact(bb);
  }

  // sign of the discriminant, exact: a double filter, then the compensated
  // sum of its ten exact parts, then GMP.  Leaves in disc_ a value with an
  // error bound for the resolvent filter.
  int disc() {
    const double a = fa_, b = fb_, c = fc_, d = fd_;
    const double ac = a * c, ad = a * d, bb = b * b, bc = b * c, bd_ = b * d, cc = c * c, cd = c * d;
    const double ab18 = (18.0 * a) * b;  // 28 x 24 bits: exact
    const double ad27 = 27.0 * ad;       // 48 x 5 bits: exact
    const double t1 = ab18 * cd;
    const double t2 = -4.0 * (bb * bd_);
    const double t3 = bc * bc;
    const double t4 = -4.0 * (ac * cc);
    const double t5 = -(ad27 * ad);
    const double v = (((t1 + t2) + t3) + t4) + t5;
    const double s =
        (((std::fabs(t1) + std::fabs(t2)) + std::fabs(t3)) + std::fabs(t4)) + std::fabs(t5);
    const double bound = s * 0x1p-50;
    disc_ = {v, bound};
    if (v > bound) return 1;
    if (v < -bound) return -1;
    ++stats().disc_sum;
    sharpen_disc();
    if (disc_.v > disc_.e) return 1;
    if (disc_.v < -disc_.e) return -1;
    ++stats().disc_gmp;
    const int sg = big().disc_sign();
    exact_disc();
    return sg;
  }

  // The filters alone (0: undecided), for the straight-line confirmation.
  int p_filter(double m) const { return horner_sign<3>(p_, m, 50); }
  int q_filter(double m) const { return horner_sign<3>(q_, m, 49); }
  int r_filter(double m) { return resolvent_filter(m); }

  int p(double m) { return pick(horner_sign<3>(p_, m, 50), [&] { return big().p_sign(m); }); }
  int dp(double m) { return pick(horner_sign<2>(dp_, m, 50), [&] { return big().dp_sign(m); }); }
  int ddp(double m) { return pick(horner_sign<1>(ddp_, m, 50), [&] { return big().ddp_sign(m); }); }
  int q(double m) { return pick(horner_sign<3>(q_, m, 49), [&] { return big().q_sign(m); }); }

  // sign(v - m) for m >= 0, v the imaginary part of the pair (disc < 0).
  // The resolvent filter needs disc/a^4 to a few bits more than the result;
  // a value from the first filter may be too coarse, so it is sharpened
  // (compensated sum, then GMP) before the sign goes to GMP.
  int im_side(double m) {
    int s = resolvent_filter(m);
    if (s == 0 && disc_level_ == 0) {
      ++stats().value_sum;
      sharpen_disc();
      s = resolvent_filter(m);
    }
    if (s == 0 && disc_level_ == 1) {
      ++stats().value_gmp;
      exact_disc();
      s = resolvent_filter(m);
    }
    return pick(s, [&] { return big().resolvent_sign(m); });
  }

  exact::big_cubic& big() {
    if (!big_) {
      big_.emplace(fa_, fb_, fc_, fd_);
      ++stats().cubics_with_gmp;
    }
    return *big_;
  }

 private:
  template <class Exact>
  int pick(int s, Exact&& exact) {
    if (s != 0) {
      ++stats().filter;
      return s;
    }
    ++stats().exact;
    return exact();
  }

  // disc_ from the ten exact parts of the discriminant (two_prod of exact
  // products of two floats), summed by sum2: |r - disc| <= u |disc| +
  // gamma_9^2 sum|x_i|, and gamma_9^2 < 2^-99.
  void sharpen_disc() {
    const double a = fa_, b = fb_, c = fc_, d = fd_;
    const double ad = a * d;
    const two t1 = two_prod((18.0 * a) * b, c * d);
    const two t2 = two_prod(b * b, b * d);
    const two t3 = two_prod(b * c, b * c);
    const two t4 = two_prod(a * c, c * c);
    const two t5 = two_prod(27.0 * ad, ad);
    const double x[10] = {t1.hi, t1.lo, -4.0 * t2.hi, -4.0 * t2.lo, t3.hi, t3.lo,
                          -4.0 * t4.hi, -4.0 * t4.lo, -t5.hi, -t5.lo};
    const sum_result r = sum2<10>(x);
    disc_ = {r.value, std::fabs(r.value) * 0x1p-52 + r.abs_sum * 0x1p-98};
    disc_level_ = 1;
  }

  // disc_ from GMP: truncated to 53 bits, so within 2^-52 relative.
  void exact_disc() {
    disc_.v = big().disc_value();
    disc_.e = std::fabs(disc_.v) * 0x1p-51;
    disc_level_ = 2;
  }

  // R(T)/a^6 = t (t + P/a^2)^2 - disc/a^4 with t = -4 m^2 (a^6 > 0 keeps
  // the sign).  P/a^2 and disc/a^4 are formed once per value of disc_, with
  // bounds e_P, e_D (bounded arithmetic, filter.hpp); then, with t exact
  // (m^2 has at most 50 bits), s = fl(t + P), w = fl(t fl(s s)) and
  // R = fl(w - D):  |R - exact| <= u |R| + gamma_4 |t| (t + P)^2
  // + |t| e_P (2 |t + P| + e_P) + e_D, and gamma_4 |t| (t + P)^2 is below
  // 4.001 u |w|, |t + P| below 1.001 |s| (docs/exact.md).
  int resolvent_filter(double m) {
    if (res_level_ != disc_level_) {
      res_level_ = disc_level_;
      const bd ia2 = reciprocal(a2_);
      pn_ = P_ * ia2;
      dn_ = (disc_ * ia2) * ia2;
    }
    const double t = -4.0 * (m * m);
    const double s = t + pn_.v;
    const double w = t * (s * s);
    const double r = w - dn_.v;
    const double ep = pn_.e;
    const double bound =
        ((((0x1p-53 * std::fabs(r) + 0x1.01p-51 * std::fabs(w)) + std::fabs(t) * (ep * (2.002 * std::fabs(s) + ep))) +
          dn_.e) + bd_eta) * bd_widen;
    if (r > bound) return 1;
    if (r < -bound) return -1;
    return 0;
  }

  float fa_, fb_, fc_, fd_;
  double p_[4], dp_[3], ddp_[2], q_[4];
  double a2_;
  bd P_;
  bd disc_{0.0, 0.0};
  int disc_level_ = 0;  // 0 first filter, 1 compensated sum, 2 GMP
  int res_level_ = -1;  // disc_level_ when pn_, dn_ were formed
  bd pn_{0.0, 0.0};
  bd dn_{0.0, 0.0};
  std::optional<exact::big_cubic> big_;
};

// Number of the roots r1 < r2 < r3 (three distinct) below m, from the signs
// of p, p', p'' taken with the sign of a (docs/exact.md, "three real roots").
// Returns sign(r_i - m).
int three_side(cubic_signs& s, int sa, int i, double m) {
  const int P = sa * s.p(m);
  const int P1 = sa * s.dp(m);
  if (P == 0) {  // m is a root: r2 where p' < 0, else r1 or r3 by p''
    const int k = P1 < 0 ? 2 : (sa * s.ddp(m) < 0 ? 1 : 3);
    return i > k ? 1 : (i < k ? -1 : 0);
  }
  int below = 0;
  if (P < 0) {
    below = (P1 > 0 && sa * s.ddp(m) < 0) ? 0 : 2;
  } else {
    below = (P1 > 0 && sa * s.ddp(m) > 0) ? 3 : 1;
  }
  return below >= i ? -1 : 1;
}

void put(solution& out, int k, part re, part im) {
  out.root[k] = {re.f, im.f};
  out.written[k] = true;
  out.flag[k] = (irregular(re) || irregular(im)) ? -3 : 1;
}

void put_real(solution& out, int k, part re) { put(out, k, re, part{0.0f, false}); }

void solve_cubic(float a, float b, float c, float d, solution& out) {
  ++stats().cubics;
  cubic_signs s(a, b, c, d);
  const int sa = a > 0.0f ? 1 : -1;
  const int sd = s.disc();
  if (sd == 0) {
    exact::big_cubic& big = s.big();
    auto side0 = [&](double m) { return big.rational_side(0, m); };
    const part x0 = round_part(side0, 0.0);
    if (big.triple()) {
      for (int k = 0; k < 3; ++k) put_real(out, k, x0);
      return;
    }
    auto side1 = [&](double m) { return big.rational_side(1, m); };
    const part x1 = round_part(side1, 0.0);
    // The double root x0 twice and the simple one x1, ascending; rounding is
    // monotone, so the rounded values sort as the roots do.
    if (x0.f <= x1.f) {
      put_real(out, 0, x0);
      put_real(out, 1, x0);
      put_real(out, 2, x1);
    } else {
      put_real(out, 0, x1);
      put_real(out, 1, x0);
      put_real(out, 2, x0);
    }
    return;
  }
  const guesses g = approx_roots(a, b, c, d, sd > 0);
  if (sd > 0) {
    // Three disjoint cells, ascending, each with a strict sign change of p,
    // hold an odd number of roots each; three roots in all, so exactly one
    // each, in order: every guess is confirmed by p alone.
    // Filter signs only, in straight-line code; a sign left open fails
    // the test (0 is neither side).
    std::int64_t k[3];
    for (int i = 0; i < 3; ++i) k[i] = guess_key(g.x[i]);
    if (k[0] > -inf_key && k[2] < inf_key && k[0] < k[1] && k[1] < k[2] && k[0] != 0 && k[1] != 0 &&
        k[2] != 0) {
      int lo[3];
      int hi[3];
      for (int i = 0; i < 3; ++i) {
        lo[i] = s.p_filter(mid(k[i] - 1));
        hi[i] = s.p_filter(mid(k[i]));
      }
      if (lo[0] * hi[0] < 0 && lo[1] * hi[1] < 0 && lo[2] * hi[2] < 0) {
        stats().filter += 6;
        for (int i = 0; i < 3; ++i) put_real(out, i, part{key_float(k[i]), false});
        return;
      }
    }
    for (int i = 1; i <= 3; ++i) {
      auto side = [&](double m) { return three_side(s, sa, i, m); };
      put_real(out, i - 1, round_part(side, g.x[i - 1]));
    }
    return;
  }
  // The common case in straight-line code (the six signs are independent,
  // so the processor overlaps them): each guess confirmed by filter signs at
  // the two midpoints around it.  p changes sign once (disc < 0), q is
  // increasing through its only real root u, and R(-4 a^2 m^2) > 0 exactly
  // for 0 <= m < v.  Key 0 (an exact or lost zero) and the cells beside
  // infinity take the general path.
  {
    const std::int64_t kr = guess_key(g.x[0]);
    const std::int64_t ku = guess_key(g.re);
    const std::int64_t kv = guess_key(g.im);
    auto inner = [](std::int64_t k) { return k != 0 && k > -inf_key + 1 && k < inf_key; };
    if (inner(kr) && inner(ku) && kv > 0 && kv < inf_key) {
      const int r1 = sa * s.p_filter(mid(kr - 1));
      const int r2 = sa * s.p_filter(mid(kr));
      const int u1 = s.q_filter(mid(ku - 1));
      const int u2 = s.q_filter(mid(ku));
      const int v1 = s.r_filter(mid(kv - 1));
      const int v2 = s.r_filter(mid(kv));
      if (r1 < 0 && r2 > 0 && u1 < 0 && u2 > 0 && v1 > 0 && v2 < 0) {
        stats().filter += 6;
        const float uf = key_float(ku);
        const float vf = key_float(kv);
        put_real(out, 0, part{key_float(kr), false});
        put(out, 1, part{uf, false}, part{vf, false});
        put(out, 2, part{uf, false}, part{-vf, false});
        return;
      }
    }
  }
  auto real_side = [&](double m) { return -sa * s.p(m); };
  put_real(out, 0, round_part(real_side, g.x[0]));
  auto re_side = [&](double m) { return -s.q(m); };
  const part u = round_part(re_side, g.re);
  auto im_side = [&](double m) { return s.im_side(m); };
  const part v = round_part(im_side, g.im, 0);
  put(out, 1, u, v);
  put(out, 2, u, part{-v.f, v.lost});
}

// a = 0: b x^2 + c x + d.
void solve_low(float b, float c, float d, solution& out) {
  if (b == 0.0f && c == 0.0f) {
    const std::int32_t f = d == 0.0f ? 0 : -1;
    for (int k = 0; k < 3; ++k) out.flag[k] = f;
    return;
  }
  exact::big_low big(b, c, d);
  out.flag[2] = -1;
  if (b == 0.0f) {
    out.flag[1] = -1;
    put_real(out, 0, round_part([&](double m) { return big.re_side(m); }, -static_cast<double>(d) / c));
    return;
  }
  const int sb = b > 0.0f ? 1 : -1;
  const int sd = big.disc_sign();
  if (sd > 0) {  // two real roots: p < 0 strictly between them (b > 0)
    for (int i = 1; i <= 2; ++i) {
      auto side = [&](double m) {
        const int P = sb * big.p_sign(m);
        const int P1 = sb * big.dp_sign(m);
        if (P == 0) {
          const int k = P1 < 0 ? 1 : 2;
          return i > k ? 1 : (i < k ? -1 : 0);
        }
        const int below = P < 0 ? 1 : (P1 < 0 ? 0 : 2);
        return below >= i ? -1 : 1;
      };
      put_real(out, i - 1, round_part(side, 0.0));
    }
    return;
  }
  const part u = round_part([&](double m) { return big.re_side(m); }, 0.0);
  if (sd == 0) {
    put_real(out, 0, u);
    put_real(out, 1, u);
    return;
  }
  const part v = round_part([&](double m) { return big.im_side(m); }, 0.0, 0);
  put(out, 0, u, v);
  put(out, 1, u, part{-v.f, v.lost});
}

}  // namespace
}  // namespace exact

solution solve_exact(float a3, float a2, float a1, float a0) {
  solution out;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int k = 0; k < 3; ++k) {
    out.root[k] = {nan, nan};
    out.written[k] = false;
    out.flag[k] = -2;
  }
  for (const float x : {a3, a2, a1, a0}) {
    if (!std::isfinite(x)) return out;
  }
  if (a3 != 0.0f) {
    exact::solve_cubic(a3, a2, a1, a0, out);
  } else {
    exact::solve_low(a2, a1, a0, out);
  }
  return out;
}

void qubic_exact(const coeffs& array, roots& rroot, roots& iroot, flags& fl) {
  const solution s = solve_exact(array(3), array(2), array(1), array(0));
  for (int k = 1; k <= 3; ++k) {
    fl(k) = s.flag[k - 1];
    if (s.written[k - 1]) {
      rroot(k) = s.root[k - 1].real();
      iroot(k) = s.root[k - 1].imag();
    }
  }
}

}  // namespace qubic
