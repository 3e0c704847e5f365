// Timing helpers shared by the benchmarks that time passes themselves:
// the calling thread's CPU time, and the median of a sample.
#ifndef QUBIC_BENCH_TIMING_HPP
#define QUBIC_BENCH_TIMING_HPP

#include <algorithm>
#include <ctime>
#include <vector>

namespace qubic::bench {

// The calling thread's CPU time in nanoseconds.
inline double cpu_ns() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

inline double median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

}  // namespace qubic::bench

#endif  // QUBIC_BENCH_TIMING_HPP
