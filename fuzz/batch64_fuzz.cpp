// Fuzz target: the double batch path (solve_exact_double_batch) against the
// scalar engine (solve_exact_double), on every vector target this processor
// runs.  Input and checks: check_batch (fuzz.hpp), on binary64 patterns;
// with bit 6 of the layout byte every pattern's exponent is folded into
// 2^-130 .. 2^130 (a zero field gives +-0), so that most cubics fall in the
// lanes' window and near its edges.
#include <qubic/batch.hpp>

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
double as_is(std::uint64_t u) { return std::bit_cast<double>(u); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qubic::fuzz::check_batch<double>(
      data, size, size > 0 && (data[0] & 64) != 0 ? folded : as_is,
      [](qubic::cubic_view_double v, std::complex<double>* r, std::int32_t* f, bool* s) { qubic::solve_exact_double_batch(v, r, f, s); },
      qubic::solve_exact_double, qubic::batch64::targets, qubic::batch64::force_target);
  return 0;
}
