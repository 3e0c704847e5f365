// stats: how often each escalation level is taken, for the benchmark and
// the cost tests.
//
// Counters per thread, reset and read by the caller; the engine only adds.
// polynomials: engine calls with a finite, nonzero polynomial (every
// degree); filter: signs decided by a double filter or by one exact
// rounding; sum: signs decided by the compensated sum of exact parts;
// expansion: signs that needed the exact expansion of those parts; gmp:
// signs that needed GMP (the resolvent only); disc_sum / disc_expansion:
// discriminant signs decided by the compensated sum / the exact expansion;
// value_sum / value_expansion: the discriminant's value sharpened (sum,
// expansion) to place an imaginary part or to guess it; first_guesses:
// cubics with distinct roots, guessed in double (approx_roots);
// second_guesses: those whose first guesses a filter showed wrong
// (approx_cluster);
// searches: parts whose guess was wrong or unconfirmed (more than two
// oracle calls); probes: oracle calls made by the searches of round_part;
// cubics_with_gmp: polynomials that called GMP at all.
#ifndef QUBIC_EXACT_STATS_HPP
#define QUBIC_EXACT_STATS_HPP

#include <cstdint>

namespace qubic::exact {

struct counters {
  std::uint64_t polynomials = 0;
  std::uint64_t filter = 0;
  std::uint64_t sum = 0;
  std::uint64_t expansion = 0;
  std::uint64_t gmp = 0;
  std::uint64_t disc_sum = 0;
  std::uint64_t disc_expansion = 0;
  std::uint64_t value_sum = 0;
  std::uint64_t value_expansion = 0;
  std::uint64_t first_guesses = 0;
  std::uint64_t second_guesses = 0;
  std::uint64_t searches = 0;
  std::uint64_t probes = 0;
  std::uint64_t cubics_with_gmp = 0;
};

// The calling thread's counters.  Defined in solve_cubic.cpp, beside the
// hot path that adds to them, so that there it is inlined to one
// thread-local access.
counters& stats();

// Counts one sign decided by parts_sign (expansion.hpp) at its level.
inline void count_parts(int level) {
  if (level == 1) {
    ++stats().sum;
  } else {
    ++stats().expansion;
  }
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_STATS_HPP
