// qubic_reference: the test suite's exact reference (reference.cpp) as a
// filter, so that tools/reference_check.py can check it against mpmath.
//
// Each input line is a precision letter and four coefficients a3 a2 a1 a0
// (anything strtod reads, hexadecimal floating constants included):
//     d 0x1p+0 0 0 3        (a double cubic: x^3 + 3)
//     f 1 0 0 3             (a float cubic; a value must be a float exactly)
// Each output line is the three flags, then the real and imaginary parts of
// roots 1 .. 3 as hexadecimal floating constants, "-" for an unwritten root:
//     1 1 1 -0x1.7137449123ef6p+0 0x0p+0 0x1.7137449123ef6p-1 ...
// A line it cannot read ends the program with status 2 and a message naming
// the line.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exact/reference.hpp"

namespace {

template <class Real>
void print(const qubic::basic_solution<Real>& s) {
  std::printf("%d %d %d", s.flag[0], s.flag[1], s.flag[2]);
  for (int k = 0; k < 3; ++k) {
    if (s.written[k]) std::printf(" %a %a", static_cast<double>(s.root[k].real()), static_cast<double>(s.root[k].imag()));
    else std::printf(" - -");
  }
  std::printf("\n");
}

}  // namespace

int main() {
  char line[1024];
  for (long n = 1; std::fgets(line, sizeof line, stdin) != nullptr; ++n) {
    char kind = 0;
    char field[4][256];
    double a[4];
    bool ok = std::sscanf(line, " %c %255s %255s %255s %255s", &kind, field[0], field[1], field[2], field[3]) == 5 &&
              (kind == 'd' || kind == 'f');
    for (int k = 0; ok && k < 4; ++k) {
      char* end = nullptr;
      a[k] = std::strtod(field[k], &end);
      ok = *end == '\0' && (kind == 'd' || std::isnan(a[k]) || static_cast<double>(static_cast<float>(a[k])) == a[k]);
    }
    if (!ok) {
      std::fprintf(stderr, "qubic_reference: standard input, line %ld: expected d or f and four numbers a3 a2 a1 a0\n", n);
      return 2;
    }
    if (kind == 'd') print(qubic::test::reference_double(a[0], a[1], a[2], a[3]));
    else print(qubic::test::reference(static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2]), static_cast<float>(a[3])));
    std::fflush(stdout);
  }
  return 0;
}
