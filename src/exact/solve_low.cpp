// solve_low: the polynomials that reduce to a quadratic or less
// (solve_low.hpp).
#include "exact/solve_low.hpp"

#include <cstdint>

#include "exact/part.hpp"
#include "exact/quadratic.hpp"

namespace qubic::exact {

void solve_low(float b, float c, float d, solution& out) {
  if (b == 0.0f && c == 0.0f) {
    const std::int32_t f = d == 0.0f ? 0 : -1;
    for (int k = 0; k < 3; ++k) out.flag[k] = f;
    return;
  }
  out.flag[2] = -1;
  if (b == 0.0f) {
    out.flag[1] = -1;
    put_real(out, 0, solve_linear(c, d));
    return;
  }
  const quadratic_roots q = solve_quadratic(b, c, d);
  put(out, 0, q.re[0], q.im[0]);
  put(out, 1, q.re[1], q.im[1]);
}

// The exact root 0 goes after the quadratic's real roots of negative value
// (their order is exact already); before a pair.
void solve_zero_root(float a, float b, float c, solution& out) {
  const quadratic_roots q = solve_quadratic(a, b, c);
  const part zero{0.0f, false};
  if (q.pair) {
    put_real(out, 0, zero);
    put(out, 1, q.re[0], q.im[0]);
    put(out, 2, q.re[1], q.im[1]);
    return;
  }
  const int below = (value_sign(q.re[0]) < 0) + (value_sign(q.re[1]) < 0);
  const part r[3] = {below > 0 ? q.re[0] : zero, below == 0 ? q.re[0] : (below == 1 ? zero : q.re[1]),
                     below == 2 ? zero : q.re[1]};
  for (int k = 0; k < 3; ++k) put_real(out, k, r[k]);
}

}  // namespace qubic::exact
