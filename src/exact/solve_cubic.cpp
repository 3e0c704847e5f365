// solve_cubic: the cubic case of the exact engine (solve_cubic.hpp).
//
// The plan, argued in docs/exact.md:
//  0. A zero constant term leaves the exact root 0 and a quadratic, whose
//     closed forms decide everything (solve_low.hpp).
//  1. The sign of the discriminant, exactly (double filter, compensated sum
//     of its exact parts, their exact expansion), fixes the kind of roots:
//     three distinct real ones, one real one and a complex pair, or a
//     multiple root (then every root is rational: multiple.hpp).
//  2. Each part of each root is the unique real x of a sign oracle
//     side(m) = sign(x - m), exact at every float midpoint m: p's sign for a
//     lone real root, the count of roots below m (signs of p, p', p'') for
//     three, the cubic q for the real part of the pair, the resolvent R for
//     its imaginary part, a linear form for a rational root.
//  3. A double approximation names a float; two oracle calls at the
//     midpoints around it confirm it, or the search walks to the right cell
//     (cells.hpp).  Every oracle call is a double filter first, then an
//     exact-parts sum, then the exact expansion of the parts (GMP for the
//     resolvent only): the result is exact either way, so the float found
//     is the correctly rounded value, ties to even included.
#include "exact/solve_cubic.hpp"

#include <cstdint>

#include "exact/approx.hpp"
#include "exact/cells.hpp"
#include "exact/cubic_signs.hpp"
#include "exact/multiple.hpp"
#include "exact/part.hpp"
#include "exact/solve_low.hpp"
#include "exact/stats.hpp"
#include "exact/three_side.hpp"

namespace qubic::exact {

counters& stats() {
  static thread_local counters c;
  return c;
}

void solve_cubic(float a, float b, float c, float d, solution& out) {
  if (d == 0.0f) {  // x (a x^2 + b x + c): the quadratic's closed forms
    solve_zero_root(a, b, c, out);
    return;
  }
  cubic_signs s(a, b, c, d);
  const int sa = a > 0.0f ? 1 : -1;
  const int sd = s.disc();
  if (sd == 0) {  // a multiple root: every root is rational
    solve_multiple(a, b, c, d, s, out);
    return;
  }
  ++stats().first_guesses;
  const guesses g = approx_roots(a, b, c, d, sd > 0);
  if (sd > 0) {
    // Three disjoint cells, ascending, each with a strict sign change of p,
    // hold an odd number of roots each; three roots in all, so exactly one
    // each, in order: every guess is confirmed by p alone.
    // Filter signs only, in straight-line code; a sign left open fails
    // the test (0 is neither side).
    // A cell where both signs are decided and equal holds no root (or
    // two): that guess is wrong, and so are, likely, its neighbours in a
    // cluster; guesses that collide likewise.  Then second guesses.
    std::int64_t k[3];
    for (int i = 0; i < 3; ++i) k[i] = guess_key(g.x[i]);
    bool wrong = !(k[0] < k[1] && k[1] < k[2]);
    if (k[0] > -inf_key && k[2] < inf_key && !wrong && k[0] != 0 && k[1] != 0 && k[2] != 0) {
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
      wrong = lo[0] * hi[0] > 0 || lo[1] * hi[1] > 0 || lo[2] * hi[2] > 0;
    }
    if (wrong) ++stats().second_guesses;
    const guesses h = wrong ? approx_cluster(a, b, c, d, true, g) : g;
    for (int i = 1; i <= 3; ++i) {
      auto side = [&](double m) { return three_side(s, sa, i, m); };
      put_real(out, i - 1, round_part(side, h.x[i - 1]));
    }
    return;
  }
  // The common case in straight-line code (the six signs are independent,
  // so the processor overlaps them): each guess confirmed by filter signs at
  // the two midpoints around it.  p changes sign once (disc < 0), q is
  // increasing through its only real root u, and R(-4 a^2 m^2) > 0 exactly
  // for 0 <= m < v.  Key 0 (an exact or lost zero) and the cells beside
  // infinity take the general path.
  bool wrong = false;  // a cell shown to miss its part: second guesses
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
      wrong = r1 * r2 > 0 || u1 * u2 > 0 || v1 * v2 > 0;
    }
  }
  if (wrong) ++stats().second_guesses;
  const guesses h = wrong ? approx_cluster(a, b, c, d, false, g) : g;
  auto real_side = [&](double m) { return -sa * s.p(m); };
  put_real(out, 0, round_part(real_side, h.x[0]));
  auto re_side = [&](double m) { return -s.q(m); };
  const part u = round_part(re_side, h.re);
  auto im_side = [&](double m) { return s.im_side(m); };
  const part v = round_part(im_side, s.im_guess(h.im), 0);
  put(out, 1, u, v);
  put(out, 2, u, part{-v.f, v.lost});
}

}  // namespace qubic::exact
