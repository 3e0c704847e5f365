// Comparisons against the standard library's correctly rounded conversions,
// shared by the two writers' tests.  A check returns
// "" when the routine agrees with the oracle, else a description.
#ifndef QUBIC_TESTS_CALL_ORACLE_HPP
#define QUBIC_TESTS_CALL_ORACLE_HPP

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bits.hpp"

namespace qubic::test {

// check(x) for the float x of each pattern; the first 20 disagreements are reported.
template <class Check>
void expect_agree(const std::vector<std::uint32_t>& patterns, Check check) {
  int failures = 0;
  for (std::size_t k = 0; k < patterns.size() && failures < 20; ++k) {
    if (const std::string m = check(from_bits(patterns[k])); !m.empty()) {
      ++failures;
      ADD_FAILURE() << m;
    }
  }
}

// n uniform random bit patterns from mt19937(seed): all exponents and signs, NaNs too.
inline std::vector<std::uint32_t> random_bits(unsigned seed, std::size_t n) {
  std::mt19937 gen(seed);
  std::vector<std::uint32_t> v(n);
  for (std::uint32_t& b : v) b = static_cast<std::uint32_t>(gen());
  return v;
}

// Both signs of: the 8 floats either side of each power of ten and of each
// point where 8 and 9 digits carry into the next decade (10^k - 10^(k-8),
// 10^k - 5 * 10^(k-9)); of each power of two, and the middle of its binade;
// the 65536 smallest subnormals, the 4096 floats up to flmin and up to flmax.
// And, positive only, every 7th float from 2^23 to 2^26 (integers of 7 and 8
// digits, then the first that are not every integer).
inline std::vector<std::uint32_t> boundary_bits() {
  std::vector<std::uint32_t> v;
  const auto both = [&v](std::uint32_t b) {
    if (b < 0x7F800000u) v.insert(v.end(), {b, b | 0x80000000u});
  };
  for (int k = -46; k <= 39; ++k) {
    for (const char* form : {"1e", "9.9999999e", "9.99999995e"}) {
      const std::string s = form + std::to_string(k);
      float x = 0.0f;  // stays 0 out of range
      std::from_chars(s.data(), s.data() + s.size(), x);
      for (std::uint32_t b = bits(x) - 8; b != bits(x) + 9; ++b) both(b);
    }
  }
  for (std::uint32_t e = 0; e < 255; ++e) {
    for (std::uint32_t b = (e << 23) - 4; b != (e << 23) + 5; ++b) both(b);
    both((e << 23) | 0x400000u);
  }
  for (std::uint32_t b = 0; b < 65536; ++b) both(b);
  for (std::uint32_t b = 0; b < 4096; ++b) both(0x00800000u - b), both(0x7F7FFFFFu - b);
  for (std::uint32_t b = 0x4B000000u; b < 0x4C800000u; b += 7) v.push_back(b);
  return v;
}

// All 2^32 bit patterns through check, split across the hardware threads.
// Opt-in (QUBIC_EXHAUSTIVE=1): minutes of conversions each way.
template <class Check>
void sweep_all_bits(Check check) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  if (on == nullptr || std::string_view(on) != "1") GTEST_SKIP() << "set QUBIC_EXHAUSTIVE=1 to sweep all 2^32 floats";
  const std::uint64_t n = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint64_t> failures{0};
  std::atomic<std::uint32_t> example{0};  // a failing pattern
  std::vector<std::thread> pool;
  for (std::uint64_t t = 0; t < n; ++t) {
    pool.emplace_back([&, t] {
      for (std::uint64_t b = (t << 32) / n; b < ((t + 1) << 32) / n; ++b) {
        if (check(from_bits(static_cast<std::uint32_t>(b))).empty()) continue;
        ++failures;
        example = static_cast<std::uint32_t>(b);
      }
    });
  }
  for (std::thread& th : pool) th.join();
  if (failures != 0) ADD_FAILURE() << failures << " mismatches, for instance " << check(from_bits(example));
}

}  // namespace qubic::test

#endif  // QUBIC_TESTS_CALL_ORACLE_HPP
