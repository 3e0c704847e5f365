// The reference: every root of a float or double cubic, correctly rounded to
// the coefficients' format, by exact rational arithmetic (GMP's mpq).  Every
// decision below is a sign or a comparison of exact rationals, so the answer
// is proven, not estimated:
//
// 1. The coefficients are converted exactly (a finite float or double is a
//    dyadic rational).  Zero roots are divided out exactly (x | p when
//    p(0) = 0).
// 2. Multiple roots: g = gcd(q, q') over Q.  For degree <= 3, deg g = 1 means
//    one double root, deg g = 2 means g = (x - r)^2, a triple root (two double
//    roots would need degree 4).  Either way r is rational (a root of a
//    rational linear g, or -g1/2 of the monic g), it is divided out exactly,
//    and what remains is square-free.
// 3. Real roots of the square-free rest: the i-th smallest is known by the
//    oracle sign(r_i - t) for rational t, from Sturm counts of the roots at or
//    below t and, once an interval holds r_i alone, from the sign of q(t)
//    (sturm.hpp).
// 4. Rounding: for a value x >= 0, the patterns 0 .. +inf of the format
//    increase with their values (+inf standing for 2^128, or 2^1024 for
//    double), and x rounds to pattern k when it lies strictly between the
//    midpoints of (k-1, k) and (k, k+1); at a midpoint, to the even pattern
//    (the even significand; from the largest finite value, 2^128 - 2^103 or
//    2^1024 - 2^970 goes to +inf, from 0, 2^-150 or 2^-1075 to +0).  A
//    binary search over patterns with exact comparisons sign(x - midpoint)
//    finds k.  A negative x rounds as -(round(-x)).
// 5. A complex pair u +- iv of a cubic q = x^3 + b x^2 + c x + d (divided by
//    its leading coefficient) with real root r; s := -b = r + 2u.  Each part
//    is again the only real root of a polynomial, so step 3 applies:
//    * u: the numbers (s - r_i)/2 over the three roots are the roots of
//      q(s - 2x); (s - r)/2 = u is real, (s - (u +- iv))/2 = (r + u -+ iv)/2
//      is not.
//    * w = u^2 + v^2, the product of the pair: the products r_i r_j of two
//      roots are the roots of y^3 - c y^2 + bd y - d^2 (their sum is c, the
//      sum of their pairwise products r1 r2 r3 (r1 + r2 + r3) = bd, their
//      product d^2); r (u +- iv) is not real, as r != 0 (zero roots were
//      divided out).
//    sign(v - t) = sign(w - u^2 - t^2) for t > 0: the intervals of u and w
//    narrow until the range of w - u^2 over them excludes t^2, which ends
//    unless v = t exactly.  That tie is decided through r: from
//    2ur + u^2 + v^2 = c, v^2 = (3/4)(r - s/3)^2 + c - s^2/3, so v = t when
//    H(r) = 0 with H(x) = (3/4) x^2 - (s/2) x + c - s^2/4 - t^2.  If H(r) = 0
//    then r is rational: an irrational r has a minimal polynomial of degree 2
//    or 3 dividing q; degree 3 cannot also divide H, and degree 2 would give
//    r a real conjugate, a second real root of q, which has only one.  So
//    v = t exactly when one of H's roots (s +- 2 sqrt(s^2 - 3c + 3t^2)) / 3
//    is rational (the radicand a square of a rational) and equals r (step
//    3's exact comparison).  For a quadratic the pair is u = -q1 / (2 q2),
//    v^2 = q0 / q2 - u^2, both rational and compared exactly.
#include "exact/reference.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "exact/sturm.hpp"

