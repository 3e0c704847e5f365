// Fuzz target: the double exact engine against the exact rational reference
// of the test suite (tests/exact/reference.cpp) on arbitrary coefficient bit
// patterns.
//
// Input: 32 bytes, four little-endian binary64 patterns a3, a2, a1, a0
// (highest power first); shorter inputs are padded with zero bytes, longer
// ones cut.  solve_exact_double() and qubic_exact_double() are held to
// check_exact (exact_check.hpp): the reference's flags, entries and bits,
// NaN or the caller's bits where nothing is written.
#include <qubic/exact.hpp>

#include "exact/reference.hpp"
#include "exact_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qubic::fuzz;
  check_exact<double>(load_coeffs_double(data, size), qubic::solve_exact_double, qubic::test::reference_double,
                      qubic::qubic_exact_double, fill64);
  return 0;
}
