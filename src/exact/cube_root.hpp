// The cube root that both exact engines start their closed-form guesses
// from.  Only a starting point for Newton's method on the cubic, never a
// result: 45 bits are plenty.
#ifndef QUBIC_EXACT_CUBE_ROOT_HPP
#define QUBIC_EXACT_CUBE_ROOT_HPP

#include <bit>
#include <cmath>
#include <cstdint>

namespace qubic::exact {

// The cube root of x to about 45 bits: a guess from the exponent bits
// (about 5 bits: the bits of |x| divided by 3 plus the bias that makes
// 1 its own cube root, roughly), then two Halley steps, each tripling the
// correct bits.  Outside 2^-900 .. 2^900 the cube y^3 could overflow or
// underflow, so those few take the library's cbrt.
inline double cube_root(double x) {
  const double ax = std::fabs(x);
  if (!(ax >= 0x1p-900 && ax <= 0x1p900)) return std::cbrt(x);
  double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(ax) / 3 + 0x2A9F7893782DA1CEull);
  for (int it = 0; it < 2; ++it) {
    const double y3 = y * y * y;
    y = y * (y3 + 2.0 * ax) / (2.0 * y3 + ax);
  }
  return x < 0.0 ? -y : y;
}

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_CUBE_ROOT_HPP
