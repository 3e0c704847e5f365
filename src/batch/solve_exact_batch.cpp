// solve_exact_batch: the batch entry (qubic/batch.hpp), block by block.
//
// Per block of up to block_size cubics: the coefficients are read through
// the view's strides into the block's arrays (block.hpp), the vector kernels
// (dispatch.hpp) classify them and confirm what the filters can, and this
// file writes each answer: a confirmed lane from its parts, anything else
// from the scalar engine, solve_exact.  A confirmed lane's flags are those
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
#include "batch/stats.hpp"

namespace qubic {
namespace {

// The outputs of cubic i.
struct out_row {
  std::complex<float>* roots;
  std::int32_t* flags;
  bool* solved;
};

// The flags of a confirmed lane from its irregular bits (block.hpp).
void flags_of(double irregular, std::int32_t (&f)[3]) {
  static constexpr std::int32_t table[8][3] = {{1, 1, 1},  {-3, 1, 1},  {1, -3, 1},  {-3, -3, 1},
                                               {1, 1, -3}, {-3, 1, -3}, {1, -3, -3}, {-3, -3, -3}};
  const std::int32_t(&t)[3] = table[static_cast<int>(irregular) & 7];
  f[0] = t[0];
  f[1] = t[1];
  f[2] = t[2];
}

void put(const out_row& o, const std::complex<float> (&r)[3], const std::int32_t (&f)[3]) {
  for (int k = 0; k < 3; ++k) {
    o.roots[k] = r[k];
    o.flags[k] = f[k];
  }
  if (o.solved != nullptr) *o.solved = f[0] == 1 && f[1] == 1 && f[2] == 1;
}

void put_scalar(const out_row& o, const batch::block& blk, std::size_t i) {
  const float a = static_cast<float>(blk.a[i]), b = static_cast<float>(blk.b[i]);
  const float c = static_cast<float>(blk.c[i]), d = static_cast<float>(blk.d[i]);
  const solution s = solve_exact(a, b, c, d);
  const std::int32_t f[3] = {s.flag[0], s.flag[1], s.flag[2]};
  const std::complex<float> r[3] = {s.root[0], s.root[1], s.root[2]};
  put(o, r, f);
}

// Writes the cubics of queue q: a confirmed lane from its parts (three
// real roots, or with `pair` the real root x[0] and x[1] +- i x[2]), the
// others from solve_exact.  Returns the number of lanes confirmed.
template <class Row>
std::size_t settle(const batch::queue& q, bool pair, const batch::block& blk, Row row) {
  std::size_t confirmed = 0;
  for (std::size_t j = 0; j < q.n; ++j) {
    const std::size_t i = static_cast<std::size_t>(q.idx[j]);
    const float x0 = static_cast<float>(q.x[0][j]), x1 = static_cast<float>(q.x[1][j]);
    const float x2 = static_cast<float>(q.x[2][j]);
    if (std::isnan(x0)) {
      put_scalar(row(i), blk, i);
      continue;
    }
    const std::complex<float> three[3] = {{x0, 0.0f}, {x1, 0.0f}, {x2, 0.0f}};
    const std::complex<float> one[3] = {{x0, 0.0f}, {x1, x2}, {x1, -x2}};
    std::int32_t f[3];
    flags_of(q.irregular[j], f);
    put(row(i), pair ? one : three, f);
    ++confirmed;
  }
  return confirmed;
}

}  // namespace

void solve_exact_batch(cubic_view in, std::complex<float>* roots, std::int32_t* flags, bool* solved) {
  if (in.n == 0) return;
  const std::unique_ptr<batch::block> owned(new batch::block);
  batch::block& blk = *owned;
  batch::counters& st = batch::stats();
  for (std::size_t start = 0; start < in.n; start += batch::block_size) {
    blk.n = std::min(batch::block_size, in.n - start);
    for (std::size_t i = 0; i < blk.n; ++i) {
      const float* p = in.data + static_cast<std::ptrdiff_t>(start + i) * in.row;
      blk.a[i] = p[0];
      blk.b[i] = p[in.col];
      blk.c[i] = p[2 * in.col];
      blk.d[i] = p[3 * in.col];
    }
    for (std::size_t i = blk.n; i < batch::block_cap; ++i) blk.a[i] = blk.b[i] = blk.c[i] = blk.d[i] = 0.0;
    batch::run(blk);
    auto row = [&](std::size_t i) {
      const std::size_t at = start + i;
      return out_row{roots + 3 * at, flags + 3 * at, solved != nullptr ? solved + at : nullptr};
    };
    st.three += settle(blk.three, false, blk, row);
    st.one += settle(blk.one, true, blk, row);
    for (std::size_t j = 0; j < blk.nrest; ++j) {
      const std::size_t i = static_cast<std::size_t>(blk.rest[j]);
      put_scalar(row(i), blk, i);
    }
    st.cubics += blk.n;
  }
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
