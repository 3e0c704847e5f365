// The exact engine beside the specified solver, per family of cubics.
//
// BM_exact / BM_qubic_same: throughput, cycling over 4096 seeded cubics
// (mean time per cubic).  BM_exact_median / BM_qubic_median: each cubic
// timed on its own (16 repetitions, thread CPU clock), reporting the median
// over the family in the counter median_ns; the exact engine's escalation
// counters (per cubic) come with BM_exact.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

#include <qubic/exact.hpp>
#include <qubic/qubic.hpp>

#include "cases.hpp"
#include "exact/stats.hpp"

namespace {

using qubic::bench::kind;

void BM_exact(benchmark::State& state, kind k) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(k);
  qubic::exact::stats() = {};
  std::size_t n = 0;
  for (auto _ : state) {
    const qubic::coeffs& x = c[n++ & 4095];
    benchmark::DoNotOptimize(qubic::solve_exact(x(3), x(2), x(1), x(0)));
  }
  const qubic::exact::counters s = qubic::exact::stats();
  const double cubics = static_cast<double>(s.cubics);
  state.counters["filter_signs"] = static_cast<double>(s.filter) / cubics;
  state.counters["gmp_signs"] = static_cast<double>(s.exact) / cubics;
  state.counters["disc_sum"] = static_cast<double>(s.disc_sum) / cubics;
  state.counters["disc_gmp"] = static_cast<double>(s.disc_gmp) / cubics;
  state.counters["value_sum"] = static_cast<double>(s.value_sum) / cubics;
  state.counters["value_gmp"] = static_cast<double>(s.value_gmp) / cubics;
  state.counters["searches"] = static_cast<double>(s.searches) / cubics;
  state.counters["gmp_cubics"] = static_cast<double>(s.cubics_with_gmp) / cubics;
}

void BM_qubic_same(benchmark::State& state, kind k) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(k);
  qubic::roots rr{};
  qubic::roots ri{};
  qubic::flags fl{};
  std::size_t n = 0;
  for (auto _ : state) {
    qubic::qubic(c[n++ & 4095], rr, ri, fl);
    benchmark::DoNotOptimize(rr);
    benchmark::DoNotOptimize(fl);
  }
}

double cpu_ns() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Median over the family of each cubic's own time.
template <class Solve>
void per_cubic_median(benchmark::State& state, kind k, Solve&& solve) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(k);
  std::vector<double> ns;
  ns.reserve(c.size());
  std::size_t n = 0;
  for (auto _ : state) {
    const qubic::coeffs& x = c[n++ & 4095];
    const double t0 = cpu_ns();
    for (int r = 0; r < 16; ++r) solve(x);
    const double t1 = cpu_ns();
    if (ns.size() < c.size()) ns.push_back((t1 - t0) / 16.0);
  }
  std::nth_element(ns.begin(), ns.begin() + static_cast<std::ptrdiff_t>(ns.size() / 2), ns.end());
  state.counters["median_ns"] = ns[ns.size() / 2];
}

void BM_exact_median(benchmark::State& state, kind k) {
  per_cubic_median(state, k, [](const qubic::coeffs& x) {
    benchmark::DoNotOptimize(qubic::solve_exact(x(3), x(2), x(1), x(0)));
  });
}

void BM_qubic_median(benchmark::State& state, kind k) {
  qubic::roots rr{};
  qubic::roots ri{};
  qubic::flags fl{};
  per_cubic_median(state, k, [&](const qubic::coeffs& x) {
    qubic::qubic(x, rr, ri, fl);
    benchmark::DoNotOptimize(rr);
    benchmark::DoNotOptimize(fl);
  });
}

#define QUBIC_FAMILIES(BM, ...)                                             \
  BENCHMARK_CAPTURE(BM, uniform, kind::random_coefficients) __VA_ARGS__;    \
  BENCHMARK_CAPTURE(BM, three_real_roots, kind::three_real) __VA_ARGS__;    \
  BENCHMARK_CAPTURE(BM, near_multiple, kind::near_multiple) __VA_ARGS__;    \
  BENCHMARK_CAPTURE(BM, real_and_complex_pair, kind::complex_pair) __VA_ARGS__

QUBIC_FAMILIES(BM_exact);
QUBIC_FAMILIES(BM_qubic_same);
QUBIC_FAMILIES(BM_exact_median, ->Iterations(4096));
QUBIC_FAMILIES(BM_qubic_median, ->Iterations(4096));

}  // namespace
