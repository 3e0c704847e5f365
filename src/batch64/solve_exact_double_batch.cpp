// solve_exact_double_batch: the double batch entry (qubic/batch.hpp), block
// by block.
//
// Per block of up to block_size cubics: the coefficients are read through
// the view's strides into the block's arrays (block64.hpp), the vector
// kernels (kernel64.cpp) classify them and confirm what they can, and each
// answer is written (the float entry's loop, batch/drive.hpp): a confirmed
// lane from its parts, every flag 1 (the lanes confirm only normal parts),
// anything else from the scalar engine, solve_exact_double.
//
// Worked example (SolveExactDoubleBatch.WorkedExample): x^3 + 3 and
// x^3 - 6x^2 + 11x - 6 give -0x1.7137449123ef6p+0 and
// 0x1.7137449123ef6p-1 +- 0x1.3fc0164bf0b56p+0 i, then 1, 2, 3, flags 1.
#include <qubic/batch.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <stdexcept>

#include <qubic/exact.hpp>

#include "batch/drive.hpp"
#include "batch64/block64.hpp"

namespace qubic {
namespace {

// Every flag 1: the lanes confirm only normal parts.
void flags_found(const batch64::queue&, std::size_t, std::int32_t (&f)[3]) { f[0] = f[1] = f[2] = 1; }

void put_scalar(const batch::out_row<double>& o, const batch64::block& blk, std::size_t i) {
  const solution_double s = solve_exact_double(blk.a[i], blk.b[i], blk.c[i], blk.d[i]);
  const std::int32_t f[3] = {s.flag[0], s.flag[1], s.flag[2]};
  const std::complex<double> r[3] = {s.root[0], s.root[1], s.root[2]};
  batch::put(o, r, f);
}

}  // namespace

void solve_exact_double_batch(cubic_view_double in, std::complex<double>* roots, std::int32_t* flags, bool* solved) {
  if (in.n == 0) return;
  const std::unique_ptr<batch64::block> owned(new batch64::block);
  batch::drive(in.data, in.n, in.row, in.col, roots, flags, solved, *owned, batch64::stats(),
               [](batch64::block& blk) { batch64::run(blk); },
               [](const auto& q, std::size_t j, std::int32_t (&f)[3]) { flags_found(q, j, f); },
               [](const auto& o, const auto& blk, std::size_t i) { put_scalar(o, blk, i); });
}

void solve_exact_double_batch(std::span<const double> coeffs, std::span<std::complex<double>> roots,
                              std::span<std::int32_t> flags, std::span<bool> solved) {
  const std::size_t n = coeffs.size() / 4;
  if (coeffs.size() % 4 != 0 || roots.size() != 3 * n || flags.size() != 3 * n ||
      (!solved.empty() && solved.size() != n)) {
    throw std::invalid_argument(
        "solve_exact_double_batch: coeffs must hold 4n doubles, roots and flags 3n entries, solved n or none");
  }
  solve_exact_double_batch(cubic_view_double{coeffs.data(), n}, roots.data(), flags.data(),
                           solved.empty() ? nullptr : solved.data());
}

}  // namespace qubic
