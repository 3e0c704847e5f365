// solve_exact_double_batch: the double batch entry (qubic/batch.hpp), block
// by block.
//
// Per block of up to block_size cubics: the coefficients are read through
// the view's strides into the block's arrays (block64.hpp), the vector
// kernels (kernel64.cpp) classify them and confirm what they can, and this
// file writes each answer: a confirmed lane from its parts, every flag 1
// (the lanes confirm only normal parts), anything else from the scalar
// engine, solve_exact_double.
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

#include "batch64/block64.hpp"

namespace qubic {
namespace {

struct out_row {
  std::complex<double>* roots;
  std::int32_t* flags;
  bool* solved;
};

void put(const out_row& o, const std::complex<double> (&r)[3], const std::int32_t (&f)[3]) {
  for (int k = 0; k < 3; ++k) {
    o.roots[k] = r[k];
    o.flags[k] = f[k];
  }
  if (o.solved != nullptr) *o.solved = f[0] == 1 && f[1] == 1 && f[2] == 1;
}

void put_scalar(const out_row& o, const batch64::block& blk, std::size_t i) {
  const solution_double s = solve_exact_double(blk.a[i], blk.b[i], blk.c[i], blk.d[i]);
  const std::int32_t f[3] = {s.flag[0], s.flag[1], s.flag[2]};
  const std::complex<double> r[3] = {s.root[0], s.root[1], s.root[2]};
  put(o, r, f);
}

// Writes the cubics of queue q: a confirmed lane from its parts (three
// real roots, or with `pair` the real root x[0] and x[1] +- i x[2]), the
// others from solve_exact_double.  Returns the number of lanes confirmed.
template <class Row>
std::size_t settle(const batch64::queue& q, bool pair, const batch64::block& blk, Row row) {
  static constexpr std::int32_t found[3] = {1, 1, 1};
  std::size_t confirmed = 0;
  for (std::size_t j = 0; j < q.n; ++j) {
    const auto i = static_cast<std::size_t>(q.idx[j]);
    const double x0 = q.x[0][j], x1 = q.x[1][j], x2 = q.x[2][j];
    if (std::isnan(x0)) {
      put_scalar(row(i), blk, i);
      continue;
    }
    const std::complex<double> three[3] = {{x0, 0.0}, {x1, 0.0}, {x2, 0.0}};
    const std::complex<double> one[3] = {{x0, 0.0}, {x1, x2}, {x1, -x2}};
    put(row(i), pair ? one : three, found);
    ++confirmed;
  }
  return confirmed;
}

}  // namespace

void solve_exact_double_batch(cubic_view_double in, std::complex<double>* roots, std::int32_t* flags, bool* solved) {
  if (in.n == 0) return;
  const std::unique_ptr<batch64::block> owned(new batch64::block);
  batch64::block& blk = *owned;
  batch64::counters& st = batch64::stats();
  for (std::size_t start = 0; start < in.n; start += batch64::block_size) {
    blk.n = std::min(batch64::block_size, in.n - start);
    for (std::size_t i = 0; i < blk.n; ++i) {
      const double* p = in.data + static_cast<std::ptrdiff_t>(start + i) * in.row;
      blk.a[i] = p[0];
      blk.b[i] = p[in.col];
      blk.c[i] = p[2 * in.col];
      blk.d[i] = p[3 * in.col];
    }
    for (std::size_t i = blk.n; i < batch64::block_cap; ++i) blk.a[i] = blk.b[i] = blk.c[i] = blk.d[i] = 0.0;
    batch64::run(blk);
    auto row = [&](std::size_t i) {
      const std::size_t at = start + i;
      return out_row{roots + 3 * at, flags + 3 * at, solved != nullptr ? solved + at : nullptr};
    };
    st.three += settle(blk.three, false, blk, row);
    st.one += settle(blk.one, true, blk, row);
    for (std::size_t j = 0; j < blk.nrest; ++j) {
      const auto i = static_cast<std::size_t>(blk.rest[j]);
      put_scalar(row(i), blk, i);
    }
    st.cubics += blk.n;
  }
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
