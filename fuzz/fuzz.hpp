// Helpers shared by the fuzz targets: a check that aborts (libFuzzer then
// keeps the input), bit patterns, and binary32 patterns and coefficients
// read from input bytes.  It brings the library header and the standard
// headers the targets use.
#ifndef QUBIC_FUZZ_FUZZ_HPP
#define QUBIC_FUZZ_FUZZ_HPP

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <qubic/qubic.hpp>

namespace qubic::fuzz {

inline void check(bool ok) { if (!ok) std::abort(); }

inline std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// The binary32 pattern in p[0..3], little-endian.
inline float load_le(const std::uint8_t* p) {
  return std::bit_cast<float>(p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

// Four binary32 patterns a3, a2, a1, a0 (highest power first, as in a
// coefficient record) from the first 16 bytes; a shorter input is padded
// with zero bytes.
inline qubic::coeffs load_coeffs(const std::uint8_t* data, std::size_t size) {
  std::uint8_t raw[16] = {};
  std::memcpy(raw, data, std::min(size, sizeof raw));
  qubic::coeffs a;
  for (int k = 0; k < 4; ++k) a(3 - k) = load_le(raw + 4 * k);
  return a;
}

// A quiet NaN with a payload that no computation produces: outputs that must
// stay untouched are prefilled with it.
inline constexpr std::uint32_t fill = 0x7FE5A5A5u;

}  // namespace qubic::fuzz

#endif  // QUBIC_FUZZ_FUZZ_HPP
