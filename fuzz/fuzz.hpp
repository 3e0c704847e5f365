// Helpers shared by the fuzz targets: a check that aborts (libFuzzer then
// keeps the input), bit patterns, and binary32 patterns read from input
// bytes.  It brings the standard headers all three targets use.
#ifndef QUBIC_FUZZ_FUZZ_HPP
#define QUBIC_FUZZ_FUZZ_HPP

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace qubic::fuzz {

inline void check(bool ok) { if (!ok) std::abort(); }

inline std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// The binary32 pattern in p[0..3], little-endian.
inline float load_le(const std::uint8_t* p) {
  return std::bit_cast<float>(p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

// A quiet NaN with a payload that no computation produces: outputs that must
// stay untouched are prefilled with it.
inline constexpr std::uint32_t fill = 0x7FE5A5A5u;

}  // namespace qubic::fuzz

#endif  // QUBIC_FUZZ_FUZZ_HPP
