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
#include <complex>
#include <vector>

#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

#include "batch/dispatch.hpp"
#include "fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  if (size == 0) return 0;
  const std::uint8_t layout = data[0];
  const std::ptrdiff_t row = 4 + (layout & 7);
  const std::ptrdiff_t col = (layout & 8) != 0 ? -1 : 1;
  const std::size_t shift = (layout >> 4) & 3;
  const std::size_t m = (size - 1) / 4;
  alignas(64) float store[64 / sizeof(float) + 4096];
  if (m > 4096) return 0;
  float* buf = store + shift;
  for (std::size_t k = 0; k < m; ++k) buf[k] = load_le(data + 1 + 4 * k);
  const std::size_t n = m >= 4 ? (m - 4) / static_cast<std::size_t>(row) + 1 : 0;
  const float* first = col > 0 ? buf : buf + 3;  // coefficient j of cubic i at first[i * row + j * col]

  constexpr std::size_t tail = 2;
  const float f = std::bit_cast<float>(fill);
  for (const std::int64_t target : qubic::batch::targets()) {
    qubic::batch::force_target(target);
    std::vector<std::complex<float>> roots(3 * n + tail, {f, f});
    std::vector<std::int32_t> flags(3 * n + tail, 7);
    std::vector<char> solved(n + tail, 2);
    qubic::solve_exact_batch({first, n, row, col}, roots.data(), flags.data(), reinterpret_cast<bool*>(solved.data()));
    for (std::size_t i = 0; i < n; ++i) {
      const float* c = first + static_cast<std::ptrdiff_t>(i) * row;
      const qubic::solution s = qubic::solve_exact(c[0], c[col], c[2 * col], c[3 * col]);
      check(solved[i] == static_cast<char>(s.solved()));
      for (int k = 0; k < 3; ++k) {
        const std::complex<float> r = roots[3 * i + k];
        check(flags[3 * i + k] == s.flag[k]);
        check(bits(r.real()) == bits(s.root[k].real()) && bits(r.imag()) == bits(s.root[k].imag()));
      }
    }
    for (std::size_t t = 0; t < tail; ++t) {
      check(bits(roots[3 * n + t].real()) == fill && flags[3 * n + t] == 7 && solved[n + t] == 2);
    }
  }
  qubic::batch::force_target(0);
  return 0;
}
