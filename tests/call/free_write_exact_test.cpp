// write_free_real against std::to_chars(first, last, x), the shortest
// round-trip conversion of the standard library, text for text.
//
// write_free_real finds its digits with integer arithmetic of its own; the
// standard library's text is the expected value in every case.  The full
// sweep of all 2^32 bit patterns is opt-in:
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='FreeWriteExact.AllBitPatterns'
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/free_write.hpp"

namespace {

using qubic::call::free_real_room;
using qubic::call::write_free_real;
using qubic::test::from_bits;

// Empty when write_free_real writes what std::to_chars writes, else both.
std::string mismatch(float x) {
  char got[free_real_room];
  char want[64];
  const char* gend = write_free_real(got, x);
  const char* wend = std::to_chars(want, want + sizeof want, x).ptr;
  const std::string g(static_cast<const char*>(got), gend);
  const std::string w(static_cast<const char*>(want), wend);
  if (g == w) return {};
  return qubic::test::show(x) + ": wrote \"" + g + "\", to_chars writes \"" + w + "\"";
}

void expect_all_agree(const std::vector<std::uint32_t>& patterns) {
  int failures = 0;
  for (const std::uint32_t b : patterns) {
    const std::string m = mismatch(from_bits(b));
    if (!m.empty()) {
      ADD_FAILURE() << m;
      if (++failures == 20) return;
    }
  }
}

TEST(FreeWriteExact, NamedHardCases) {
  struct named {
    std::uint32_t bits;
    const char* why;
  };
  const named cases[] = {
      {0x4E800000, "2^30: a plain integer with all its digits, 1073741824"},
      {0x4CEB79A3, "123456792: plain, not 123456790"},
      {0x4CBEBC20, "10^8: 1e+08 is shorter than the plain integer"},
      {0x38D1B717, "1e-4: 1e-04 is shorter than 0.0001"},
      {0x3A83126F, "1e-3: 0.001 ties 1e-03 in length, plain wins"},
      {0x7F7FFFFF, "flmax"},
      {0x00800000, "flmin: the float below is as far as the one above"},
      {0x00000001, "smallest subnormal: 1e-45"},
      {0x007FFFFF, "largest subnormal"},
      {0x00000000, "+0"},
      {0x80000000, "-0"},
      {0x7F800000, "+infinity"},
      {0xFF800000, "-infinity"},
      {0x7FC00000, "NaN"},
      {0xFFC00000, "negative NaN"},
      {0x3F800000, "1: the float below is half as far"},
      {0x3FFFFFFF, "2 - 2^-23"},
  };
  for (const named& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(mismatch(from_bits(c.bits)), "");
  }
}

// Around every power of ten and every power of two (both signs): where the
// digit count, the layout and the lower gap change.
TEST(FreeWriteExact, DecadeAndBinadeBoundaries) {
  std::vector<std::uint32_t> patterns;
  for (int k = -45; k <= 38; ++k) {
    const std::string s = "1e" + std::to_string(k);
    float v = 0.0f;
    std::from_chars(s.data(), s.data() + s.size(), v);
    const std::uint32_t b = qubic::test::bits(v);
    for (std::uint32_t off = 0; off < 17; ++off) {
      const std::uint32_t around = b + off - 8;
      if (around < 0x7F800000u) {
        patterns.push_back(around);
        patterns.push_back(around | 0x80000000u);
      }
    }
  }
  for (std::uint32_t biased = 0; biased < 255; ++biased) {
    for (std::uint32_t off = 0; off < 5; ++off) {
      const std::uint32_t b = (biased << 23) + off;
      patterns.push_back(b);
      if (b >= 2) patterns.push_back(b - 2);
    }
  }
  for (std::uint32_t b = 0; b < 65536; ++b) patterns.push_back(b);  // subnormals with few bits
  // Integers up to 2^24, and every float from 2^24 to 2^26: plain or scientific.
  for (std::uint32_t b = 0x4B000000u; b < 0x4C800000u; b += 7) patterns.push_back(b);
  expect_all_agree(patterns);
}

// Uniform random bit patterns, seed 4711; and random floats between 10^-6
// and 10^6 (the roots the batch program writes), seed 4712.
TEST(FreeWriteExact, RandomBitPatterns) {
  std::mt19937 gen(4711);
  std::vector<std::uint32_t> patterns(2000000);
  for (std::uint32_t& b : patterns) b = static_cast<std::uint32_t>(gen());
  expect_all_agree(patterns);
  std::mt19937 gen2(4712);
  std::uniform_int_distribution<std::uint32_t> moderate(0x358637BDu, 0x49742400u);
  for (std::uint32_t& b : patterns) b = moderate(gen2) | (gen2() & 0x80000000u);
  expect_all_agree(patterns);
}

// All 2^32 bit patterns, split across the hardware threads.  Opt-in.
TEST(FreeWriteExact, AllBitPatterns) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  if (on == nullptr || std::string(on) != "1") GTEST_SKIP() << "set QUBIC_EXHAUSTIVE=1 to sweep all 2^32 floats";
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint64_t> failures{0};
  std::atomic<std::uint64_t> first_bad{~std::uint64_t{0}};
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) {
    pool.emplace_back([t, threads, &failures, &first_bad] {
      const std::uint64_t total = std::uint64_t{1} << 32;
      for (std::uint64_t b = total * t / threads; b < total * (t + 1) / threads; ++b) {
        const float x = from_bits(static_cast<std::uint32_t>(b));
        char got[free_real_room];
        char want[64];
        const char* gend = write_free_real(got, x);
        const char* wend = std::to_chars(want, want + sizeof want, x).ptr;
        if (gend - got != wend - want || std::memcmp(got, want, static_cast<std::size_t>(wend - want)) != 0) {
          ++failures;
          std::uint64_t cur = first_bad.load();
          while (b < cur && !first_bad.compare_exchange_weak(cur, b)) {
          }
        }
      }
    });
  }
  for (std::thread& th : pool) th.join();
  if (failures.load() != 0) {
    ADD_FAILURE() << failures.load() << " mismatches; first: "
                  << mismatch(from_bits(static_cast<std::uint32_t>(first_bad.load())));
  }
}

}  // namespace
