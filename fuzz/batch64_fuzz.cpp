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
#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

#include "batch64/block64.hpp"
#include "batch_check.hpp"

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
  const layout at(data[0]);
  const bool fold = (data[0] & 64) != 0;
  const std::size_t m = (size - 1) / 8;
  alignas(64) double store[64 / sizeof(double) + 4096];
  if (m > 4096) return 0;
  double* buf = store + at.shift;
  for (std::size_t k = 0; k < m; ++k) {
    const std::uint64_t u = load_le64(data + 1 + 8 * k);
    buf[k] = fold ? folded(u) : std::bit_cast<double>(u);
  }

  check_batch(
      at.first(static_cast<const double*>(buf)), at.cubics(m), at.row, at.col, std::bit_cast<double>(fill64),
      [](const double* p, std::size_t count, std::ptrdiff_t r, std::ptrdiff_t c, std::complex<double>* roots,
         std::int32_t* flags, bool* solved) { qubic::solve_exact_double_batch({p, count, r, c}, roots, flags, solved); },
      qubic::solve_exact_double, qubic::batch64::targets, qubic::batch64::force_target);
  return 0;
}
