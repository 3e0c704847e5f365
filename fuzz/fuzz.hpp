// Helpers shared by the fuzz targets: a check that aborts (libFuzzer then
// keeps the input), bit patterns read from input bytes, the exact engine's
// check against the reference (exact_fuzz.cpp, exact64_fuzz.cpp) and the
// batch paths' check against the scalar engine (batch_fuzz.cpp,
// batch64_fuzz.cpp), each for float or double.  It brings the library
// headers and the standard headers the targets use.
#ifndef QUBIC_FUZZ_FUZZ_HPP
#define QUBIC_FUZZ_FUZZ_HPP

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

#include <qubic/exact.hpp>
#include <qubic/qubic.hpp>

namespace qubic::fuzz {

inline void check(bool ok) { if (!ok) std::abort(); }

template <class Real>
using word = std::conditional_t<sizeof(Real) == 4, std::uint32_t, std::uint64_t>;

template <class Real>
word<Real> bits(Real x) { return std::bit_cast<word<Real>>(x); }

// Quiet NaNs with a payload that no computation produces: outputs that must
// stay untouched are prefilled with them.
template <class Real>
inline constexpr word<Real> fill = static_cast<word<Real>>(sizeof(Real) == 4 ? 0x7FE5A5A5u : 0x7FFA5A5A5A5A5A5Au);

// The pattern of a Real in p[0 .. sizeof(Real) - 1], little-endian.
template <class Real>
word<Real> load_word(const std::uint8_t* p) {
  word<Real> u = 0;
  for (int b = sizeof(Real) - 1; b >= 0; --b) u = static_cast<word<Real>>(u << 8 | p[b]);
  return u;
}
template <class Real>
Real load(const std::uint8_t* p) { return std::bit_cast<Real>(load_word<Real>(p)); }

// Four patterns a3, a2, a1, a0 (highest power first, as in a coefficient
// record) from the first 4 sizeof(Real) bytes; a shorter input is padded
// with zero bytes.
template <class Real>
qubic::vec<Real, 0, 3> load_coeffs(const std::uint8_t* data, std::size_t size) {
  std::uint8_t raw[4 * sizeof(Real)] = {};
  std::memcpy(raw, data, std::min(size, sizeof raw));
  qubic::vec<Real, 0, 3> a;
  for (int k = 0; k < 4; ++k) a(3 - k) = load<Real>(raw + sizeof(Real) * k);
  return a;
}

// On the cubic in the input, solve() must agree with the reference on every
// flag and written entry, on every bit of every written part, and leave NaN
// in both parts of an unwritten root; by_reference() must write the same
// entries and keep the caller's bits (the fill pattern) in the others.
template <class Real, class Solve, class Reference, class ByReference>
void check_exact(const std::uint8_t* data, std::size_t size, Solve solve, Reference reference, ByReference by_reference) {
  const auto a = load_coeffs<Real>(data, size);
  const auto e = solve(a(3), a(2), a(1), a(0));
  const auto r = reference(a(3), a(2), a(1), a(0));
  const Real f = std::bit_cast<Real>(fill<Real>);
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
      check(bits(re(k + 1)) == fill<Real> && bits(im(k + 1)) == fill<Real>);
    }
  }
}

// The batch targets' input: one layout byte, then little-endian Real
// patterns, any number (a trailing partial pattern is dropped), each passed
// through pattern().  The layout byte gives the row stride 4 + (b & 7)
// coefficients, the column stride +1 or, with bit 3, -1 (the constant
// first), and a shift of (b >> 4) & 3 coefficients off the vector alignment;
// the cubics are as many rows as the patterns fill.  On every vector target
// (targets(), force(t)) entry(first, n, row, col, roots, flags, solved)
// must give the scalar engine's bits for every written entry (roots, flags,
// solved), and the entries past the last cubic must keep their fill.
template <class Real, class Pattern, class Entry, class Scalar, class Targets, class Force>
void check_batch(const std::uint8_t* data, std::size_t size, Pattern pattern, Entry entry, Scalar scalar, Targets targets,
                 Force force) {
  constexpr std::size_t most = 4096, tail = 2;
  if (size == 0 || (size - 1) / sizeof(Real) > most) return;
  const std::ptrdiff_t row = 4 + (data[0] & 7), col = (data[0] & 8) != 0 ? -1 : 1;
  alignas(64) Real store[64 / sizeof(Real) + most];
  Real* buf = store + ((data[0] >> 4) & 3);
  const std::size_t m = (size - 1) / sizeof(Real), n = m >= 4 ? (m - 4) / static_cast<std::size_t>(row) + 1 : 0;
  for (std::size_t k = 0; k < m; ++k) buf[k] = pattern(load_word<Real>(data + 1 + sizeof(Real) * k));
  const Real* first = col > 0 ? buf : buf + 3;  // coefficient j of cubic i at first[i * row + j * col]
  const Real fill_value = std::bit_cast<Real>(fill<Real>);
  for (const std::int64_t target : targets()) {
    force(target);
    std::vector<std::complex<Real>> roots(3 * n + tail, {fill_value, fill_value});
    std::vector<std::int32_t> flags(3 * n + tail, 7);
    std::vector<char> solved(n + tail, 2);
    entry({first, n, row, col}, roots.data(), flags.data(), reinterpret_cast<bool*>(solved.data()));
    for (std::size_t i = 0; i < n; ++i) {
      const Real* c = first + static_cast<std::ptrdiff_t>(i) * row;
      const auto s = scalar(c[0], c[col], c[2 * col], c[3 * col]);
      check(solved[i] == static_cast<char>(s.solved()));
      for (int k = 0; k < 3; ++k) {
        const std::complex<Real> r = roots[3 * i + k];
        check(flags[3 * i + k] == s.flag[k]);
        check(bits(r.real()) == bits(s.root[k].real()) && bits(r.imag()) == bits(s.root[k].imag()));
      }
    }
    for (std::size_t t = 0; t < tail; ++t) {
      check(bits(roots[3 * n + t].real()) == fill<Real> && flags[3 * n + t] == 7 && solved[n + t] == 2);
    }
  }
  force(0);
}

}  // namespace qubic::fuzz

#endif  // QUBIC_FUZZ_FUZZ_HPP
