// The exact engine beside qubic::qubic (the step-by-step solver), per family
// of cubics.
//
// BM_exact / BM_qubic: throughput, cycling over 4096 seeded cubics
// (mean time per cubic), with the exact engine's escalation counters per
// cubic.  BM_median_warm and BM_median_stream: medians per cubic, below.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include <qubic/exact.hpp>
#include <qubic/qubic.hpp>

#include "cases.hpp"
#include "timing.hpp"
#include "exact/stats.hpp"

namespace {

using qubic::bench::cpu_ns;
using qubic::bench::kind;
using qubic::bench::median;

void BM_exact(benchmark::State& state, kind k) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(k);
  qubic::exact::stats() = {};
  std::size_t n = 0;
  for (auto _ : state) {
    const qubic::coeffs& x = c[n++ & 4095];
    benchmark::DoNotOptimize(qubic::solve_exact(x(3), x(2), x(1), x(0)));
  }
  using counters = qubic::exact::counters;
  const counters s = qubic::exact::stats();
  const struct { const char* name; std::uint64_t counters::*count; } per_polynomial[] = {
      {"filter_signs", &counters::filter},       {"sum_signs", &counters::sum},
      {"expansion_signs", &counters::expansion}, {"gmp_signs", &counters::gmp},
      {"disc_sum", &counters::disc_sum},         {"disc_expansion", &counters::disc_expansion},
      {"value_sum", &counters::value_sum},       {"value_expansion", &counters::value_expansion},
      {"first_guesses", &counters::first_guesses}, {"second_guesses", &counters::second_guesses},
      {"searches", &counters::searches},         {"probes", &counters::probes},
      {"gmp_cubics", &counters::cubics_with_gmp},
  };
  for (const auto& c : per_polynomial) {
    state.counters[c.name] = static_cast<double>(s.*c.count) / static_cast<double>(s.polynomials);
  }
}

void BM_qubic(benchmark::State& state, kind k) {
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

// Each cubic timed on its own by both solvers in turn (so that a change in
// the machine's load hits both alike); medians over the family of each
// cubic's own time, and their ratio.
//  * BM_median_warm: 16 repetitions of the same cubic per timing (thread CPU
//    clock); the branch predictors learn the cubic, as in a tight loop over
//    one input.
//  * BM_median_stream: one call per timing (time-stamp counter, converted
//    with the steady clock over the whole run), the solver meeting a new
//    cubic at every call, as the batch program does.
void BM_median_warm(benchmark::State& state, kind k) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(k);
  std::vector<double> ex;
  std::vector<double> sp;
  qubic::roots rr{};
  qubic::roots ri{};
  qubic::flags fl{};
  std::size_t n = 0;
  constexpr int reps = 16;
  for (auto _ : state) {
    const qubic::coeffs& x = c[n++ & 4095];
    const double t0 = cpu_ns();
    for (int r = 0; r < reps; ++r) benchmark::DoNotOptimize(qubic::solve_exact(x(3), x(2), x(1), x(0)));
    const double t1 = cpu_ns();
    for (int r = 0; r < reps; ++r) {
      qubic::qubic(x, rr, ri, fl);
      benchmark::DoNotOptimize(rr);
      benchmark::DoNotOptimize(fl);
    }
    const double t2 = cpu_ns();
    ex.push_back((t1 - t0) / reps);
    sp.push_back((t2 - t1) / reps);
  }
  const double me = median(ex);
  const double ms = median(sp);
  state.counters["exact_ns"] = me;
  state.counters["qubic_ns"] = ms;
  state.counters["ratio"] = me / ms;
}

// The time-stamp counter where there is one (cheap, fine-grained), else
// the steady clock in nanoseconds.
std::uint64_t ticks() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_lfence();
  const std::uint64_t t = __rdtsc();
  _mm_lfence();
  return t;
#else
  return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

void BM_median_stream(benchmark::State& state, kind k) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(k);
  std::vector<double> ex;
  std::vector<double> sp;
  qubic::roots rr{};
  qubic::roots ri{};
  qubic::flags fl{};
  const auto w0 = std::chrono::steady_clock::now();
  const std::uint64_t k0 = ticks();
  for (auto _ : state) {
    for (const qubic::coeffs& x : c) {
      const std::uint64_t t0 = ticks();
      benchmark::DoNotOptimize(qubic::solve_exact(x(3), x(2), x(1), x(0)));
      const std::uint64_t t1 = ticks();
      ex.push_back(static_cast<double>(t1 - t0));
    }
    for (const qubic::coeffs& x : c) {
      const std::uint64_t t0 = ticks();
      qubic::qubic(x, rr, ri, fl);
      benchmark::DoNotOptimize(rr);
      benchmark::DoNotOptimize(fl);
      const std::uint64_t t1 = ticks();
      sp.push_back(static_cast<double>(t1 - t0));
    }
  }
  const std::uint64_t k1 = ticks();
  const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - w0).count();
  const double ns_per_tick = ns / static_cast<double>(k1 - k0);
  const double me = median(ex) * ns_per_tick;
  const double ms = median(sp) * ns_per_tick;
  state.counters["exact_ns"] = me;
  state.counters["qubic_ns"] = ms;
  state.counters["ratio"] = me / ms;
}

#define QUBIC_FAMILIES(BM, ...)                                                \
  BENCHMARK_CAPTURE(BM, uniform, kind::random_coefficients) __VA_ARGS__;       \
  BENCHMARK_CAPTURE(BM, three_real_roots, kind::three_real) __VA_ARGS__;       \
  BENCHMARK_CAPTURE(BM, near_multiple, kind::near_multiple) __VA_ARGS__;       \
  BENCHMARK_CAPTURE(BM, real_and_complex_pair, kind::complex_pair) __VA_ARGS__; \
  BENCHMARK_CAPTURE(BM, sixty_decades, kind::sixty_decades) __VA_ARGS__;       \
  BENCHMARK_CAPTURE(BM, reference_mix, kind::reference_mix) __VA_ARGS__;       \
  BENCHMARK_CAPTURE(BM, quadratic, kind::quadratic) __VA_ARGS__;               \
  BENCHMARK_CAPTURE(BM, exact_multiple, kind::exact_multiple) __VA_ARGS__;     \
  BENCHMARK_CAPTURE(BM, zero_coefficients, kind::zero_coefficients) __VA_ARGS__; \
  BENCHMARK_CAPTURE(BM, huge_ratio, kind::huge_ratio) __VA_ARGS__;             \
  BENCHMARK_CAPTURE(BM, clustered, kind::clustered) __VA_ARGS__

QUBIC_FAMILIES(BM_exact);
QUBIC_FAMILIES(BM_qubic);
QUBIC_FAMILIES(BM_median_warm, ->Iterations(4096));
QUBIC_FAMILIES(BM_median_stream, ->Iterations(8));

}  // namespace
