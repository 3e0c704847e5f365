// The batch path (qubic::solve_exact_batch) beside GSL's closed-form
// complex cubic, gsl_poly_complex_solve_cubic, called per cubic on the same
// cubics, and beside the scalar exact engine (solve_exact per cubic).  GSL
// serves only as a yardstick of speed: it computes in double and its roots,
// rounded to float, are often not the correctly rounded ones.
//
// Families (cases.hpp): uniform (kind::random_coefficients) and
// sixty_decades, 4096 seeded cubics each, held as the Python module hands
// them over: rows a3, a2, a1, a0 of floats; every solver writes roots
// (complex<float>, 3 per cubic) and flags (GSL: roots only).
//
//  * BM_batch, BM_gsl, BM_scalar: time per cubic (the counter per_cubic).
//  * BM_side_by_side: the three in turn, eight passes over the family
//    each, 15 rounds; medians of the rounds' thread CPU time per cubic and
//    their ratios to GSL.  The ratio is the figure to compare: the machine's
//    load hits the three alike.  bench/batch_callgrind.sh counts the
//    instructions of these passes.
//  * BM_target: the batch path on each vector target this processor runs.
//
// The double path (qubic::solve_exact_double_batch) likewise, against the
// scalar double engine and GSL in double (its roots as they come), on double
// families (4096 seeded cubics each): uniform64 (four coefficients of
// 10^-3 .. 10^3, random signs) and mix64 (python/bench.py's draw: 40% three
// real roots, 40% a real root and a pair, 20% uniform64, roots of
// 10^-2 .. 10^3 times a3 of 10^-2 .. 10^2): BM_side_by_side64, BM_target64.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#ifdef QUBIC_HAVE_GSL
#include <gsl/gsl_complex.h>
#include <gsl/gsl_poly.h>
#endif

#include <qubic/batch.hpp>
#include <qubic/exact.hpp>

#include "batch/dispatch.hpp"
#include "batch64/block64.hpp"
#include "cases.hpp"
#include "timing.hpp"

