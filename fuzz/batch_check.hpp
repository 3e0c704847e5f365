// The check shared by the batch paths' fuzz targets (batch_fuzz.cpp for
// float cubics, batch64_fuzz.cpp for double ones): on every vector target
// the entry's answers for the n cubics at first (strides row, col) are the
// scalar engine's, bit for bit (roots, flags, solved), and the entries past
// the last cubic keep their fill.
#ifndef QUBIC_FUZZ_BATCH_CHECK_HPP
#define QUBIC_FUZZ_BATCH_CHECK_HPP

#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz.hpp"

namespace qubic::fuzz {

// The layout byte of both targets: row stride 4 + (b & 7) coefficients,
// column stride +1 or, with bit 3, -1 (the constant first), and a shift of
// (b >> 4) & 3 coefficients off the vector alignment.
struct layout {
  std::ptrdiff_t row, col;
  std::size_t shift;
  explicit layout(std::uint8_t b) : row(4 + (b & 7)), col((b & 8) != 0 ? -1 : 1), shift((b >> 4) & 3u) {}
  // The cubics that m coefficients hold, as rows.
  std::size_t cubics(std::size_t m) const { return m >= 4 ? (m - 4) / static_cast<std::size_t>(row) + 1 : 0; }
  // Coefficient j of cubic i at first(buf)[i * row + j * col].
  template <class Real>
  const Real* first(const Real* buf) const { return col > 0 ? buf : buf + 3; }
};

// entry(first, n, row, col, roots, flags, solved) runs the batch path;
// scalar(a3, a2, a1, a0) the scalar engine; targets() and force(t) choose
// the vector variant.
template <class Real, class Entry, class Scalar, class Targets, class Force>
void check_batch(const Real* first, std::size_t n, std::ptrdiff_t row, std::ptrdiff_t col, Real fill_value,
                 Entry entry, Scalar scalar, Targets targets, Force force) {
  constexpr std::size_t tail = 2;
  for (const std::int64_t target : targets()) {
    force(target);
    std::vector<std::complex<Real>> roots(3 * n + tail, {fill_value, fill_value});
    std::vector<std::int32_t> flags(3 * n + tail, 7);
    std::vector<char> solved(n + tail, 2);
    entry(first, n, row, col, roots.data(), flags.data(), reinterpret_cast<bool*>(solved.data()));
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
      check(bits(roots[3 * n + t].real()) == bits(fill_value) && flags[3 * n + t] == 7 && solved[n + t] == 2);
    }
  }
  force(0);
}

}  // namespace qubic::fuzz

#endif  // QUBIC_FUZZ_BATCH_CHECK_HPP
