// stats: how the batch path settled its cubics, for the tests and the
// benchmark (a test that the vector path is really taken: equal bits alone
// would also hold if every cubic went to the scalar engine).
//
// Counters per thread, reset and read by the caller; the batch entry only
// adds.  cubics: cubics solved; three / one: settled in vector lanes with
// three real roots / one real root and a pair; the others went to
// solve_exact.
#ifndef QUBIC_BATCH_STATS_HPP
#define QUBIC_BATCH_STATS_HPP

#include <cstdint>

namespace qubic::batch {

struct counters {
  std::uint64_t cubics = 0;
  std::uint64_t three = 0;
  std::uint64_t one = 0;
};

inline counters& stats() {
  static thread_local counters c;
  return c;
}

}  // namespace qubic::batch

#endif  // QUBIC_BATCH_STATS_HPP