namespace {

using qubic::bench::cpu_ns;
using qubic::bench::kind;
using qubic::bench::median;

struct data {
  std::vector<float> c;  // rows a3, a2, a1, a0
  std::vector<std::complex<float>> roots;
  std::vector<std::int32_t> flags;
  std::vector<char> solved;  // bool
  std::size_t n() const { return c.size() / 4; }
};

data make(kind k) {
  const std::vector<qubic::coeffs> cs = qubic::bench::cubics(k);
  data x;
  for (const qubic::coeffs& c : cs) x.c.insert(x.c.end(), {c(3), c(2), c(1), c(0)});
  x.roots.resize(3 * cs.size());
  x.flags.resize(3 * cs.size());
  x.solved.resize(cs.size());
  return x;
}

// One pass of each solver over the family (not inlined, so that callgrind
// can count each alone).
[[gnu::noinline]] void pass_batch(data& x) {
  qubic::solve_exact_batch({x.c.data(), x.n()}, x.roots.data(), x.flags.data(), reinterpret_cast<bool*>(x.solved.data()));
}

[[gnu::noinline]] void pass_scalar(data& x) {
  for (std::size_t i = 0; i < x.n(); ++i) {
    const float* a = &x.c[4 * i];
    const qubic::solution s = qubic::solve_exact(a[0], a[1], a[2], a[3]);
    for (int k = 0; k < 3; ++k) {
      x.roots[3 * i + k] = s.root[k];
      x.flags[3 * i + k] = s.flag[k];
    }
    x.solved[i] = s.solved();
  }
}

#ifdef QUBIC_HAVE_GSL
// GSL solves the monic cubic x^3 + A x^2 + B x + C in double.
[[gnu::noinline]] void pass_gsl(data& x) {
  for (std::size_t i = 0; i < x.n(); ++i) {
    const float* c = &x.c[4 * i];
    const double a = c[0];
    gsl_complex z[3];
    gsl_poly_complex_solve_cubic(c[1] / a, c[2] / a, c[3] / a, &z[0], &z[1], &z[2]);
    for (int k = 0; k < 3; ++k) {
      x.roots[3 * i + k] = {static_cast<float>(GSL_REAL(z[k])), static_cast<float>(GSL_IMAG(z[k]))};
    }
  }
}
#endif

template <class Data>
void per_cubic(benchmark::State& state, const Data& x) {
  state.counters["per_cubic"] = benchmark::Counter(static_cast<double>(x.n()),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void run(benchmark::State& state, kind k, void (*pass)(data&)) {
  data x = make(k);
  for (auto _ : state) {
    pass(x);
    benchmark::DoNotOptimize(x.roots.data());
    benchmark::ClobberMemory();
  }
  per_cubic(state, x);
}

void BM_batch(benchmark::State& state, kind k) { run(state, k, pass_batch); }
void BM_scalar(benchmark::State& state, kind k) { run(state, k, pass_scalar); }
#ifdef QUBIC_HAVE_GSL
void BM_gsl(benchmark::State& state, kind k) { run(state, k, pass_gsl); }
#endif

// The batch pass, the scalar engine's and GSL's (null without GSL) over x in
// turn, `passes` passes each per round; medians of the rounds' thread CPU
// time per cubic and their ratios.  Several passes per timing (a
// millisecond or so), so that a unit's warm-up after the others ran weighs
// little.
template <class Data>
void side_by_side(benchmark::State& state, Data x, int passes, void (*batch)(Data&), void (*scalar)(Data&),
                  void (*gsl)(Data&)) {
  std::vector<double> tb, ts, tg;
  auto timed = [&](void (*pass)(Data&), std::vector<double>& into) {
    const double t0 = cpu_ns();
    for (int p = 0; p < passes; ++p) {
      pass(x);
      benchmark::ClobberMemory();
    }
    into.push_back((cpu_ns() - t0) / static_cast<double>(passes * x.n()));
  };
  for (auto _ : state) {
    timed(batch, tb);
    timed(scalar, ts);
    if (gsl != nullptr) timed(gsl, tg);
  }
  state.counters["batch_ns"] = median(tb);
  state.counters["scalar_ns"] = median(ts);
  state.counters["scalar/batch"] = median(ts) / median(tb);
  if (gsl != nullptr) {
    state.counters["gsl_ns"] = median(tg);
    state.counters["batch/gsl"] = median(tb) / median(tg);
    state.counters["scalar/gsl"] = median(ts) / median(tg);
  }
}

// The batch pass over x on one vector target.
template <class Data>
void on_target(benchmark::State& state, Data x, void (*batch)(Data&), void (*force)(std::int64_t), std::int64_t target) {
  force(target);
  for (auto _ : state) {
    batch(x);
    benchmark::DoNotOptimize(x.roots.data());
    benchmark::ClobberMemory();
  }
  force(0);
  per_cubic(state, x);
}

#ifdef QUBIC_HAVE_GSL
constexpr void (*gsl32)(data&) = pass_gsl;
#else
constexpr void (*gsl32)(data&) = nullptr;
#endif

void BM_side_by_side(benchmark::State& state, kind k) { side_by_side(state, make(k), 8, pass_batch, pass_scalar, gsl32); }

void BM_target(benchmark::State& state, std::int64_t target, kind k) {
  on_target(state, make(k), pass_batch, qubic::batch::force_target, target);
}

#define QUBIC_FAMILIES(BM, ...)                                          \
  BENCHMARK_CAPTURE(BM, uniform, kind::random_coefficients) __VA_ARGS__; \
  BENCHMARK_CAPTURE(BM, sixty_decades, kind::sixty_decades) __VA_ARGS__

QUBIC_FAMILIES(BM_batch);
#ifdef QUBIC_HAVE_GSL
QUBIC_FAMILIES(BM_gsl);
#endif
QUBIC_FAMILIES(BM_scalar);
QUBIC_FAMILIES(BM_side_by_side, ->Iterations(15));

// BM_target/<target>/<family>, registered at start-up for the targets found.
const bool registered = [] {
  for (const std::int64_t t : qubic::batch::targets()) {
    const std::string name = std::string("BM_target/") + qubic::batch::target_name(t);
    benchmark::RegisterBenchmark((name + "/uniform").c_str(), BM_target, t, kind::random_coefficients);
    benchmark::RegisterBenchmark((name + "/sixty_decades").c_str(), BM_target, t, kind::sixty_decades);
  }
  return true;
}();

// ---------------------------------------------------------------------------
// The double path.

enum class fam64 { uniform, mix };

struct data64 {
  std::vector<double> c;  // rows a3, a2, a1, a0
  std::vector<std::complex<double>> roots;
  std::vector<std::int32_t> flags;
  std::vector<char> solved;  // bool
  std::size_t n() const { return c.size() / 4; }
};

data64 make64(fam64 f) {
  std::mt19937_64 g(6400 + static_cast<int>(f));
  auto uni = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g); };
  auto sgn = [&] { return uni(0, 1) < 0.5 ? -1.0 : 1.0; };
  data64 x;
  for (int i = 0; i < 4096; ++i) {
    const double kd = f == fam64::uniform ? 1.0 : uni(0, 1);
    const double a = sgn() * std::pow(10.0, uni(-2, 2)), s = std::pow(10.0, uni(-2, 3));
    const double r1 = s * uni(-1, 1), r2 = s * uni(-1, 1), r3 = s * uni(-1, 1), v = s * uni(0.01, 1);
    if (kd < 0.4) {
      x.c.insert(x.c.end(), {a, -a * (r1 + r2 + r3), a * (r1 * r2 + r2 * r3 + r1 * r3), -a * (r1 * r2 * r3)});
    } else if (kd < 0.8) {
      const double q = r2 * r2 + v * v;
      x.c.insert(x.c.end(), {a, -a * (r1 + 2 * r2), a * (2 * r2 * r1 + q), -a * (r1 * q)});
    } else {
      for (int k = 0; k < 4; ++k) x.c.push_back(sgn() * std::pow(10.0, uni(-3, 3)));
    }
  }
  x.roots.resize(3 * x.n());
  x.flags.resize(3 * x.n());
  x.solved.resize(x.n());
  return x;
}

[[gnu::noinline]] void pass_batch64(data64& x) {
  qubic::solve_exact_double_batch({x.c.data(), x.n()}, x.roots.data(), x.flags.data(),
                                  reinterpret_cast<bool*>(x.solved.data()));
}

[[gnu::noinline]] void pass_scalar64(data64& x) {
  for (std::size_t i = 0; i < x.n(); ++i) {
    const double* a = &x.c[4 * i];
    const qubic::solution_double s = qubic::solve_exact_double(a[0], a[1], a[2], a[3]);
    for (int k = 0; k < 3; ++k) {
      x.roots[3 * i + k] = s.root[k];
      x.flags[3 * i + k] = s.flag[k];
    }
    x.solved[i] = s.solved();
  }
}

#ifdef QUBIC_HAVE_GSL
[[gnu::noinline]] void pass_gsl64(data64& x) {
  for (std::size_t i = 0; i < x.n(); ++i) {
    const double* c = &x.c[4 * i];
    gsl_complex z[3];
    gsl_poly_complex_solve_cubic(c[1] / c[0], c[2] / c[0], c[3] / c[0], &z[0], &z[1], &z[2]);
    for (int k = 0; k < 3; ++k) x.roots[3 * i + k] = {GSL_REAL(z[k]), GSL_IMAG(z[k])};
  }
}
#endif

#ifdef QUBIC_HAVE_GSL
constexpr void (*gsl64)(data64&) = pass_gsl64;
#else
constexpr void (*gsl64)(data64&) = nullptr;
#endif

void BM_side_by_side64(benchmark::State& state, fam64 f) {
  side_by_side(state, make64(f), 4, pass_batch64, pass_scalar64, gsl64);
}

void BM_target64(benchmark::State& state, std::int64_t target, fam64 f) {
  on_target(state, make64(f), pass_batch64, qubic::batch64::force_target, target);
}

BENCHMARK_CAPTURE(BM_side_by_side64, uniform64, fam64::uniform)->Iterations(15);
BENCHMARK_CAPTURE(BM_side_by_side64, mix64, fam64::mix)->Iterations(15);

const bool registered64 = [] {
  for (const std::int64_t t : qubic::batch64::targets()) {
    const std::string name = std::string("BM_target64/") + qubic::batch::target_name(t);
    benchmark::RegisterBenchmark((name + "/uniform64").c_str(), BM_target64, t, fam64::uniform);
    benchmark::RegisterBenchmark((name + "/mix64").c_str(), BM_target64, t, fam64::mix);
  }
  return true;
}();

}  // namespace
