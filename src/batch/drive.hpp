// drive: the outer loop both batch entries share (solve_exact_batch.cpp for
// floats, batch64/solve_exact_double_batch.cpp for doubles), a template so
// that each instantiation is the loop a hand-written entry would have: the
// block type, the lanes' kernel, a confirmed lane's flags and the scalar
// fallback are template parameters, every call known at compile time.
//
// Per block of up to block_size cubics: the coefficients are read through
// the view's strides into the block's arrays (exact in double), the lanes
// past the block's end zeroed (the kernels load whole vectors; a zero cubic
// goes to the rest, never to a queue), the kernel run, then each cubic
// written once: a confirmed lane from its parts, anything else from the
// scalar engine.
#ifndef QUBIC_BATCH_DRIVE_HPP
#define QUBIC_BATCH_DRIVE_HPP

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>

#include "batch/block.hpp"
#include "batch/stats.hpp"

namespace qubic::batch {

// The outputs of one cubic.
template <class T>
struct out_row {
  std::complex<T>* roots;
  std::int32_t* flags;
  bool* solved;
};

template <class T>
inline void put(const out_row<T>& o, const std::complex<T> (&r)[3], const std::int32_t (&f)[3]) {
  for (int k = 0; k < 3; ++k) {
    o.roots[k] = r[k];
    o.flags[k] = f[k];
  }
  if (o.solved != nullptr) *o.solved = f[0] == 1 && f[1] == 1 && f[2] == 1;
}

// Writes the cubics of queue q: a confirmed lane from its parts (three real
// roots, or with `pair` the real root x[0] and x[1] +- i x[2]) and flags
// (flags(q, j, f)), the others (x[0] NaN) by scalar(row, i).  Returns the
// number of lanes confirmed.
template <class T, class Queue, class Row, class Flags, class Scalar>
inline std::size_t settle(const Queue& q, bool pair, Row row, Flags flags, Scalar scalar) {
  std::size_t confirmed = 0;
  for (std::size_t j = 0; j < q.n; ++j) {
    const auto i = static_cast<std::size_t>(q.idx[j]);
    const T x0 = static_cast<T>(q.x[0][j]), x1 = static_cast<T>(q.x[1][j]), x2 = static_cast<T>(q.x[2][j]);
    if (std::isnan(x0)) {
      scalar(row(i), i);
      continue;
    }
    const std::complex<T> three[3] = {{x0, T(0)}, {x1, T(0)}, {x2, T(0)}};
    const std::complex<T> one[3] = {{x0, T(0)}, {x1, x2}, {x1, -x2}};
    std::int32_t f[3];
    flags(q, j, f);
    put(row(i), pair ? one : three, f);
    ++confirmed;
  }
  return confirmed;
}

// The n cubics at data + i row + k col (k = 0 .. 3, the coefficient of x^3
// first), their roots and flags at roots + 3i, flags + 3i, solved + i.
template <class T, class Block, class Run, class Flags, class Scalar>
inline void drive(const T* data, std::size_t n, std::ptrdiff_t row_stride, std::ptrdiff_t col, std::complex<T>* roots,
                  std::int32_t* flags, bool* solved, Block& blk, counters& st, Run run, Flags flags_of, Scalar scalar) {
  for (std::size_t start = 0; start < n; start += block_size) {
    blk.n = std::min(block_size, n - start);
    for (std::size_t i = 0; i < blk.n; ++i) {
      const T* p = data + static_cast<std::ptrdiff_t>(start + i) * row_stride;
      blk.a[i] = p[0];
      blk.b[i] = p[col];
      blk.c[i] = p[2 * col];
      blk.d[i] = p[3 * col];
    }
    for (std::size_t i = blk.n; i < block_cap; ++i) blk.a[i] = blk.b[i] = blk.c[i] = blk.d[i] = 0.0;
    run(blk);
    auto row = [&](std::size_t i) {
      const std::size_t at = start + i;
      return out_row<T>{roots + 3 * at, flags + 3 * at, solved != nullptr ? solved + at : nullptr};
    };
    auto fallback = [&](const out_row<T>& o, std::size_t i) { scalar(o, blk, i); };
    st.three += settle<T>(blk.three, false, row, flags_of, fallback);
    st.one += settle<T>(blk.one, true, row, flags_of, fallback);
    for (std::size_t j = 0; j < blk.nrest; ++j) {
      const auto i = static_cast<std::size_t>(blk.rest[j]);
      scalar(row(i), blk, i);
    }
    st.cubics += blk.n;
  }
}

}  // namespace qubic::batch

#endif  // QUBIC_BATCH_DRIVE_HPP
