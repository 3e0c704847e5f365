// write_e16 against the standard library's correctly rounded conversion.
//
// The oracle is std::to_chars(|x|, std::chars_format::scientific, 7), which
// rounds the exact binary value to 8 significant digits, ties to even; its
// "d.ddddddde+XX" is moved into the 0.dddddddd E+nn shape with the exponent
// one higher.  write_e16 computes its digits with integer arithmetic of its
// own, so every case below compares two independent computations.
//
// The full sweep of all 2^32 bit patterns is opt-in:
//   QUBIC_EXHAUSTIVE=1 ./qubic_tests --gtest_filter='E16WriteExact.AllBitPatterns'
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/e16_write.hpp"

namespace {

using qubic::call::write_e16;
using qubic::test::from_bits;

// The field the standard library's digits give, written into out[16].
void oracle(float x, char* out) {
  std::memset(out, ' ', 16);
  const char* word = nullptr;
  if (std::isnan(x)) word = "NaN";
  if (std::isinf(x)) word = std::signbit(x) ? "-Infinity" : "Infinity";
  if (word != nullptr) {
    const std::size_t n = std::strlen(word);
    std::memcpy(out + 16 - n, word, n);
    return;
  }
  char sci[32];
  const char* end = std::to_chars(sci, sci + sizeof sci, std::fabs(x), std::chars_format::scientific, 7).ptr;
  const char* ep = std::find(static_cast<const char*>(sci), end, 'e');
  int e10 = 0;
  std::from_chars(ep + 2, end, e10);
  if (ep[1] == '-') e10 = -e10;
  if (x != 0.0f) e10 += 1;
  char text[32];
  int n = 0;
  if (std::signbit(x)) text[n++] = '-';
  text[n++] = '0';
  text[n++] = '.';
  text[n++] = sci[0];
  std::memcpy(text + n, sci + 2, 7);
  n += 7;
  text[n++] = 'E';
  text[n++] = e10 < 0 ? '-' : '+';
  const int ae = std::abs(e10);
  text[n++] = static_cast<char>('0' + ae / 10);
  text[n++] = static_cast<char>('0' + ae % 10);
  std::memcpy(out + 16 - n, text, static_cast<std::size_t>(n));
}

// Empty when write_e16 agrees with the oracle on x, else a description.
std::string mismatch(float x) {
  char got[16];
  char want[16];
  write_e16(x, got);
  oracle(x, want);
  if (std::memcmp(got, want, 16) == 0) return {};
  return qubic::test::show(x) + ": wrote \"" + std::string(got, 16) + "\", correctly rounded is \"" +
         std::string(want, 16) + "\"";
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

// Both signs of a magnitude pattern.
void push_both(std::vector<std::uint32_t>& v, std::uint32_t magnitude) {
  v.push_back(magnitude);
  v.push_back(magnitude | 0x80000000u);
}

TEST(E16WriteExact, NamedHardCases) {
  struct named {
    std::uint32_t bits;
    const char* why;
  };
  const named cases[] = {
      {0x4A7FFFFF, "4194303.75: a tie at the ninth digit, 3 odd: rounds up"},
      {0x4A7FFFF9, "4194302.25: a tie at the ninth digit, 2 even: stays"},
      {0x358637BD, "9.99999997e-7: rounds to 10^-6, a carry into a new exponent"},
      {0x7F7FFFFF, "flmax"},
      {0x00800000, "flmin"},
      {0x007FFFFF, "the largest subnormal"},
      {0x00000001, "the smallest subnormal, decimal exponent -44"},
      {0x00000000, "+0"},
      {0x80000000, "-0 keeps its sign"},
      {0x7F800000, "+infinity"},
      {0xFF800000, "-infinity"},
      {0x7FC00000, "quiet NaN"},
      {0xFFA5A5A5, "negative signalling NaN with a payload"},
      {0x4CBEBC20, "10^8: the scaled value has nine digits"},
      {0x3F7FFFFF, "1 - 2^-24"},
  };
  for (const named& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(mismatch(from_bits(c.bits)), "");
  }
}

// Every float that is an exact 9-significant-digit decimal ending in 5, for
// decades 10^-4..10^3, and an evenly spread tenth of them in the decades up to
// 10^6 (no other decade holds such a tie).  A tie (10k + 5) * 10^(d-8) is
// dyadic only when 5^(7-d) divides 2k + 1; then it is j * 2^(d-8) with j odd,
// and it is a float when j < 2^24.
TEST(E16WriteExact, TiesAtTheNinthDigit) {
  std::vector<std::uint32_t> patterns;
  for (int d = -4; d <= 6; ++d) {
    double p5 = 1.0;  // 5^(8-d), exact in double (below 2^53)
    for (int k = 0; k < 8 - d; ++k) p5 *= 5.0;
    const std::uint64_t jlo = static_cast<std::uint64_t>(std::ceil(1e8 / p5)) | 1u;
    const std::uint64_t jhi = std::min<std::uint64_t>(static_cast<std::uint64_t>(std::ceil(1e9 / p5)),
                                                      std::uint64_t{1} << 24);
    const std::uint64_t step = d <= 3 ? 2 : 20;
    for (std::uint64_t j = jlo; j < jhi; j += step) {
      const float v = std::ldexp(static_cast<float>(j), d - 8);  // exact: j < 2^24
      ASSERT_EQ(static_cast<double>(v), std::ldexp(static_cast<double>(j), d - 8));
      push_both(patterns, qubic::test::bits(v));
    }
  }
  ASSERT_GT(patterns.size(), 100000u);
  expect_all_agree(patterns);
}

// The floats around each power of ten, the largest below and the smallest
// above every point where 8 digits carry into the next decade, every power of
// two, and the ends of the subnormal and normal ranges.
TEST(E16WriteExact, DecadeAndRangeBoundaries) {
  std::vector<std::uint32_t> patterns;
  for (int k = -46; k <= 39; ++k) {
    for (const char* form : {"1e", "9.9999999e", "9.99999995e"}) {
      const std::string s = form + std::to_string(k);
      float v = 0.0f;
      std::from_chars(s.data(), s.data() + s.size(), v);
      const std::uint32_t b = qubic::test::bits(v);
      for (std::uint32_t off = 0; off < 9; ++off) {
        const std::uint32_t around = b + off - 4;
        if (around < 0x7F800000u) push_both(patterns, around);
      }
    }
  }
  for (std::uint32_t biased = 0; biased < 255; ++biased) {
    for (const std::uint32_t frac : {0x000000u, 0x000001u, 0x400000u, 0x7FFFFFu}) {
      push_both(patterns, (biased << 23) | frac);
    }
  }
  for (std::uint32_t b = 0; b < 4096; ++b) {
    push_both(patterns, b);                // smallest subnormals
    push_both(patterns, 0x00800000u - b);  // largest subnormals, flmin
    push_both(patterns, 0x7F7FFFFFu - b);  // up to flmax
  }
  expect_all_agree(patterns);
}

// Uniform random bit patterns, seed 20240601: every exponent and sign.
TEST(E16WriteExact, RandomBitPatterns) {
  std::mt19937 gen(20240601);
  std::vector<std::uint32_t> patterns(3000000);
  for (std::uint32_t& b : patterns) b = static_cast<std::uint32_t>(gen());
  expect_all_agree(patterns);
}

// All 2^32 bit patterns, split across the hardware threads.  Opt-in: about
// 4.3 billion conversions each way.
TEST(E16WriteExact, AllBitPatterns) {
  const char* on = std::getenv("QUBIC_EXHAUSTIVE");
  if (on == nullptr || std::string(on) != "1") GTEST_SKIP() << "set QUBIC_EXHAUSTIVE=1 to sweep all 2^32 floats";
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint64_t> failures{0};
  std::atomic<std::uint64_t> first_bad{~std::uint64_t{0}};
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) {
    pool.emplace_back([t, threads, &failures, &first_bad] {
      const std::uint64_t total = std::uint64_t{1} << 32;
      const std::uint64_t lo = total * t / threads;
      const std::uint64_t hi = total * (t + 1) / threads;
      for (std::uint64_t b = lo; b < hi; ++b) {
        const float x = from_bits(static_cast<std::uint32_t>(b));
        char got[16];
        char want[16];
        write_e16(x, got);
        oracle(x, want);
        if (std::memcmp(got, want, 16) != 0) {
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