namespace qubic::test {
namespace {

using namespace exact;

void require(bool ok) {  // an assumption of the proof failed: stop loudly
  if (!ok) std::abort();
}

// The binary formats: bit patterns of the same width, +inf's pattern, the
// significand's stored bits, and the exponent of a subnormal's last bit.
template <class Real>
struct format;
template <>
struct format<float> {
  using bits = std::uint32_t;
  static constexpr bits inf = 0x7F800000u;
  static constexpr int fraction_bits = 23, min_exponent = -149;
};
template <>
struct format<double> {
  using bits = std::uint64_t;
  static constexpr bits inf = 0x7FF0000000000000u;
  static constexpr int fraction_bits = 52, min_exponent = -1074;
};

// The midpoint of the values of patterns k and k+1 (0 <= k < +inf's): with
// value(k) = M 2^E, M its integer significand and 2^E its spacing (the
// exponent field e gives E = e - 1 + min_exponent, e = 0 gives E =
// min_exponent and no hidden bit), value(k+1) = (M + 1) 2^E, also across a
// binade (M + 1 = 2^(p+1) there) and from the largest finite value to +inf,
// which stands for 2^128 or 2^1024 = (M + 1) 2^E.  So the midpoint is
// (2M + 1) 2^(E-1).
template <class Real>
Q midpoint(typename format<Real>::bits k) {
  using f = format<Real>;
  const auto field = static_cast<int>(k >> f::fraction_bits);
  const typename f::bits fraction = k & ((typename f::bits{1} << f::fraction_bits) - 1);
  const std::uint64_t m = field == 0 ? fraction : fraction | typename f::bits{1} << f::fraction_bits;
  const int e = (field == 0 ? f::min_exponent : field - 1 + f::min_exponent) - 1;
  Q x(static_cast<unsigned long>(2 * m + 1));
  return x * power_of_two(e);
}

using comparison = std::function<int(const Q&)>;  // t -> sign(x - t)

// Step 4 for x >= 0.
template <class Real>
Real round_nonnegative(const comparison& cmp) {
  using bits = typename format<Real>::bits;
  bits lo = 0, hi = format<Real>::inf;
  while (lo < hi) {
    const bits mid = lo + (hi - lo) / 2;
    const int c = cmp(midpoint<Real>(mid));
    if (c == 0) return std::bit_cast<Real>(mid % 2 == 0 ? mid : mid + 1);
    if (c < 0) hi = mid;
    else lo = mid + 1;
  }
  return std::bit_cast<Real>(lo);
}

template <class Real>
struct part {
  Real value;
  bool fine;  // an exact zero, or a normal value
};

template <class Real>
part<Real> round_part(const comparison& cmp) {
  const int s = cmp(Q(0));
  if (s == 0) return {Real(0), true};
  const Real f = s > 0 ? round_nonnegative<Real>(cmp) : -round_nonnegative<Real>([&](const Q& t) { return -cmp(-t); });
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

// sign(v - t) for t > 0 (step 5), from the pair's real part u and product w,
// with the cubic's real root r and s, c for the tie.  The test for a tie
// waits until a few narrowings have not settled the sign: it is rarely
// needed and costly.
int compare_imaginary(real_root& u, real_root& w, real_root& r, const Q& s, const Q& c, const Q& t) {
  const Q t2 = t * t;
  u.bounded();
  w.bounded();
  for (int round = 0;; ++round) {
    const Q lo2 = u.lo() * u.lo(), hi2 = u.hi() * u.hi();
    const Q u2max = std::max(lo2, hi2);
    const Q u2min = (sgn(u.lo()) <= 0 && sgn(u.hi()) >= 0) ? Q(0) : std::min(lo2, hi2);
    if (w.lo() - u2max > t2) return 1;
    if (w.hi() - u2min < t2) return -1;
    if (round == 4) {
      Q root;
      if (rational_sqrt(s * s - 3 * c + 3 * t2, root)) {
        for (const Q& x : {Q((s + 2 * root) / 3), Q((s - 2 * root) / 3)})
          if (r.compare(x) == 0) return 0;  // r = x, so H(r) = 0
      }
    }
    require(round < 4 || !u.is_rational() || !w.is_rational());  // exact u, w would give v^2 != t^2
    if (w.hi() - w.lo() >= u2max - u2min) w.narrow();  // the wider of the two ranges
    else u.narrow();
  }
}

template <class Real>
struct root_out {
  part<Real> re, im;
};

template <class Real>
basic_solution<Real> solve(Real a3, Real a2, Real a1, Real a0) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  basic_solution<Real> out{{{{nan, nan}, {nan, nan}, {nan, nan}}}, {{-1, -1, -1}}, {{false, false, false}}};
  const Real given[4] = {a0, a1, a2, a3};
  for (const Real a : given) {
    if (!std::isfinite(a)) {
      out.flag = {-2, -2, -2};
      return out;
    }
  }
  poly p;
  for (const Real a : given) p.push_back(Q(static_cast<double>(a)));  // exact
  trim(p);
  if (p.empty()) {
    out.flag = {0, 0, 0};
    return out;
  }

  // Real roots: exact ones (zero, the multiple root) and the square-free
  // rest's, in any order; then at most a pair.
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
  const bool reduced = reals.size() > 0;  // q is no longer p
  std::optional<sturm_chain> chain;  // of the square-free rest, which stays in place from here on
  if (degree(q) >= 1) chain.emplace(q);
  const int simple = chain ? chain->roots() : 0;
  for (int i = 1; i <= simple; ++i) reals.emplace_back(*chain, i);
  // Ascending (insertion sort with exact comparisons; the chain's roots are
  // already in order and distinct from the exact ones).
  const auto less = [](real_root& x, real_root& y) {
    if (x.is_rational() && y.is_rational()) return x.value() < y.value();
    if (x.is_rational()) return y.compare(x.value()) > 0;
    if (y.is_rational()) return x.compare(y.value()) < 0;
    return false;  // two roots of the chain, already ascending
  };
  for (std::size_t i = 1; i < reals.size(); ++i)
    for (std::size_t j = i; j > 0 && less(reals[j], reals[j - 1]); --j) std::swap(reals[j], reals[j - 1]);

  std::vector<root_out<Real>> roots;
  for (real_root& r : reals) roots.push_back({round_part<Real>([&r](const Q& t) { return r.compare(t); }), {Real(0), true}});

  const int pair_degree = degree(q) - simple;
  require(pair_degree == 0 || pair_degree == 2);
  if (pair_degree == 2) {
    part<Real> u, v;
    if (degree(q) == 2) {
      const Q re = -q[1] / (2 * q[2]), im2 = q[0] / q[2] - re * re;
      u = round_part<Real>([&re](const Q& t) { return sgn(re - t); });
      v = round_part<Real>([&im2](const Q& t) { return sgn(t) <= 0 ? 1 : sgn(im2 - t * t); });
    } else {
      require(degree(q) == 3 && !reduced && simple == 1);
      real_root& r = reals[0];
      const Q b = q[2] / q[3], c = q[1] / q[3], d = q[0] / q[3], s = -b;
      const sturm_chain of_u(compose(q, {s, -2})), of_w({-d * d, b * d, -c, 1});
      require(of_u.roots() == 1 && of_w.roots() == 1);
      real_root ur(of_u, 1), wr(of_w, 1);
      u = round_part<Real>([&](const Q& t) { return ur.compare(t); });
      v = round_part<Real>([&](const Q& t) { return sgn(t) <= 0 ? 1 : compare_imaginary(ur, wr, r, s, c, t); });
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

}  // namespace

solution reference(float a3, float a2, float a1, float a0) { return solve(a3, a2, a1, a0); }

solution_double reference_double(double a3, double a2, double a1, double a0) { return solve(a3, a2, a1, a0); }

float nearest_float(const Q& x) { return round_part<float>([&x](const Q& t) { return sgn(x - t); }).value; }

}  // namespace qubic::test
