// The double engine (solve_exact_double) beside the float engine
// (solve_exact) on comparable families, in one process: the same seeded
// cubics, in double for the one and rounded to float for the other.  Then
// the classes that must not be cliffs (quadratics, exact multiple roots,
// zero coefficients, roots near the ends of the double range), the double
// engine alone, with its escalation counters per cubic.
//
//   exact64_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//   bench/exact64_callgrind.sh BUILD/bench/exact64_bench   (instructions per cubic)
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include <qubic/exact.hpp>

#include "exact64/stats64.hpp"

namespace {

using cubic = std::array<double, 4>;  // a3, a2, a1, a0
using rng = std::mt19937_64;

double uni(rng& g, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g); }
double decades(rng& g, double lo, double hi) {
  const double m = std::pow(10.0, uni(g, lo, hi));
  return uni(g, 0, 1) < 0.5 ? -m : m;
}
cubic from_roots(double a, double r1, double r2, double r3) {
  return {a, -a * (r1 + r2 + r3), a * (r1 * r2 + r2 * r3 + r1 * r3), -a * (r1 * r2 * r3)};
}
cubic from_pair(double a, double r, double u, double v) {
  const double q1 = -2 * u, q0 = u * u + v * v;
  return {a, a * (q1 - r), a * (q0 - r * q1), -a * r * q0};
}

enum class fam { uniform, three_real, pair, near_multiple, quadratic, multiple, zeros, range_ends };

// 4096 seeded cubics of one family.
std::vector<cubic> cubics(fam f) {
  rng g(2000 + static_cast<int>(f));
  std::vector<cubic> out(4096);
  for (cubic& c : out) {
    switch (f) {
      case fam::uniform: c = {uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10)}; break;
      case fam::three_real: c = from_roots(decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3)); break;
      case fam::pair: c = from_pair(decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3), std::fabs(decades(g, -3, 3))); break;
      case fam::near_multiple: {
        const double r1 = decades(g, -3, 3);
        const double r2 = r1 * (1 + decades(g, -7, -2));
        const double r3 = uni(g, 0, 1) < 0.5 ? r1 * (1 + decades(g, -7, -2)) : decades(g, -3, 3);
        c = from_roots(1.0, r1, r2, r3);
        break;
      }
      case fam::quadratic: c = {0.0, decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3)}; break;
      case fam::multiple: {  // 2^k (x - p 2^j)^2 (x - q 2^j), exact in double
        const double p = std::uniform_int_distribution<int>(-1000, 1000)(g);
        const double q = std::uniform_int_distribution<int>(-1000, 1000)(g);
        const double s = std::ldexp(1.0, std::uniform_int_distribution<int>(-60, 60)(g));
        c = from_roots(std::ldexp(1.0, std::uniform_int_distribution<int>(-60, 60)(g)), p * s, p * s, q * s);
        break;
      }
      case fam::zeros: {  // one or two of a2, a1, a0 zero
        c = {decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3), decades(g, -3, 3)};
        const int k = std::uniform_int_distribution<int>(0, 5)(g);
        if (k < 3) c[1 + k] = 0.0; else c[1 + (k % 3)] = c[1 + ((k + 1) % 3)] = 0.0;
        break;
      }
      case fam::range_ends: {  // a root near the overflow threshold or in the subnormal range beside ordinary ones
        const bool big = uni(g, 0, 1) < 0.5;
        const double r = big ? std::ldexp(uni(g, 1, 2), 1023) : std::ldexp(uni(g, 1, 2), -1060);
        c = from_roots(1.0, r, decades(g, -3, 3), decades(g, -3, 3));
        break;
      }
    }
  }
  return out;
}

void report(benchmark::State& state) {
  const qubic::exact64::counters s = qubic::exact64::stats();
  const double n = static_cast<double>(state.iterations());
  state.counters["filter"] = static_cast<double>(s.filter) / n;
  state.counters["gmp_signs"] = static_cast<double>(s.exact) / n;
  state.counters["gmp_cubics"] = static_cast<double>(s.cubics_with_gmp) / n;
  state.counters["searches"] = static_cast<double>(s.searches) / n;
}

void BM_double(benchmark::State& state, fam f) {
  const std::vector<cubic> c = cubics(f);
  qubic::exact64::stats() = {};
  std::size_t n = 0;
  for (auto _ : state) {
    const cubic& x = c[n++ & 4095];
    benchmark::DoNotOptimize(qubic::solve_exact_double(x[0], x[1], x[2], x[3]));
  }
  report(state);
}

void BM_float(benchmark::State& state, fam f) {
  const std::vector<cubic> c = cubics(f);
  std::vector<std::array<float, 4>> cf(c.size());
  for (std::size_t i = 0; i < c.size(); ++i)
    for (int k = 0; k < 4; ++k) cf[i][k] = static_cast<float>(c[i][k]);
  std::size_t n = 0;
  for (auto _ : state) {
    const std::array<float, 4>& x = cf[n++ & 4095];
    benchmark::DoNotOptimize(qubic::solve_exact(x[0], x[1], x[2], x[3]));
  }
}

#define FAMILIES(BM, ...)                                                       \
  BENCHMARK_CAPTURE(BM, uniform, fam::uniform) __VA_ARGS__;                     \
  BENCHMARK_CAPTURE(BM, three_real_roots, fam::three_real) __VA_ARGS__;         \
  BENCHMARK_CAPTURE(BM, complex_pair, fam::pair) __VA_ARGS__;                   \
  BENCHMARK_CAPTURE(BM, near_multiple, fam::near_multiple) __VA_ARGS__
#define CLASSES(BM, ...)                                                        \
  BENCHMARK_CAPTURE(BM, class_quadratic, fam::quadratic) __VA_ARGS__;           \
  BENCHMARK_CAPTURE(BM, class_multiple, fam::multiple) __VA_ARGS__;             \
  BENCHMARK_CAPTURE(BM, class_zeros, fam::zeros) __VA_ARGS__;                   \
  BENCHMARK_CAPTURE(BM, class_range_ends, fam::range_ends) __VA_ARGS__

FAMILIES(BM_double);
FAMILIES(BM_float);
CLASSES(BM_double);
// Exactly 4096 calls each (every cubic of the family once), for callgrind's
// instruction counts (bench/exact64_callgrind.sh).
FAMILIES(BM_double, ->Iterations(4096));
FAMILIES(BM_float, ->Iterations(4096));
CLASSES(BM_double, ->Iterations(4096));

}  // namespace
