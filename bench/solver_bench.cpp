// The solver's parts: quad, rtsafe and deflation on their own (the whole
// cubic solver per family is in exact_bench.cpp, beside the exact engine).
// Inputs are seeded (cases.hpp).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include <qubic/qubic.hpp>

#include "cases.hpp"

namespace {

using qubic::bench::kind;

// rtsafe on the bracket the cubic solver uses: 0 to Cauchy's bound, on the
// side where the end values have opposite signs.
void BM_rtsafe(benchmark::State& state) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(kind::three_real);
  std::vector<float> bound(c.size());
  for (std::size_t i = 0; i < c.size(); ++i) {
    const float m = std::fmax(std::fabs(c[i](0)), std::fmax(std::fabs(c[i](1)), std::fabs(c[i](2))));
    const float b = (m / std::fabs(c[i](3))) + 1.0f;
    bound[i] = (c[i](0) > 0) == (c[i](3) > 0) ? -b : b;
  }
  std::size_t n = 0;
  std::int32_t iflag = 0;
  for (auto _ : state) {
    const std::size_t i = n++ & 4095;
    benchmark::DoNotOptimize(qubic::rtsafe(0.0f, bound[i], iflag, c[i]));
  }
}
BENCHMARK(BM_rtsafe);

// deflation by a root the solver found.
void BM_deflation(benchmark::State& state) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(kind::three_real);
  std::vector<float> root(c.size());
  for (std::size_t i = 0; i < c.size(); ++i) {
    qubic::roots rr{};
    qubic::roots ri{};
    qubic::flags fl{};
    qubic::qubic(c[i], rr, ri, fl);
    root[i] = std::isfinite(rr(1)) ? rr(1) : 1.0f;
  }
  std::size_t n = 0;
  qubic::factor s{};
  std::int32_t iflag = 0;
  for (auto _ : state) {
    const std::size_t i = n++ & 4095;
    qubic::deflation(root[i], c[i], s, iflag);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_deflation);

// quad on quadratics with real roots and with a complex pair.
void BM_quad(benchmark::State& state) {
  const std::vector<qubic::coeffs> c = qubic::bench::cubics(kind::random_coefficients);
  std::size_t n = 0;
  float x1r = 0;
  float x1i = 0;
  float x2r = 0;
  float x2i = 0;
  std::int32_t nr = 0;
  for (auto _ : state) {
    const qubic::coeffs& q = c[n++ & 4095];
    qubic::quad(q(2), q(1), q(0), x1r, x1i, x2r, x2i, nr);
    benchmark::DoNotOptimize(x1r);
    benchmark::DoNotOptimize(x2i);
  }
}
BENCHMARK(BM_quad);

}  // namespace
