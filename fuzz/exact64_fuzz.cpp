// Fuzz target: the double exact engine against the exact rational reference
// of the test suite (tests/exact/reference.cpp) on arbitrary coefficient bit
// patterns.
//
// Input: 32 bytes, four little-endian binary64 patterns a3, a2, a1, a0
// (highest power first); shorter inputs are padded with zero bytes, longer
// ones cut.  solve_exact_double() must agree with the reference on every
// flag and written entry, on every bit of every written part, and leave NaN
// in both parts of an unwritten root; qubic_exact_double() must write the
// same entries and keep the caller's bits in the others.
#include <qubic/exact.hpp>

#include "exact/reference.hpp"
#include "fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  const qubic::coeffs_double a = load_coeffs_double(data, size);

  const qubic::solution_double e = qubic::solve_exact_double(a(3), a(2), a(1), a(0));
  const qubic::solution_double r = qubic::test::reference_double(a(3), a(2), a(1), a(0));
  const double f = std::bit_cast<double>(fill64);
  qubic::roots_double re{{f, f, f}}, im{{f, f, f}};
  qubic::flags fl{{7, 7, 7}};
  qubic::qubic_exact_double(a, re, im, fl);
  for (int k = 0; k < 3; ++k) {
    check(e.flag[k] == r.flag[k] && e.written[k] == r.written[k] && fl(k + 1) == e.flag[k]);
    if (e.written[k]) {
      check(bits(e.root[k].real()) == bits(r.root[k].real()) && bits(e.root[k].imag()) == bits(r.root[k].imag()));
      check(bits(re(k + 1)) == bits(e.root[k].real()) && bits(im(k + 1)) == bits(e.root[k].imag()));
    } else {
      check(std::isnan(e.root[k].real()) && std::isnan(e.root[k].imag()));
      check(bits(re(k + 1)) == fill64 && bits(im(k + 1)) == fill64);
    }
  }
  return 0;
}
