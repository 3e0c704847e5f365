// solve: qubic() behind values instead of by-reference arrays.
//
// Which roots were written.  The solver writes a root's real and imaginary
// parts together and only the roots it reaches; the flags alone cannot tell
// which those are (a bound that overflows and a refinement that fails both
// end with -6, -6, -6, but the second has written root 1).  So both root
// arrays are prefilled with a signalling NaN of a fixed payload, and a root
// counts as written when its bits no longer match.  No computation yields
// that pattern: arithmetic on floats produces only the default quiet NaN,
// and the solver refuses NaN coefficients before it computes anything, so an
// input NaN cannot be copied into a root.  The sentinel is only moved, never
// computed with (FLT_EVAL_METHOD == 0: no x87 load that would quiet it).
//
// Example: solve(1e-30, 0, 0, 1e30) overflows Cauchy's bound: flags -6, -6,
// -6, nothing written, every root (NaN, NaN).
#include <qubic/solve.hpp>

#include <bit>
#include <limits>

namespace qubic {
namespace {

constexpr std::uint32_t unwritten_bits = 0x7FA0DEADu;  // signalling NaN
static_assert(std::bit_cast<float>(unwritten_bits) != std::bit_cast<float>(unwritten_bits),
              "the sentinel must be a NaN");
static_assert((unwritten_bits & 0x00400000u) == 0, "the sentinel must be a signalling NaN");

bool untouched(float x) { return std::bit_cast<std::uint32_t>(x) == unwritten_bits; }

}  // namespace

solution solve(float a3, float a2, float a1, float a0) {
  coeffs array;
  array(0) = a0;
  array(1) = a1;
  array(2) = a2;
  array(3) = a3;
  const float unwritten = std::bit_cast<float>(unwritten_bits);
  roots rroot{{unwritten, unwritten, unwritten}};
  roots iroot{{unwritten, unwritten, unwritten}};
  flags fl;

  qubic(array, rroot, iroot, fl);

  solution s;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int k = 1; k <= 3; ++k) {
    const bool written = !(untouched(rroot(k)) && untouched(iroot(k)));
    s.written[k - 1] = written;
    s.root[k - 1] = written ? std::complex<float>(rroot(k), iroot(k)) : std::complex<float>(nan, nan);
    s.flag[k - 1] = fl(k);
  }
  return s;
}

}  // namespace qubic
