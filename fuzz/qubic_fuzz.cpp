// Fuzz target: the cubic solver on arbitrary coefficient bit patterns (16
// bytes, four little-endian binary32 patterns a3, a2, a1, a0; shorter inputs
// padded with zero bytes, longer ones cut).  The solver must not crash and
// must keep the promises of its flag tables: the flags each path may give
// and in which combinations, finite normal parts under flag 1, the caller's
// bits in every entry a path does not write (all three when refused, for the
// zero polynomial, a nonzero constant or an overflowing bound; root 3 for a
// quadratic, root 2 too for a linear one), and the same bits from two calls
// with different prefills (no state, no read of an unwritten output).
#include <initializer_list>

#include "fuzz.hpp"

namespace {

using namespace qubic::fuzz;

bool bad(float x) { return qubic::isinf(x) || qubic::isnan(x) || qubic::isdnrm(x); }

bool one_of(std::int32_t f, std::initializer_list<std::int32_t> set) { return std::count(set.begin(), set.end(), f); }

struct outcome {
  qubic::roots re, im;
  qubic::flags fl;
  std::uint32_t prefill;  // the bits both root arrays started with

  // A path writes both parts of a root or neither.
  bool written(int k) const {
    check((bits(re(k)) != prefill) == (bits(im(k)) != prefill));
    return bits(re(k)) != prefill;
  }
};

outcome solve(const qubic::coeffs& a, std::uint32_t prefill) {
  const float f = std::bit_cast<float>(prefill);
  outcome o{{{f, f, f}}, {{f, f, f}}, {{12345, 12345, 12345}}, prefill};
  qubic::qubic(a, o.re, o.im, o.fl);
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qubic::coeffs a = load_coeffs<float>(data, size);
  const outcome o = solve(a, fill<float>), p = solve(a, 0xFFD1D1D1u);  // two quiet NaN prefills

  const auto zeros = std::count(o.fl.v, o.fl.v + 3, 0), refused = std::count(o.fl.v, o.fl.v + 3, -2);
  for (int k = 1; k <= 3; ++k) {
    const std::int32_t f = o.fl(k);
    check(f >= -6 && f <= 1 && p.fl(k) == f && o.written(k) == p.written(k));
    if (f == 1) check(!bad(o.re(k)) && !bad(o.im(k)));
    if (o.written(k)) check(bits(o.re(k)) == bits(p.re(k)) && bits(o.im(k)) == bits(p.im(k)));
    if (one_of(f, {1, -3, -4, -5})) check(o.written(k));
  }

  const bool screened = bad(a(0)) || bad(a(1)) || bad(a(2)) || bad(a(3));
  check(screened == (refused > 0));
  if (screened) {
    check(refused == 3 && !o.written(1) && !o.written(2) && !o.written(3));
    return 0;
  }
  const bool all_zero = a(0) == 0.0f && a(1) == 0.0f && a(2) == 0.0f && a(3) == 0.0f;
  check(all_zero == (zeros > 0) && (!all_zero || zeros == 3));

  if (a(3) == 0.0f) {
    // A quadratic or less: root 3 never exists; -1 in slot 2 means root 2
    // does not exist either, and -1 in slot 1 that none does.
    check(!o.written(3) && o.fl(3) == (all_zero ? 0 : -1));
    if (all_zero || o.fl(1) == -1) check(o.fl(1) == o.fl(2) && o.fl(2) == o.fl(3) && !o.written(1) && !o.written(2));
    if (o.fl(2) == -1) check(!o.written(2));
    check(one_of(o.fl(1), {1, -3, -1, 0}) && one_of(o.fl(2), {1, -3, -1, 0}));
    return 0;
  }
  for (int k = 1; k <= 3; ++k) check(o.fl(k) != -1 && o.fl(k) != 0);

  if (a(0) == 0.0f) {
    // The exact root +0 + 0i, then the cofactor's two roots.
    check(o.fl(1) == 1 && bits(o.re(1)) == 0 && bits(o.im(1)) == 0 && o.written(2) && o.written(3));
    return 0;
  }

  // The general path.  The bound is recomputed here in its own order to
  // tell the one case that writes no root.
  const float m = std::fmax(std::fmax(std::fabs(a(2)), std::fabs(a(1))), std::fabs(a(0)));
  const float q = m / std::fabs(a(3));
  if (std::isinf(q + 1.0f)) {
    for (int k = 1; k <= 3; ++k) check(o.fl(k) == -6 && !o.written(k));
    return 0;
  }
  check(o.written(1) && bits(o.im(1)) == 0 && one_of(o.fl(1), {1, -3, -4, -5, -6}));
  for (int k = 1; k <= 3; ++k) {
    const std::int32_t f = o.fl(k);
    const bool nan_part = std::isnan(o.re(k)) || std::isnan(o.im(k));
    if (one_of(f, {1, -3, -4, -5})) check(!nan_part);
    if (k == 1) continue;
    // Only a clean factor (fl(1) == 1) gives 1 and -3; an unclean one -5.
    check(one_of(f, {1, -3, -5, -6}) && (!one_of(f, {1, -3}) || o.fl(1) == 1) && (f != -5 || o.fl(1) != 1));
    if (f == -6) check(!o.written(k) || nan_part);
  }
  if (o.fl(1) == -6) check(o.fl(2) == -6 && o.fl(3) == -6);
  return 0;
}
