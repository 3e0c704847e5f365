// Solves x^3 - 6x^2 + 11x - 6 through the installed library; exit status 0
// when the roots are 3, 2 - 2^-23 and 1 + 2^-23 with flags 1 and the
// by-reference entry agrees.
#include <cstdio>

#include <qubic/qubic.hpp>
#include <qubic/solve.hpp>

int main() {
  const qubic::solution s = qubic::solve(1.0f, -6.0f, 11.0f, -6.0f);
  const float want[3] = {3.0f, 0x1.fffffep+0f, 0x1.000002p+0f};
  bool ok = s.solved();
  for (int k = 0; k < 3; ++k) {
    ok = ok && s.written[k] && s.root[k].real() == want[k] && s.root[k].imag() == 0.0f;
    std::printf("root %d: %.9g %+.9gi flag %d (%s)\n", k + 1, static_cast<double>(s.root[k].real()),
                static_cast<double>(s.root[k].imag()), s.flag[k], qubic::flag_meaning(s.flag[k]).data());
  }

  const qubic::coeffs array{{-6.0f, 11.0f, -6.0f, 1.0f}};  // array(k): coefficient of x^k
  qubic::roots rroot, iroot;
  qubic::flags fl;
  qubic::qubic(array, rroot, iroot, fl);
  for (int k = 1; k <= 3; ++k) ok = ok && fl(k) == qubic::flag::found && rroot(k) == want[k - 1];

  std::puts(ok ? "consumer: ok" : "consumer: WRONG");
  return ok ? 0 : 1;
}
