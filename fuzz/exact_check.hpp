// The check shared by the exact engine's fuzz targets, in either precision
// (exact_fuzz.cpp for float, exact64_fuzz.cpp for double): on one cubic,
// solve() must agree with the reference on every flag and written entry, on
// every bit of every written part, and leave NaN in both parts of an
// unwritten root; by_reference() must write the same entries and keep the
// caller's bits (the fill pattern) in the others.
#ifndef QUBIC_FUZZ_EXACT_CHECK_HPP
#define QUBIC_FUZZ_EXACT_CHECK_HPP

#include "fuzz.hpp"

namespace qubic::fuzz {

template <class Real, class Coeffs, class Solve, class Reference, class ByReference>
void check_exact(const Coeffs& a, Solve solve, Reference reference, ByReference by_reference, decltype(bits(Real{})) fill) {
  const auto e = solve(a(3), a(2), a(1), a(0));
  const auto r = reference(a(3), a(2), a(1), a(0));
  const Real f = std::bit_cast<Real>(fill);
  qubic::vec<Real, 1, 3> re{{f, f, f}}, im{{f, f, f}};
  qubic::flags fl{{7, 7, 7}};
  by_reference(a, re, im, fl);
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
}

}  // namespace qubic::fuzz

#endif  // QUBIC_FUZZ_EXACT_CHECK_HPP
