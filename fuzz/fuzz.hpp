// Helpers shared by the fuzz targets: a check that aborts (libFuzzer then
// keeps the input), bit patterns, and binary32 and binary64 patterns and
// coefficients read from input bytes.  It brings the library header and the standard
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

#include <qubic/exact.hpp>
#include <qubic/qubic.hpp>

namespace qubic::fuzz {

inline void check(bool ok) { if (!ok) std::abort(); }

inline std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }
inline std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// The binary32 pattern in p[0..3], little-endian.
inline float load_le(const std::uint8_t* p) {
  return std::bit_cast<float>(p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

// The 64-bit pattern in p[0..7], little-endian.
inline std::uint64_t load_le64(const std::uint8_t* p) {
  std::uint64_t u = 0;
  for (int b = 7; b >= 0; --b) u = u << 8 | p[b];
  return u;
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

// Four binary64 patterns a3, a2, a1, a0 (highest power first), each
// little-endian, from the first 32 bytes; a shorter input is padded with
// zero bytes.
inline qubic::coeffs_double load_coeffs_double(const std::uint8_t* data, std::size_t size) {
  std::uint8_t raw[32] = {};
  std::memcpy(raw, data, std::min(size, sizeof raw));
  qubic::coeffs_double a;
  for (int k = 0; k < 4; ++k) a(3 - k) = std::bit_cast<double>(load_le64(raw + 8 * k));
  return a;
}

// Quiet NaNs with a payload that no computation produces: outputs that must
// stay untouched are prefilled with them.
inline constexpr std::uint32_t fill = 0x7FE5A5A5u;
inline constexpr std::uint64_t fill64 = 0x7FFA5A5A5A5A5A5Au;

}  // namespace qubic::fuzz

#endif  // QUBIC_FUZZ_FUZZ_HPP
