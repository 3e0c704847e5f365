// The reference: every root of a float cubic, correctly rounded, by exact
// rational arithmetic (GMP's mpq).  Every decision below is a sign or a
// comparison of exact rationals, so the answer is proven, not estimated:
//
// 1. The coefficients are converted exactly (a finite float is a dyadic
//    rational).  Zero roots are divided out exactly (x | p when p(0) = 0).
// 2. Multiple roots: g = gcd(q, q') over Q.  For degree <= 3, deg g = 1 means
//    one double root, deg g = 2 means g = (x - r)^2, a triple root (two double
//    roots would need degree 4).  Either way r is rational (a root of a
//    rational linear g, or -g1/2 of the monic g), it is divided out exactly,
//    and what remains is square-free.
// 3. Real roots of the square-free rest: a Sturm sequence counts the distinct
//    roots in (lo, hi) exactly when neither end is a root; bisecting from
//    Cauchy's bound (every root has |x| < 1 + max |q_i / q_n|) separates them
//    into intervals holding one root each, split only at points that are not
//    roots.  A simple root changes the sign of q, so afterwards sign(x - t)
//    for any rational t in the interval is read from sign(q(t)) against
//    sign(q(lo)), with q(t) = 0 meaning x = t exactly; the interval then
//    shrinks to the side holding x.
// 4. Rounding: for a value x >= 0, the float patterns 0 .. 0x7F800000 (the
//    last is +inf, standing for 2^128) increase with their values, and x
//    rounds to pattern k when it lies strictly between the midpoints of
//    (k-1, k) and (k, k+1); at a midpoint, to the even pattern (the even
//    significand; from the largest float, 2^128 - 2^103 goes to +inf, from
//    0, 2^-150 to +0).  A binary search over patterns with exact comparisons
//    sign(x - midpoint) finds k.  A negative x rounds as -(round(-x)).
// 5. A complex pair u +- iv of a cubic q = x^3 + b x^2 + c x + d (divided by
//    its leading coefficient) with real root r: from r + 2u = -b =: s and
//    2ur + u^2 + v^2 = c,
//        u = (s - r) / 2,     v^2 = (3/4) (r - s/3)^2 + c - s^2/3.
//    sign(u - t) = -sign(r - (s - 2t)): one exact comparison of r.
//    sign(v - t) = sign(v^2 - t^2) for t > 0 = sign(H(r)) with
//    H(x) = (3/4) x^2 - (s/2) x + c - s^2/4 - t^2.  If H(r) = 0 then r is
//    rational: an irrational r has a minimal polynomial of degree 2 or 3
//    dividing q; degree 3 cannot also divide H, and degree 2 would give r a
//    real conjugate, a second real root of q, which has only one.  So H(r) = 0
//    exactly when one of H's roots (s +- 2 sqrt(s^2 - 3c + 3t^2)) / 3 is
//    rational (the radicand a square of a rational) and equals r (step 3's
//    exact comparison).  Otherwise H(r) != 0, and bisecting r's interval
//    until the range of (3/4)(x - s/3)^2 + c - s^2/3 over it excludes t^2
//    terminates by continuity.  For a quadratic the pair is u = -q1 / (2 q2),
//    v^2 = q0 / q2 - u^2, both rational and compared exactly.
#include "exact/reference.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include <gmpxx.h>

namespace qubic::test {
namespace {

using Q = mpq_class;
using poly = std::vector<Q>;  // p[k] is the coefficient of x^k; no trailing zeros; {} is 0

void require(bool ok) {  // an assumption of the proof failed: stop loudly
  if (!ok) std::abort();
}

void trim(poly& p) {
  while (!p.empty() && p.back() == 0) p.pop_back();
}

int degree(const poly& p) { return static_cast<int>(p.size()) - 1; }

int sign_at(const poly& p, const Q& x) {
  Q v = 0;
  for (std::size_t k = p.size(); k-- > 0;) v = v * x + p[k];
  return sgn(v);
}

poly derivative(const poly& p) {
  poly d;
  for (std::size_t k = 1; k < p.size(); ++k) d.push_back(p[k] * static_cast<long>(k));
  trim(d);
  return d;
}

// a = quotient * b + remainder, deg remainder < deg b (b != 0).
std::pair<poly, poly> divide(poly a, const poly& b) {
  poly quotient(std::max(0, degree(a) - degree(b) + 1));
  while (degree(a) >= degree(b)) {
    const Q f = a.back() / b.back();
    const int shift = degree(a) - degree(b);
    quotient[shift] = f;
    for (std::size_t i = 0; i < b.size(); ++i) a[i + shift] -= f * b[i];
    require(a.back() == 0);
    a.pop_back();
    trim(a);
  }
  return {quotient, a};
}

poly monic_gcd(poly a, poly b) {
  while (!b.empty()) a = std::exchange(b, divide(a, b).second);
  const Q lead = a.back();
  for (Q& c : a) c /= lead;
  return a;
}

Q power_of_two(int e) {
  Q x = 1;
  if (e >= 0) mpq_mul_2exp(x.get_mpq_t(), x.get_mpq_t(), e);
  else mpq_div_2exp(x.get_mpq_t(), x.get_mpq_t(), -e);
  return x;
}

// A real root of a square-free polynomial: exactly lo when exact, else the
// only root of p in the closed [lo, hi], with p(lo) of sign slo and p(hi) of
// sign -slo (step 3).
struct real_root {
  const poly* p = nullptr;
  Q lo, hi;
  int slo = 0;
  bool exact = false;

