// solve_low: the lower degrees of the exact engine (solve_low.hpp).
#include "exact/solve_low.hpp"

#include <cstdint>

#include "exact/big.hpp"
#include "exact/part.hpp"

namespace qubic::exact {

namespace {

// Number of the roots r1 < r2 (two distinct, real) of b x^2 + c x + d below
// m, from the signs of p and p' taken with the sign of b: p < 0 strictly
// between the roots, and p > 0 outside, falling left of them (p' < 0) and
// rising right.  Returns sign(r_i - m).  Example (x^2 - 3x + 2, roots 1
// and 2): at m = 1.5, p = -1/4 < 0, one root below: two_side(big, 1, 1, 1.5)
// = -1, two_side(big, 1, 2, 1.5) = +1.
int two_side(big_low& big, int sb, int i, double m) {
  const int P = sb * big.p_sign(m);
  const int P1 = sb * big.dp_sign(m);
  if (P == 0) {  // m is a root: r1 where p' < 0, else r2
    const int k = P1 < 0 ? 1 : 2;
    return i > k ? 1 : (i < k ? -1 : 0);
  }
  const int below = P < 0 ? 1 : (P1 < 0 ? 0 : 2);
  return below >= i ? -1 : 1;
}

}  // namespace

void solve_low(float b, float c, float d, solution& out) {
  if (b == 0.0f && c == 0.0f) {
    const std::int32_t f = d == 0.0f ? 0 : -1;
    for (int k = 0; k < 3; ++k) out.flag[k] = f;
    return;
  }
  big_low big(b, c, d);
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
      auto side = [&](double m) { return two_side(big, sb, i, m); };
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

}  // namespace qubic::exact
