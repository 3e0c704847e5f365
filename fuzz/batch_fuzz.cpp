// Fuzz target: the batch path (solve_exact_batch) against the scalar engine
// (solve_exact), on every vector target this processor runs.
//
// Input: one layout byte, then little-endian binary32 patterns, any number
// (a trailing partial pattern is dropped).  The layout byte gives the row
// stride 4 + (b & 7) floats, the column stride +1 or, with bit 3, -1 (the
// constant first), and a shift of (b >> 4) & 3 floats off the vector
// alignment; the cubics are as many rows as the patterns fill.  Every
// written entry must have the scalar engine's bits (roots, flags, solved),
// and the entries past the last cubic must keep their fill.
#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

#include "batch/dispatch.hpp"
#include "batch_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  if (size == 0) return 0;
  const layout at(data[0]);
  const std::size_t m = (size - 1) / 4;
  alignas(64) float store[64 / sizeof(float) + 4096];
  if (m > 4096) return 0;
  float* buf = store + at.shift;
  for (std::size_t k = 0; k < m; ++k) buf[k] = load_le(data + 1 + 4 * k);
  check_batch(
      at.first(static_cast<const float*>(buf)), at.cubics(m), at.row, at.col, std::bit_cast<float>(fill),
      [](const float* p, std::size_t count, std::ptrdiff_t r, std::ptrdiff_t c, std::complex<float>* roots,
         std::int32_t* flags, bool* solved) { qubic::solve_exact_batch({p, count, r, c}, roots, flags, solved); },
      qubic::solve_exact, qubic::batch::targets, qubic::batch::force_target);
  return 0;
}
