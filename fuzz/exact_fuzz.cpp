// Fuzz target: the exact engine against the exact rational reference of the
// test suite (tests/exact/reference.cpp) on arbitrary coefficient bit patterns.
//
// Input: 16 bytes, four little-endian binary32 patterns a3, a2, a1, a0
// (highest power first); shorter inputs are padded with zero bytes, longer
// ones cut.  solve_exact() and qubic_exact() are held to check_exact
// (exact_check.hpp): the reference's flags, entries and bits, NaN or the
// caller's bits where nothing is written.
#include <qubic/exact.hpp>

#include "exact/reference.hpp"
#include "exact_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  check_exact<float>(load_coeffs(data, size), qubic::solve_exact, qubic::test::reference, qubic::qubic_exact, fill);
  return 0;
}