  static real_root rational(const Q& x) { return {nullptr, x, x, 0, true}; }

  // sign(x - t), exactly; narrows the interval.
  int compare(const Q& t) {
    if (exact) return sgn(lo - t);
    if (t <= lo) return 1;
    if (t >= hi) return -1;
    const int st = sign_at(*p, t);
    if (st == 0) {
      lo = hi = t;
      exact = true;
      return 0;
    }
    if (st == slo) {
      lo = t;
      return 1;
    }
    hi = t;
    return -1;
  }

  void halve() {
    if (!exact) compare((lo + hi) / 2);
  }
};

// Sign variations of the Sturm sequence at x.
int variations(const std::vector<poly>& seq, const Q& x) {
  int count = 0, last = 0;
  for (const poly& s : seq) {
    const int v = sign_at(s, x);
    if (v != 0 && last != 0 && v != last) ++count;
    if (v != 0) last = v;
  }
  return count;
}

// The real roots of a square-free p of degree >= 1, ascending.
std::vector<real_root> isolate(const poly& p) {
  std::vector<poly> seq{p, derivative(p)};
  while (degree(seq.back()) > 0) {
    poly r = divide(seq[seq.size() - 2], seq.back()).second;
    for (Q& c : r) c = -c;
    require(!r.empty());  // square-free: the chain ends in a nonzero constant
    seq.push_back(std::move(r));
  }
  Q ratio = 0;
  for (int k = 0; k < degree(p); ++k) ratio = std::max(ratio, Q(abs(p[k] / p.back())));
  int e = 1;
  while (power_of_two(e) <= 1 + ratio) ++e;
  const Q bound = power_of_two(e);  // every root has |x| < bound

  std::vector<real_root> found;
  std::vector<std::pair<Q, Q>> todo{{-bound, bound}};
  while (!todo.empty()) {
    const auto [a, b] = todo.back();
    todo.pop_back();
    const int n = variations(seq, a) - variations(seq, b);
    if (n == 1) found.push_back({&p, a, b, sign_at(p, a), false});
    if (n <= 1) continue;
    // At most three roots: one of four distinct inner points is not a root.
    Q t;
    for (const int k : {4, 3, 5, 2}) {
      t = a + (b - a) * k / 8;
      if (sign_at(p, t) != 0) break;
    }
    todo.push_back({a, t});
    todo.push_back({t, b});
  }
  for (real_root& r : found) require(r.slo != 0 && sign_at(p, r.hi) == -r.slo);
  return found;
}

// The value standing for float pattern k in 0 .. 0x7F800000 (2^128 for +inf).
Q pattern_value(std::uint32_t k) {
  if (k == 0x7F800000u) return power_of_two(128);
  return Q(static_cast<double>(std::bit_cast<float>(k)));
}

using comparison = std::function<int(const Q&)>;  // t -> sign(x - t)

// Step 4 for x >= 0.
float round_nonnegative(const comparison& cmp) {
  std::uint32_t lo = 0, hi = 0x7F800000u;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    const int c = cmp((pattern_value(mid) + pattern_value(mid + 1)) / 2);
    if (c == 0) return std::bit_cast<float>(mid % 2 == 0 ? mid : mid + 1);
    if (c < 0) hi = mid;
    else lo = mid + 1;
  }
  return std::bit_cast<float>(lo);
}

struct part {
  float value;
  bool fine;  // an exact zero, or a normal float
};

part round_part(const comparison& cmp) {
  const int s = cmp(Q(0));
  if (s == 0) return {0.0f, true};
  const float f = s > 0 ? round_nonnegative(cmp) : -round_nonnegative([&](const Q& t) { return -cmp(-t); });
  return {f, std::isnormal(f)};
}

bool rational_sqrt(const Q& x, Q& root) {
  if (sgn(x) < 0 || !mpz_perfect_square_p(x.get_num_mpz_t()) || !mpz_perfect_square_p(x.get_den_mpz_t()))
    return false;
  mpz_class n, d;
  mpz_sqrt(n.get_mpz_t(), x.get_num_mpz_t());
  mpz_sqrt(d.get_mpz_t(), x.get_den_mpz_t());
  root = Q(n, d);
  root.canonicalize();
  return true;
}

// sign(v - t) for t > 0 with v^2 = (3/4)(r - s/3)^2 + k, k = c - s^2/3 (step 5).
int compare_imaginary(real_root& r, const Q& s, const Q& c, const Q& t) {
  const Q t2 = t * t, k = c - s * s / 3, centre = s / 3;
  Q root;
  if (rational_sqrt(s * s - 3 * c + 3 * t2, root)) {
    for (const Q& x : {Q((s + 2 * root) / 3), Q((s - 2 * root) / 3)})
      if (r.compare(x) == 0) return 0;  // r = x, so H(r) = 0
  }
  for (;;) {
    const Q d1 = r.lo - centre, d2 = r.hi - centre;
    const Q hi2 = std::max(d1 * d1, d2 * d2);
    const Q lo2 = (sgn(d1) <= 0 && sgn(d2) >= 0) ? Q(0) : std::min(d1 * d1, d2 * d2);
    const Q vmin = Q(3) / 4 * lo2 + k, vmax = Q(3) / 4 * hi2 + k;
    if (vmin > t2) return 1;
    if (vmax < t2) return -1;
    require(!r.exact);  // an exact r gives vmin = vmax = v^2 != t^2
    r.halve();
  }
}

struct root_out {
  part re, im;
};

}  // namespace

