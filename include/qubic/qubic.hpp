// qubic: all three roots, real or complex, of a cubic with single-precision
// coefficients, computed robustly in IEEE 754 single precision.
//
// What the library assumes
//   * float is IEEE 754 binary32, evaluated in its own precision
//     (FLT_EVAL_METHOD == 0), rounding to nearest, ties to even, gradual
//     underflow, no traps.  The static_asserts below state it once.
//   * Every formula is evaluated in the order its parentheses give, one rounding
//     per operation: the build passes -ffp-contract=off to every target, so no
//     fused multiply-add changes a bit.  The same coefficients give the same
//     bits with any conforming compiler and optimisation level.
//
// What a caller gets
//   qubic(array, rroot, iroot, fl) refuses coefficients that are infinite,
//   NaN or nonzero subnormal, and otherwise writes the roots it could compute
//   together with one flag per root (the codes below).  A root whose flag is
//   not 1 must not be used as a root; entries the solver did not reach keep
//   whatever the caller stored in them.
//
// Index bases follow the mathematics: coefficient k belongs to x^k (0..3),
// roots and flags are numbered 1..3, the quadratic factor's coefficient k
// belongs to x^k (0..2).  The vec<> template below keeps these bases in code.
#ifndef QUBIC_QUBIC_HPP
#define QUBIC_QUBIC_HPP

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

static_assert(std::numeric_limits<float>::is_iec559, "qubic needs IEEE 754 binary32 floats");
static_assert(std::numeric_limits<double>::is_iec559, "qubic needs IEEE 754 binary64 doubles");
static_assert(FLT_EVAL_METHOD == 0, "qubic needs float arithmetic evaluated in float");

namespace qubic {

// A fixed-size array indexed from Lo to Hi inclusive: v(Lo) is the first element.
template <class T, int Lo, int Hi>
struct vec {
  static_assert(Lo <= Hi);
  T v[Hi - Lo + 1];

  constexpr T& operator()(int i) { return v[i - Lo]; }
  constexpr const T& operator()(int i) const { return v[i - Lo]; }
};

using coeffs = vec<float, 0, 3>;          // coeffs(k): coefficient of x^k
using roots = vec<float, 1, 3>;           // real or imaginary parts of roots 1..3
using flags = vec<std::int32_t, 1, 3>;    // flag of root k
using factor = vec<float, 0, 2>;          // quadratic factor, factor(k) of x^k

// Per-root flag codes.  Only a root flagged flag::found is a root to use.
namespace flag {
inline constexpr std::int32_t found = 1;           // found and usable
inline constexpr std::int32_t all_roots = 0;       // polynomial identically zero: every x is a root
inline constexpr std::int32_t no_root = -1;        // leading coefficient zero: fewer than three roots
inline constexpr std::int32_t refused = -2;        // a coefficient is infinite, NaN or subnormal
inline constexpr std::int32_t unusable = -3;       // computed, but infinite, subnormal or an underflowed zero
inline constexpr std::int32_t degraded = -4;       // real root usable, its deflation degraded
inline constexpr std::int32_t unclean = -5;        // from a factor whose real root or deflation was not clean
inline constexpr std::int32_t not_computed = -6;   // the solver gave up before this root
}  // namespace flag

// ---------------------------------------------------------------------------
// Classification of single-precision values.  At most one of the three holds
// for any value; when none holds the value is zero or finite normal.

inline constexpr float flmax = std::numeric_limits<float>::max();  // 0x7F7FFFFF
inline constexpr float flmin = std::numeric_limits<float>::min();  // 0x00800000

// |x| > flmax: true for +-infinity only (a NaN compares unordered: false).
inline bool isinf(float x) { return std::fabs(x) > flmax; }

// x != x: true for every NaN, quiet or signalling, of either sign.
inline bool isnan(float x) { return !(x == x); }

// 0 < |x| < flmin: true for nonzero subnormals only (zero, NaN and infinity: false).
inline bool isdnrm(float x) {
  const float ax = std::fabs(x);
  return 0.0f < ax && ax < flmin;
}

// ---------------------------------------------------------------------------
// The solver and its parts.  Every routine writes its status on every call;
// an output that a path does not write keeps the caller's value.

// The three roots of array(3) x^3 + array(2) x^2 + array(1) x + array(0),
// with one flag per root.  Flags start at -6; refused input leaves the roots
// untouched.  The cubic counts as solved exactly when all three flags are 1.
void qubic(const coeffs& array, roots& rroot, roots& iroot, flags& fl);

// Both roots of a x^2 + b x + c, by scaling with sqrt|a| and sqrt|c| instead
// of forming a*c or b*b.  iflag: -2 refused, -1 a=b=c=0, 0 a=b=0 (no root),
// 10/11 linear (root unusable/usable, x1 only), 20 none usable, 21 only the
// first usable, 22 both usable (x1, x2 written for 20..22).
void quad(float a, float b, float c, float& x1r, float& x1i, float& x2r, float& x2i,
          std::int32_t& iflag);

// The machine epsilon 2^-23, found by halving on the first call, remembered.
float eps();

// One real root of the cubic a between x1 and x2 (either order), by Newton
// iteration with bisection.  iflag: 0 residual within the rounding-error
// estimate, 1 a step left the iterate unchanged, -1 pass limit reached,
// -2 a NaN or an infinity was met.  Returns the iterate on every path.
float rtsafe(float x1, float x2, std::int32_t& iflag, const coeffs& a);

// Divides the cubic a by (x - root) into the quadratic factor b, each
// coefficient from the forward or the backward recurrence.  iflag: -1 the
// factor cannot be formed (b untouched), 0 degraded, 1 normal.
void deflation(float x, const coeffs& a, factor& b, std::int32_t& iflag);

// Multiplies (x - r1)(x - r2)(x - r3) back out in complex arithmetic:
// rb(j) + i ib(j) is the coefficient of x^j; rb(3) = 1, ib(3) = 0.
void coef(const roots& rroot, const roots& iroot, coeffs& rb, coeffs& ib);

}  // namespace qubic

#endif  // QUBIC_QUBIC_HPP
