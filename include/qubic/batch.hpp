// qubic/batch.hpp: the exact engine over arrays of cubics, several cubics
// per vector instruction.
//
//   #include <qubic/batch.hpp>
//
//   const float c[8] = {1, 0, 0, 3,  1, -6, 11, -6};  // x^3 + 3, x^3 - 6x^2 + 11x - 6
//   std::complex<float> r[6];
//   std::int32_t f[6];
//   bool ok[2];
//   qubic::solve_exact_batch(c, r, f, ok);
//   // r[0..2]: -1.4422495, 0.72112477 + 1.2490247i, 0.72112477 - 1.2490247i
//   // r[3..5]: 1, 2, 3; every flag 1; ok[0] = ok[1] = true
//
// solve_exact_double_batch does the same for double coefficients, bit for
// bit qubic::solve_exact_double.
//
// Every answer is bit for bit that of qubic::solve_exact (qubic/exact.hpp)
// on the same coefficients: the same roots in the same order, the same
// flags, the quiet NaN pair of solve_exact in a root it does not write.
// The cubics are solved a vector at a time (the widest unit the processor
// has: AVX-512, AVX2, SSE4, or 128-bit emulation), and the few that the
// vector filters cannot settle by the scalar engine; docs/batch.md gives
// the argument.  Any float input is accepted.  One call runs on the calling
// thread; calls on disjoint outputs may run in parallel.
#ifndef QUBIC_BATCH_HPP
#define QUBIC_BATCH_HPP

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qubic {

// n cubics in memory: coefficient j (j = 0 for x^3 ... 3 for the constant)
// of cubic i is data[i * row + j * col], strides counted in floats, of any
// sign.  The default strides are those of a C-contiguous (n, 4) array.
struct cubic_view {
  const float* data;
  std::size_t n;
  std::ptrdiff_t row = 4;
  std::ptrdiff_t col = 1;
};

// Solves the n cubics of `in`: roots[3i + k] and flags[3i + k] are root[k]
// and flag[k] of solve_exact on cubic i, and solved[i] (unless solved is
// null) is its solved(), all three flags 1.  Writes those entries only;
// the outputs must not overlap the input.  Throws only std::bad_alloc, when
// its working block (about 70 KB) cannot be allocated.
void solve_exact_batch(cubic_view in, std::complex<float>* roots, std::int32_t* flags, bool* solved);

// The same for a C-contiguous array of coefficient rows a3, a2, a1, a0:
// n = coeffs.size() / 4 cubics, roots and flags of 3n entries, solved of n
// entries or empty.  Throws std::invalid_argument when the sizes do not fit
// together, before writing anything.
void solve_exact_batch(std::span<const float> coeffs, std::span<std::complex<float>> roots,
                       std::span<std::int32_t> flags, std::span<bool> solved = {});

// The same for double coefficients: n cubics, coefficient j of cubic i at
// data[i * row + j * col], strides counted in doubles.
struct cubic_view_double {
  const double* data;
  std::size_t n;
  std::ptrdiff_t row = 4;
  std::ptrdiff_t col = 1;
};

// Solves the n cubics of `in` with the answers of solve_exact_double:
// roots[3i + k] and flags[3i + k] are root[k] and flag[k] of
// solve_exact_double on cubic i, solved[i] (unless solved is null) its
// solved().  Writes those entries only; the outputs must not overlap the
// input.  Any double input is accepted.  Throws only std::bad_alloc, when
// its working block (about 70 KB) cannot be allocated.
void solve_exact_double_batch(cubic_view_double in, std::complex<double>* roots, std::int32_t* flags, bool* solved);

// The same for a C-contiguous array of coefficient rows a3, a2, a1, a0;
// throws std::invalid_argument when the sizes do not fit together (as the
// float entry), before writing anything.
void solve_exact_double_batch(std::span<const double> coeffs, std::span<std::complex<double>> roots,
                              std::span<std::int32_t> flags, std::span<bool> solved = {});

}  // namespace qubic

#endif  // QUBIC_BATCH_HPP
