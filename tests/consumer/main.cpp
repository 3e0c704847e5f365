// Solves x^3 - 6x^2 + 11x - 6 through the installed library, by value and by
// reference; exit status 0 when both give the roots 3, 2 - 2^-23 and
// 1 + 2^-23 with flags 1.
#include <cstdio>

#include <qubic/qubic.hpp>
#include <qubic/solve.hpp>

int main() {
  const qubic::solution s = qubic::solve(1.0f, -6.0f, 11.0f, -6.0f);
  const qubic::coeffs array{{-6.0f, 11.0f, -6.0f, 1.0f}};  // array(k): coefficient of x^k
  qubic::roots rroot, iroot;
  qubic::flags fl;
  qubic::qubic(array, rroot, iroot, fl);
  const float want[3] = {3.0f, 0x1.fffffep+0f, 0x1.000002p+0f};
  bool ok = s.solved();
  for (int k = 0; k < 3; ++k) {
    ok = ok && s.written[k] && s.root[k].real() == want[k] && s.root[k].imag() == 0.0f;
    ok = ok && fl(k + 1) == qubic::flag::found && rroot(k + 1) == want[k];
  }
  std::printf("consumer: %s (%s)\n", ok ? "ok" : "WRONG", qubic::flag_meaning(s.flag[0]).data());
  return ok ? 0 : 1;
}
