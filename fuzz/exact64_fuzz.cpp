// Fuzz target: the double exact engine against the exact rational reference
// of the test suite (tests/exact/reference.cpp) on arbitrary coefficient bit
// patterns: 32 bytes, four little-endian binary64 patterns a3, a2, a1, a0
// (shorter inputs padded with zero bytes, longer ones cut),
// solve_exact_double() and qubic_exact_double() held to check_exact (fuzz.hpp).
#include "exact/reference.hpp"
#include "fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qubic::fuzz::check_exact<double>(data, size, qubic::solve_exact_double, qubic::test::reference_double, qubic::qubic_exact_double);
  return 0;
}
