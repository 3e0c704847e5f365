// solve_exact_batch: the batch entry (qubic/batch.hpp), block by block.
//
// Per block of up to block_size cubics: the coefficients are read through
// the view's strides into the block's arrays (block.hpp), the vector kernels
// (dispatch.hpp) classify them and confirm what the filters can, and each
// answer is written (the loop shared with the double entry, drive.hpp): a
// confirmed lane from its parts, anything else from the scalar engine,
// solve_exact.  A confirmed lane's flags are those
// put() in src/exact/part.hpp gives, marked by the kernel: -3 for a root
// with a part that is infinite, subnormal or a nonzero value rounded to
// zero, else 1.
//
// Worked example (SolveExactBatch.WorkedExample): the two cubics of the header's
// example, x^3 + 3 and x^3 - 6x^2 + 11x - 6, give -0x1.713744p+0 and
// 0x1.713744p-1 +- 0x1.3fc016p+0 i, then 1, 2, 3, all flags 1.
#include <qubic/batch.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <stdexcept>

#include <qubic/exact.hpp>

#include "batch/block.hpp"
#include "batch/dispatch.hpp"
#include "batch/drive.hpp"
#include "batch/stats.hpp"

namespace qubic {
namespace {

// The flags of a confirmed lane from its irregular bits (block.hpp).
void flags_of(const batch::queue& q, std::size_t j, std::int32_t (&f)[3]) {
  static constexpr std::int32_t table[8][3] = {{1, 1, 1},  {-3, 1, 1},  {1, -3, 1},  {-3, -3, 1},
                                               {1, 1, -3}, {-3, 1, -3}, {1, -3, -3}, {-3, -3, -3}};
  const std::int32_t(&t)[3] = table[static_cast<int>(q.irregular[j]) & 7];
  f[0] = t[0];
  f[1] = t[1];
  f[2] = t[2];
}

void put_scalar(const batch::out_row<float>& o, const batch::block& blk, std::size_t i) {
  const float a = static_cast<float>(blk.a[i]), b = static_cast<float>(blk.b[i]);
  const float c = static_cast<float>(blk.c[i]), d = static_cast<float>(blk.d[i]);
  const solution s = solve_exact(a, b, c, d);
  const std::int32_t f[3] = {s.flag[0], s.flag[1], s.flag[2]};
  const std::complex<float> r[3] = {s.root[0], s.root[1], s.root[2]};
  batch::put(o, r, f);
}

}  // namespace

void solve_exact_batch(cubic_view in, std::complex<float>* roots, std::int32_t* flags, bool* solved) {
  if (in.n == 0) return;
  const std::unique_ptr<batch::block> owned(new batch::block);
  batch::drive(in.data, in.n, in.row, in.col, roots, flags, solved, *owned, batch::stats(),
               [](batch::block& blk) { batch::run(blk); },
               [](const auto& q, std::size_t j, std::int32_t (&f)[3]) { flags_of(q, j, f); },
               [](const auto& o, const auto& blk, std::size_t i) { put_scalar(o, blk, i); });
}

void solve_exact_batch(std::span<const float> coeffs, std::span<std::complex<float>> roots,
                       std::span<std::int32_t> flags, std::span<bool> solved) {
  const std::size_t n = coeffs.size() / 4;
  if (coeffs.size() % 4 != 0 || roots.size() != 3 * n || flags.size() != 3 * n ||
      (!solved.empty() && solved.size() != n)) {
    throw std::invalid_argument(
        "solve_exact_batch: coeffs must hold 4n floats, roots and flags 3n entries, solved n or none");
  }
  solve_exact_batch(cubic_view{coeffs.data(), n}, roots.data(), flags.data(), solved.empty() ? nullptr : solved.data());
}

}  // namespace qubic
