// stats: how often each escalation level is taken, for the benchmark.
//
// Counters per thread, reset and read by the caller; the engine only adds.
// filter: signs decided in double; exact: signs that needed GMP; disc_exact:
// discriminant signs that needed GMP; value_exact: the discriminant's value
// taken from GMP to place a tiny imaginary part; probes: oracle calls
// beyond the two that confirm a right guess.
#ifndef QUBIC_EXACT_STATS_HPP
#define QUBIC_EXACT_STATS_HPP

#include <cstdint>

namespace qubic::exact {

struct counters {
  std::uint64_t cubics = 0;
  std::uint64_t filter = 0;
  std::uint64_t exact = 0;
  std::uint64_t disc_exact = 0;
  std::uint64_t value_exact = 0;
  std::uint64_t probes = 0;
  std::uint64_t cubics_with_gmp = 0;
};

counters& stats();

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_STATS_HPP
