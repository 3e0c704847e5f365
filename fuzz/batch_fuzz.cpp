// Fuzz target: the batch path (solve_exact_batch) against the scalar engine
// (solve_exact), on every vector target this processor runs.  Input and
// checks: check_batch (fuzz.hpp), on binary32 patterns as they come.
#include <qubic/batch.hpp>

#include "batch/dispatch.hpp"
#include "fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qubic::fuzz::check_batch<float>(
      data, size, [](std::uint32_t u) { return std::bit_cast<float>(u); },
      [](qubic::cubic_view v, std::complex<float>* r, std::int32_t* f, bool* s) { qubic::solve_exact_batch(v, r, f, s); },
      qubic::solve_exact, qubic::batch::targets, qubic::batch::force_target);
  return 0;
}
