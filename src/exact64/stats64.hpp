// stats64: how often each level of the double engine is taken, per thread,
// for the benchmark and for the test that bounds the cost of each class.
//
// filter: signs decided by a double-double filter; exact: signs that needed
// GMP; disc1: discriminants past the first filter; disc_int: of those, the
// ones the integer level decided (else the double-double level, then GMP);
// disc_gmp: discriminant signs decided by GMP; disc_value_gmp: the
// discriminant's value taken from GMP for the imaginary part; rational: multiple roots rounded from GMP fractions;
// searches: parts whose candidate was not confirmed (more than two oracle
// calls); calls: oracle calls of searches; cubics_with_gmp: cubics (or
// lower-degree polynomials) that used GMP at all; expansions: Taylor
// expansions at candidates and enclosures of the pair (the work of the
// straight-line path).
#ifndef QUBIC_EXACT64_STATS64_HPP
#define QUBIC_EXACT64_STATS64_HPP

#include <cstdint>

namespace qubic::exact64 {

struct counters {
  std::uint64_t cubics = 0;
  std::uint64_t filter = 0;
  std::uint64_t exact = 0;
  std::uint64_t disc1 = 0;
  std::uint64_t disc_int = 0;
  std::uint64_t disc_gmp = 0;
  std::uint64_t disc_value_gmp = 0;
  std::uint64_t rational = 0;
  std::uint64_t searches = 0;
  std::uint64_t calls = 0;
  std::uint64_t cubics_with_gmp = 0;
  std::uint64_t expansions = 0;
};

// The calling thread's counters (defined in solve64.cpp).
counters& stats();

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_STATS64_HPP
