// Fuzz target: the exact engine against the exact rational reference of the
// test suite (tests/exact/reference.cpp) on arbitrary coefficient bit
// patterns: 16 bytes, four little-endian binary32 patterns a3, a2, a1, a0
// (shorter inputs padded with zero bytes, longer ones cut), solve_exact()
// and qubic_exact() held to check_exact (fuzz.hpp).
#include "exact/reference.hpp"
#include "fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qubic::fuzz::check_exact<float>(data, size, qubic::solve_exact, qubic::test::reference, qubic::qubic_exact);
  return 0;
}
