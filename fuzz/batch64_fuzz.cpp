// Fuzz target: the double batch path (solve_exact_double_batch) against the
// scalar engine (solve_exact_double), on every vector target this processor
// runs.
//
// Input: one layout byte, then little-endian binary64 patterns, any number
// (a trailing partial pattern is dropped).  The layout byte gives the row
// stride 4 + (b & 7) doubles, the column stride +1 or, with bit 3, -1 (the
// constant first), and a shift of (b >> 4) & 3 doubles off the vector
// alignment; with bit 6 every pattern's exponent is folded into
// 2^-130 .. 2^130 (a zero field gives +-0), so that most cubics fall in the
// lanes' window and near its edges.  Every written entry must have the
// scalar engine's bits (roots, flags, solved), and the entries past the
// last cubic must keep their fill.
#include <complex>
#include <vector>

#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

#include "batch64/block64.hpp"
#include "fuzz.hpp"

namespace {

// The pattern u with its exponent field e moved to 1023 - 130 + e mod 261,
// or +-0 for e = 0.
double folded(std::uint64_t u) {
  const std::uint64_t e = (u >> 52) & 0x7FF;
  if (e == 0) return std::bit_cast<double>(u & 0x8000000000000000u);
  return std::bit_cast<double>((u & 0x800FFFFFFFFFFFFFu) | (1023 - 130 + e % 261) << 52);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  if (size == 0) return 0;
  const std::uint8_t layout = data[0];
  const std::ptrdiff_t row = 4 + (layout & 7);
  const std::ptrdiff_t col = (layout & 8) != 0 ? -1 : 1;
  const std::size_t shift = (layout >> 4) & 3;
  const bool fold = (layout & 64) != 0;
  const std::size_t m = (size - 1) / 8;
  alignas(64) double store[64 / sizeof(double) + 4096];
  if (m > 4096) return 0;
  double* buf = store + shift;
  for (std::size_t k = 0; k < m; ++k) {
    const std::uint64_t u = load_le64(data + 1 + 8 * k);
    buf[k] = fold ? folded(u) : std::bit_cast<double>(u);
  }
  const std::size_t n = m >= 4 ? (m - 4) / static_cast<std::size_t>(row) + 1 : 0;
  const double* first = col > 0 ? buf : buf + 3;  // coefficient j of cubic i at first[i * row + j * col]

  constexpr std::size_t tail = 2;
  const double f = std::bit_cast<double>(fill64);
  for (const std::int64_t target : qubic::batch64::targets()) {
    qubic::batch64::force_target(target);
    std::vector<std::complex<double>> roots(3 * n + tail, {f, f});
    std::vector<std::int32_t> flags(3 * n + tail, 7);
    std::vector<char> solved(n + tail, 2);
    qubic::solve_exact_double_batch({first, n, row, col}, roots.data(), flags.data(),
                                    reinterpret_cast<bool*>(solved.data()));
    for (std::size_t i = 0; i < n; ++i) {
      const double* c = first + static_cast<std::ptrdiff_t>(i) * row;
      const qubic::solution_double s = qubic::solve_exact_double(c[0], c[col], c[2 * col], c[3 * col]);
      check(solved[i] == static_cast<char>(s.solved()));
      for (int k = 0; k < 3; ++k) {
        const std::complex<double> r = roots[3 * i + k];
        check(flags[3 * i + k] == s.flag[k]);
        check(bits(r.real()) == bits(s.root[k].real()) && bits(r.imag()) == bits(s.root[k].imag()));
      }
    }
    for (std::size_t t = 0; t < tail; ++t) {
      check(bits(roots[3 * n + t].real()) == fill64 && flags[3 * n + t] == 7 && solved[n + t] == 2);
    }
  }
  qubic::batch64::force_target(0);
  return 0;
}
