// block64: the working memory of the double batch path, a block of cubics
// laid out one array per quantity, so that a vector load takes the same
// quantity of consecutive cubics (one cubic per lane).
//
// The driver (solve_exact_double_batch.cpp) fills a, b, c, d and n; the
// kernels (kernel64.cpp) sort the cubics into the queues `three`
// (discriminant certified positive) and `one` (certified negative), leave
// the others to the scalar engine, and write each queue lane's parts, or a
// NaN in x[0] when the lane could not confirm them.  Every array has room
// for one vector past its last entry, since a kernel loads and stores whole
// vectors.
#ifndef QUBIC_BATCH64_BLOCK64_HPP
#define QUBIC_BATCH64_BLOCK64_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/block.hpp"
#include "batch/stats.hpp"

namespace qubic::batch64 {

using batch::block_cap;
using batch::block_size;

// Cubics of one kind: their index in the block, their coefficients, and
// the parts found: x[0..2] the real roots ascending (three) or x[0] the
// real root, x[1] and x[2] the pair's real and positive imaginary parts
// (one).  x[0] is NaN where the lane is left to the scalar engine.
//
// The coefficients are those of the cubic scaled into the window (k = 0 for
// a cubic already in it): x = 2^k y and the polynomial times 2^m, whose
// roots are the cubic's divided by 2^k; the parts written are the cubic's.
struct queue {
  std::size_t n;
  alignas(64) double idx[block_cap];
  alignas(64) double a[block_cap];
  alignas(64) double b[block_cap];
  alignas(64) double c[block_cap];
  alignas(64) double d[block_cap];
  alignas(64) double k[block_cap];
  alignas(64) double x[3][block_cap];
};

struct block {
  std::size_t n;  // cubics in the block, at most block_size
  // The coefficients of x^3, x^2, x, 1 of cubic i.
  alignas(64) double a[block_cap];
  alignas(64) double b[block_cap];
  alignas(64) double c[block_cap];
  alignas(64) double d[block_cap];
  alignas(64) double kind[block_cap];  // 0 scalar engine, 1 three, 2 one
  // The coefficients scaled into the window, and k (queue above).
  alignas(64) double sa[block_cap];
  alignas(64) double sb[block_cap];
  alignas(64) double sc[block_cap];
  alignas(64) double sd[block_cap];
  alignas(64) double k[block_cap];
  queue three;
  queue one;
  // Indices of the cubics for the scalar engine: not to be scaled into the
  // window of docs/batch.md section 8, or a discriminant the filter cannot
  // sign.
  std::size_t nrest;
  alignas(64) double rest[block_cap];
};

// How the double path settled its cubics, per thread, counted as the float
// path's (batch/stats.hpp) but apart from them.
using counters = batch::counters;

inline counters& stats() {
  static thread_local counters c;
  return c;
}

// Sorts blk's cubics into queues and finds the parts of every lane the
// certified tests confirm (kernel64.cpp).
void run(block& blk);

// The compiled vector variants this processor runs, widest first, and the
// one to use (0: the widest), as batch::targets and batch::force_target.
std::vector<std::int64_t> targets();
void force_target(std::int64_t target);

}  // namespace qubic::batch64

#endif  // QUBIC_BATCH64_BLOCK64_HPP
