// Fuzz target: the exact engine against the exact rational reference of the
// test suite (tests/exact/reference.cpp) on arbitrary coefficient bit patterns.
//
// Input: 16 bytes, four little-endian binary32 patterns a3, a2, a1, a0
// (highest power first); shorter inputs are padded with zero bytes, longer
// ones cut.  solve_exact() must agree with the reference on every flag and
// written entry, on every bit of every written part, and leave NaN in both
// parts of an unwritten root; qubic_exact() must write the same entries and
// keep the caller's bits in the others.
#include <qubic/exact.hpp>

#include "exact/reference.hpp"
#include "fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  const qubic::coeffs a = load_coeffs(data, size);

  const qubic::solution e = qubic::solve_exact(a(3), a(2), a(1), a(0));
  const qubic::solution r = qubic::test::reference(a(3), a(2), a(1), a(0));
  const float f = std::bit_cast<float>(fill);
  qubic::roots re{{f, f, f}}, im{{f, f, f}};
  qubic::flags fl{{7, 7, 7}};
  qubic::qubic_exact(a, re, im, fl);
  for (int k = 0; k < 3; ++k) {
    check(e.flag[k] == r.flag[k] && e.written[k] == r.written[k] && fl(k + 1) == e.flag[k]);
    if (e.written[k]) {
      check(bits(e.root[k].real()) == bits(r.root[k].real()) && bits(e.root[k].imag()) == bits(r.root[k].imag()));
      check(bits(re(k + 1)) == bits(e.root[k].real()) && bits(im(k + 1)) == bits(e.root[k].imag()));
    } else {
      check(std::isnan(e.root[k].real()) && std::isnan(e.root[k].imag()));
      check(bits(re(k + 1)) == fill && bits(im(k + 1)) == fill);
    }
  }
  return 0;
}
