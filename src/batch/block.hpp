// block: the working memory of the batch path, a block of cubics laid out
// one array per quantity, so that a vector load takes the same quantity of
// consecutive cubics (one cubic per lane).
//
// The driver (solve_exact_batch.cpp) fills a, b, c, d and n; the kernels
// (kernel.cpp) sort the cubics by the kind of their roots into the queues
// `three` (discriminant certified positive) and `one` (certified negative)
// and list the others in `rest`; each queue's lanes then get their roots,
// or a NaN in x[0] when the filters could not confirm them.  Every array
// has room for one vector past its last entry (block_pad doubles), since a
// kernel loads, stores and compresses whole vectors.
#ifndef QUBIC_BATCH_BLOCK_HPP
#define QUBIC_BATCH_BLOCK_HPP

#include <cstddef>

namespace qubic::batch {

inline constexpr std::size_t block_size = 256;  // cubics per block
inline constexpr std::size_t block_pad = 32;    // the widest vector of doubles (2048 bits)
inline constexpr std::size_t block_cap = block_size + block_pad;

// Cubics of one kind: their index in the block, their coefficients, the
// discriminant's filter value and bound (docs/exact.md, L0), and the three
// parts found: x[0..2] the real roots ascending (three) or x[0] the real
// root, x[1] and x[2] the pair's real and imaginary parts (one).  x[0] is
// NaN where the lane is left to the scalar engine.  irregular holds the
// roots whose flag is -3 (a part infinite, subnormal, or a nonzero value
// rounded to a signed zero), as bits 1, 2, 4 for roots 0, 1, 2.
struct queue {
  std::size_t n;
  alignas(64) double idx[block_cap];
  alignas(64) double a[block_cap];
  alignas(64) double b[block_cap];
  alignas(64) double c[block_cap];
  alignas(64) double d[block_cap];
  alignas(64) double dv[block_cap];
  alignas(64) double de[block_cap];
  alignas(64) double x[3][block_cap];  // floats, held as doubles
  alignas(64) double irregular[block_cap];
};

struct block {
  std::size_t n;  // cubics in the block, at most block_size
  // The coefficients of x^3, x^2, x, 1 of cubic i, as doubles (exact).
  alignas(64) double a[block_cap];
  alignas(64) double b[block_cap];
  alignas(64) double c[block_cap];
  alignas(64) double d[block_cap];
  // Per cubic: its kind (0 rest, 1 three, 2 one) and the discriminant's
  // filter value and bound.
  alignas(64) double kind[block_cap];
  alignas(64) double dv[block_cap];
  alignas(64) double de[block_cap];
  queue three;
  queue one;
  // Indices of the cubics for the scalar engine: a coefficient infinite or
  // NaN, a3 = 0, or a discriminant the first filter cannot sign.
  std::size_t nrest;
  alignas(64) double rest[block_cap];
};

}  // namespace qubic::batch

#endif  // QUBIC_BATCH_BLOCK_HPP
