#include <complex>
#include <cstdint>
#include <cstdio>
#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

int main() {
  // The solver on x^3 - 6x^2 + 11x - 6 = (x - 1)(x - 2)(x - 3): a flag per root.
  const qubic::solution s = qubic::solve(1, -6, 11, -6);
  std::printf("solve  %.8g %.8g %.8g  flags %d %d %d: %s\n", s.root[0].real(), s.root[1].real(),
              s.root[2].real(), s.flag[0], s.flag[1], s.flag[2], qubic::flag_meaning(s.flag[0]).data());
  // The exact engine: every part correctly rounded, in float and in double.
  const qubic::solution e = qubic::solve_exact(1, -6, 11, -6);
  std::printf("solve_exact  %.8g %.8g %.8g\n", e.root[0].real(), e.root[1].real(), e.root[2].real());
  const qubic::solution_double d = qubic::solve_exact_double(1, 0, 0, 3);  // x^3 + 3
  std::printf("solve_exact_double  %.17g\n", d.root[0].real());
  // Many cubics at once, rows a3 a2 a1 a0: the bits of solve_exact, several cubics per instruction.
  const float c[8] = {1, -6, 11, -6, 1, 0, 0, 3};
  std::complex<float> r[6];
  std::int32_t f[6];
  bool ok[2];
  qubic::solve_exact_batch(c, r, f, ok);
  std::printf("solve_exact_batch  %.8g%+.8gi  solved %d %d\n", r[4].real(), r[4].imag(), ok[0], ok[1]);
  return s.solved() && e.solved() && d.solved() && ok[0] && ok[1] ? 0 : 1;
}
