// The batch program's text conversions, per field: the E16.8 reader (the
// writer's own layout, other shapes, and the general path), the E16.8
// writer, and the shortest round-trip writer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/e16_read.hpp"
#include "text/e16_read_slow.hpp"
#include "text/e16_write.hpp"
#include "text/free_write.hpp"

namespace {

// Floats between 10^-6 and 10^6 of both signs, seed 11.
std::vector<float> moderate_floats() {
  std::mt19937 g(11);
  std::uniform_int_distribution<std::uint32_t> bits(0x358637BDu, 0x49742400u);
  std::vector<float> v(4096);
  for (float& x : v) {
    const std::uint32_t b = bits(g) | (g() & 0x80000000u);
    std::memcpy(&x, &b, 4);
  }
  return v;
}

// The same floats as E16.8 fields.
std::vector<std::string> writer_fields() {
  std::vector<std::string> f;
  for (const float x : moderate_floats()) {
    char out[16];
    qubic::call::write_e16(x, out);
    f.emplace_back(out, 16);
  }
  return f;
}

// Other readable shapes: left-justified, no point, D exponents, bare signs.
std::vector<std::string> other_fields() {
  return {"1.0", "-6.", "  11", "1.5D-3", "100000000", "-2.5+4", "  3.14159265", "0.000123E+02"};
}

void BM_read_e16_writer_layout(benchmark::State& state) {
  const std::vector<std::string> fields = writer_fields();
  std::size_t k = 0;
  float x = 0;
  for (auto _ : state) {
    qubic::call::read_e16(fields[k++ & 4095], x);
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_read_e16_writer_layout);

void BM_read_e16_other_shapes(benchmark::State& state) {
  const std::vector<std::string> fields = other_fields();
  std::size_t k = 0;
  float x = 0;
  for (auto _ : state) {
    qubic::call::read_e16(fields[k++ % fields.size()], x);
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_read_e16_other_shapes);

void BM_read_e16_general_path(benchmark::State& state) {
  const std::vector<std::string> fields = writer_fields();
  std::size_t k = 0;
  float x = 0;
  for (auto _ : state) {
    qubic::call::read_e16_slow(fields[k++ & 4095], x);
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_read_e16_general_path);

void BM_write_e16(benchmark::State& state) {
  const std::vector<float> v = moderate_floats();
  std::size_t k = 0;
  char out[16];
  for (auto _ : state) {
    qubic::call::write_e16(v[k++ & 4095], out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_write_e16);

void BM_write_free_real(benchmark::State& state) {
  const std::vector<float> v = moderate_floats();
  std::size_t k = 0;
  char out[qubic::call::free_real_room];
  for (auto _ : state) {
    benchmark::DoNotOptimize(qubic::call::write_free_real(out, v[k++ & 4095]));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_write_free_real);

}  // namespace
