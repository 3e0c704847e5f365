// Test helpers: floats compared by their bit patterns, so that -0 and +0 differ,
// NaN payloads count, and no tolerance can hide a change in operation order.
#ifndef QUBIC_TESTS_BITS_HPP
#define QUBIC_TESTS_BITS_HPP

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace qubic::test {

inline constexpr float inf = std::numeric_limits<float>::infinity();
inline const float nan = std::numeric_limits<float>::quiet_NaN();

inline std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }
inline float from_bits(std::uint32_t u) { return std::bit_cast<float>(u); }

// A recognisable NaN that no computation produces: outputs that must stay
// untouched are prefilled with it and checked afterwards.
inline constexpr std::uint32_t sentinel_bits = 0x7FA5A5A5u;
inline float sentinel() { return from_bits(sentinel_bits); }

inline std::string show(float x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%a (%.9g, 0x%08X)", static_cast<double>(x), static_cast<double>(x),
                static_cast<unsigned>(bits(x)));
  return buf;
}

inline ::testing::AssertionResult same_bits(const char* ex, const char* ey, float x, float y) {
  if (bits(x) == bits(y)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ex << " is " << show(x) << "\n" << ey << " is " << show(y);
}

}  // namespace qubic::test

#define EXPECT_BITS(actual, expected) EXPECT_PRED_FORMAT2(::qubic::test::same_bits, actual, expected)

#endif  // QUBIC_TESTS_BITS_HPP