solution reference(float a3, float a2, float a1, float a0) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  solution out{{{{nan, nan}, {nan, nan}, {nan, nan}}}, {{-1, -1, -1}}, {{false, false, false}}};
  const float given[4] = {a0, a1, a2, a3};
  for (const float a : given) {
    if (!std::isfinite(a)) {
      out.flag = {-2, -2, -2};
      return out;
    }
  }
  poly p;
  for (const float a : given) p.push_back(Q(static_cast<double>(a)));  // exact
  trim(p);
  if (p.empty()) {
    out.flag = {0, 0, 0};
    return out;
  }

  // Real roots (exact or isolated), collected unordered; then at most a pair.
  std::vector<real_root> reals;
  poly q = p;
  while (q[0] == 0) {  // q = x * (q / x)
    reals.push_back(real_root::rational(0));
    q.erase(q.begin());
  }
  if (degree(q) >= 1) {
    const poly g = monic_gcd(q, derivative(q));
    if (degree(g) >= 1) {
      const Q r = degree(g) == 1 ? Q(-g[0]) : Q(-g[1] / 2);
      require(sign_at(g, r) == 0);
      for (int k = 0; k <= degree(g); ++k) {
        reals.push_back(real_root::rational(r));
        const auto [quotient, remainder] = divide(q, poly{-r, 1});
        require(remainder.empty());
        q = quotient;
      }
    }
  }
  std::vector<real_root> simple;
  if (degree(q) >= 1) simple = isolate(q);
  for (real_root& r : simple) reals.push_back(r);
  for (real_root& r : reals) {  // point into q, which is no longer modified
    if (!r.exact) r.p = &q;
  }
  // Ascending (insertion sort with exact comparisons; distinct simple roots
  // have disjoint intervals).
  const auto less = [](real_root& x, real_root& y) {
    if (x.exact) return y.compare(x.lo) > 0;
    if (y.exact) return x.compare(y.lo) < 0;
    return x.hi <= y.lo;
  };
  for (std::size_t i = 1; i < reals.size(); ++i)
    for (std::size_t j = i; j > 0 && less(reals[j], reals[j - 1]); --j) std::swap(reals[j], reals[j - 1]);

  std::vector<root_out> roots;
  for (real_root& r : reals) roots.push_back({round_part([&r](const Q& t) { return r.compare(t); }), {0.0f, true}});

  const int pair_degree = degree(q) - static_cast<int>(simple.size());
  require(pair_degree == 0 || pair_degree == 2);
  if (pair_degree == 2) {
    part u, v;
    if (degree(q) == 2) {
      const Q re = -q[1] / (2 * q[2]), im2 = q[0] / q[2] - re * re;
      u = round_part([&re](const Q& t) { return sgn(re - t); });
      v = round_part([&im2](const Q& t) { return sgn(t) <= 0 ? 1 : sgn(im2 - t * t); });
    } else {
      require(degree(q) == 3 && simple.size() == 1);
      real_root& r = reals[0];
      const Q s = -q[2] / q[3], c = q[1] / q[3];
      u = round_part([&](const Q& t) { return -r.compare(s - 2 * t); });
      v = round_part([&](const Q& t) { return sgn(t) <= 0 ? 1 : compare_imaginary(r, s, c, t); });
    }
    roots.push_back({u, v});
    roots.push_back({u, {-v.value, v.fine}});
  }

  require(static_cast<int>(roots.size()) == degree(p));
  for (std::size_t k = 0; k < roots.size(); ++k) {
    out.root[k] = {roots[k].re.value, roots[k].im.value};
    out.flag[k] = roots[k].re.fine && roots[k].im.fine ? 1 : -3;
    out.written[k] = true;
  }
  return out;
}

}  // namespace qubic::test
