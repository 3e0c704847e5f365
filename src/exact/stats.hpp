// stats: how often each escalation level is taken, for the benchmark.
//
// Counters per thread, reset and read by the caller; the engine only adds.
// filter: point signs decided in double; sum: point signs decided by the
// compensated sum of exact parts; exact: point signs that needed GMP;
// disc_sum / disc_gmp: discriminant signs decided by the compensated sum
// of its exact parts / by GMP; value_sum / value_gmp: the discriminant's
// value sharpened (sum, GMP) to place an imaginary part; searches: parts
// whose guess was wrong or unconfirmed (more than two oracle calls);
// cubics_with_gmp: cubics that called GMP at all.
#ifndef QUBIC_EXACT_STATS_HPP
#define QUBIC_EXACT_STATS_HPP

#include <cstdint>

namespace qubic::exact {

struct counters {
  std::uint64_t cubics = 0;
  std::uint64_t filter = 0;
  std::uint64_t sum = 0;
  std::uint64_t exact = 0;
  std::uint64_t disc_sum = 0;
  std::uint64_t disc_gmp = 0;
  std::uint64_t value_sum = 0;
  std::uint64_t value_gmp = 0;
  std::uint64_t searches = 0;
  std::uint64_t cubics_with_gmp = 0;
};

// The calling thread's counters.  Defined in solve_cubic.cpp, beside the
// hot path that adds to them, so that there it is inlined to one
// thread-local access.
counters& stats();

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_STATS_HPP
