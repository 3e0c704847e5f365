// The double engine (solve_exact_double) beside the float engine
// (solve_exact) on comparable families, in one process: the same seeded
// cubics, in double for the one and rounded to float for the other.  Then
// the classes that must not be cliffs (quadratics, exact multiple roots,
// zero coefficients, roots near the ends of the double range), the double
// engine alone, with its escalation counters per cubic.
//
//   exact64_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//   exact64_bench --benchmark_filter=BM_side_by_side   (the ratio per family, passes alternating)
//   exact64_bench --benchmark_filter=BM_single_inputs   (the worst single inputs)
//   bench/exact64_callgrind.sh BUILD/bench/exact64_bench   (instructions per cubic)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <qubic/exact.hpp>

#include "exact64/stats64.hpp"
#include "timing.hpp"

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

// Single inputs: each cubic of a seeded adversarial family timed on its own
// (the least of seven timings of eight calls), against the mean of the
// uniform family timed the same way in the same run.  The counters are the
// worst and the mean ratio per family (docs/exact64.md section 9).
double time_one(const cubic& c) {
  double best = 1e300;
  for (int rep = 0; rep < 7; ++rep) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < 8; ++k) benchmark::DoNotOptimize(qubic::solve_exact_double(c[0], c[1], c[2], c[3]));
    const auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::nano>(t1 - t0).count() / 8);
  }
  return best;
}

struct adversary {
  const char* name;
  cubic (*make)(rng&);
};

const adversary adversaries[] = {
    {"near_double", [](rng& g) {  // two roots 2^-20 .. 2^-52 apart relatively
       const double r = uni(g, 0.5, 2) * (uni(g, 0, 1) < 0.5 ? -1 : 1);
       return from_roots(1.0, r, r * (1 + std::ldexp(1.0, -static_cast<int>(uni(g, 20, 52)))), uni(g, -3, 3));
     }},
    {"near_triple_coefficients", [](rng& g) {  // (x - s)^3 with its constant moved by 2^-40 .. 2^-104
       const double m = std::ldexp(uni(g, 1, 2), -static_cast<int>(uni(g, 40, 104))), s = uni(g, 0.5, 2);
       return cubic{1.0, -3 * s, 3 * s * s, -s * s * s * (1 + m)};
     }},
    {"near_triple_roots", [](rng& g) {
       const double r = uni(g, 0.5, 2);
       const double e1 = std::ldexp(uni(g, -1, 1), -static_cast<int>(uni(g, 10, 50)));
       const double e2 = std::ldexp(uni(g, -1, 1), -static_cast<int>(uni(g, 10, 50)));
       return from_roots(1.0, r, r * (1 + e1), r * (1 + e2));
     }},
    {"pair_v_far_below_u", [](rng& g) {
       return from_pair(1.0, uni(g, -3, 3), uni(g, 0.5, 2), std::ldexp(uni(g, 1, 2), -static_cast<int>(uni(g, 20, 200))));
     }},
    {"pair_u_far_below_v", [](rng& g) {
       return from_pair(1.0, uni(g, -3, 3), std::ldexp(uni(g, 1, 2), -static_cast<int>(uni(g, 20, 200))), uni(g, 0.5, 2));
     }},
    {"pair_near_real_root", [](rng& g) {
       const double r = uni(g, 0.5, 2), e = std::ldexp(1.0, -static_cast<int>(uni(g, 10, 40)));
       return from_pair(1.0, r, r * (1 + e), r * e * uni(g, 0.1, 10));
     }},
    {"coefficients_2^-500_to_2^500", [](rng& g) {
       cubic c;
       for (double& x : c) x = std::ldexp(uni(g, 1, 2) * (uni(g, 0, 1) < 0.5 ? -1 : 1), static_cast<int>(uni(g, -500, 500)));
       return c;
     }},
    {"huge_a2_over_a3", [](rng& g) {
       return cubic{std::ldexp(1.0, -static_cast<int>(uni(g, 100, 1000))), uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10)};
     }},
    {"subnormal_root", [](rng& g) { return from_roots(1.0, std::ldexp(uni(g, 1, 2), -1060), uni(g, -3, 3), uni(g, -3, 3)); }},
};

void BM_single_inputs(benchmark::State& state) {
  rng g(77);
  std::vector<cubic> base(1000);
  for (cubic& c : base) c = {uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10), uni(g, -10, 10)};
  for (auto _ : state) {
    double mean = 0;
    for (const cubic& c : base) mean += time_one(c);
    mean /= static_cast<double>(base.size());
    state.counters["uniform_ns"] = mean;
    for (const adversary& a : adversaries) {
      double worst = 0, sum = 0;
      for (int n = 0; n < 300; ++n) {
        const double t = time_one(a.make(g));
        worst = std::max(worst, t);
        sum += t;
      }
      state.counters[std::string(a.name) + "_worst"] = worst / mean;
      state.counters[std::string(a.name) + "_mean"] = sum / 300 / mean;
    }
  }
}
BENCHMARK(BM_single_inputs)->Iterations(1)->Unit(benchmark::kMillisecond);

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

// Both engines over the family in turn, one pass of its 4096 cubics each per
// round, rounds as iterations: medians of the rounds' thread CPU time per
// cubic and their ratio.  Alternating passes see the same state of the
// machine, so the ratio holds on a loaded or throttled one where separate
// runs of BM_double and BM_float drift apart.
void BM_side_by_side(benchmark::State& state, fam f) {
  const std::vector<cubic> c = cubics(f);
  std::vector<std::array<float, 4>> cf(c.size());
  for (std::size_t i = 0; i < c.size(); ++i)
    for (int k = 0; k < 4; ++k) cf[i][k] = static_cast<float>(c[i][k]);
  std::vector<double> td, tf;
  for (auto _ : state) {
    double t0 = qubic::bench::cpu_ns();
    for (const cubic& x : c) benchmark::DoNotOptimize(qubic::solve_exact_double(x[0], x[1], x[2], x[3]));
    td.push_back((qubic::bench::cpu_ns() - t0) / static_cast<double>(c.size()));
    t0 = qubic::bench::cpu_ns();
    for (const std::array<float, 4>& x : cf) benchmark::DoNotOptimize(qubic::solve_exact(x[0], x[1], x[2], x[3]));
    tf.push_back((qubic::bench::cpu_ns() - t0) / static_cast<double>(cf.size()));
  }
  state.counters["double_ns"] = qubic::bench::median(td);
  state.counters["float_ns"] = qubic::bench::median(tf);
  state.counters["double/float"] = qubic::bench::median(td) / qubic::bench::median(tf);
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
FAMILIES(BM_side_by_side, ->Iterations(41));
CLASSES(BM_double);
// Exactly 4096 calls each (every cubic of the family once), for callgrind's
// instruction counts (bench/exact64_callgrind.sh).
FAMILIES(BM_double, ->Iterations(4096));
FAMILIES(BM_float, ->Iterations(4096));
CLASSES(BM_double, ->Iterations(4096));

}  // namespace
