// drive: the outer loop of both batch entries (solve_exact_batch.cpp for
// float cubics, src/batch64 for double ones): blocks of block_size cubics
// read through the view's strides into a block's coefficient arrays, the
// vector kernels run on the block, and the caller's `finish` writes the
// block's answers; plus the output rows and the span forms' size check.
#ifndef QUBIC_BATCH_DRIVE_HPP
#define QUBIC_BATCH_DRIVE_HPP

#include <algorithm>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "batch/block.hpp"

namespace qubic::batch {

// The outputs of one cubic.
template <class Real>
struct out_row {
  std::complex<Real>* roots;
  std::int32_t* flags;
  bool* solved;
};

template <class Real>
void put(const out_row<Real>& o, const std::complex<Real> (&r)[3], const std::int32_t (&f)[3]) {
  for (int k = 0; k < 3; ++k) {
    o.roots[k] = r[k];
    o.flags[k] = f[k];
  }
  if (o.solved != nullptr) *o.solved = f[0] == 1 && f[1] == 1 && f[2] == 1;
}

// Solves the n cubics whose coefficient j of cubic i is
// data[i * row + j * col]: per block, its a, b, c, d (the lanes past the
// last cubic zero), run(blk), then finish(blk, at) with at(i) the outputs of
// the block's cubic i.  One Block on the heap per call.
template <class Block, class Real, class Finish>
void drive(const Real* data, std::size_t n, std::ptrdiff_t row, std::ptrdiff_t col, std::complex<Real>* roots,
           std::int32_t* flags, bool* solved, void (*run)(Block&), Finish finish) {
  if (n == 0) return;
  const std::unique_ptr<Block> owned(new Block);
  Block& blk = *owned;
  for (std::size_t start = 0; start < n; start += block_size) {
    blk.n = std::min(block_size, n - start);
    for (std::size_t i = 0; i < blk.n; ++i) {
      const Real* p = data + static_cast<std::ptrdiff_t>(start + i) * row;
      blk.a[i] = p[0];
      blk.b[i] = p[col];
      blk.c[i] = p[2 * col];
      blk.d[i] = p[3 * col];
    }
    for (std::size_t i = blk.n; i < block_cap; ++i) blk.a[i] = blk.b[i] = blk.c[i] = blk.d[i] = 0.0;
    run(blk);
    const auto at = [&](std::size_t i) {
      const std::size_t k = start + i;
      return out_row<Real>{roots + 3 * k, flags + 3 * k, solved != nullptr ? solved + k : nullptr};
    };
    finish(blk, at);
  }
}

// The span form's sizes: 4n coefficients, 3n roots and flags, n or no solved.
inline std::size_t checked_count(std::size_t coeffs, std::size_t roots, std::size_t flags, std::size_t solved,
                                 const char* message) {
  const std::size_t n = coeffs / 4;
  if (coeffs % 4 != 0 || roots != 3 * n || flags != 3 * n || (solved != 0 && solved != n)) {
    throw std::invalid_argument(message);
  }
  return n;
}

}  // namespace qubic::batch

#endif  // QUBIC_BATCH_DRIVE_HPP
