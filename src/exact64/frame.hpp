// frame: a polynomial of degree <= 3 rescaled to a point's own scale, and
// the filter that decides its sign there in double-double with a proven
// bound (docs/exact64.md sections 3 and 4).
//
// Frame.  For coefficients c_k (wdd, any exponent) and a scale e, the frame
// polynomial is F(Z) = 2^-E sum c_k 2^(k e) Z^k, E the largest exponent of a
// term, so that every coefficient head h_k is below 2 in magnitude and one
// is at least 1.  F(Z) and the polynomial at z = 2^e Z have the same sign.
// A head below 2^-700 is dropped into the error d_k: every head kept is an
// integer multiple of 2^-752, which keeps every error-free product below
// exact (no underflow, section 4).
//
// Taylor filter.  At a double Y with 2^-8 <= |Y| < 2^8, expand() computes
// F(Y) as s0 + c (compensated Horner: two_prod and two_sum, then the
// correction polynomial in double), F'(Y) and F''(Y)/2 in double and the
// absolute sums A = sum |h_k| |Y|^k and A1 = sum k |h_k| |Y|^(k-1).  Then
// sign_at(t, lam, lam_err) gives the sign of F at Y + lam* for every real
// lam* within lam_err of the double lam, rho = (|lam| + lam_err)/|Y| at most
// 2^-40: V = s0 + (c + lam (F' + lam (F''/2 + lam h3))) and
//   |F(Y + lam*) - V| <= (2^-96 + 2^-47 rho) A
//                        + sum d_k (|Y| + |lam| + lam_err)^k
//                        + 2 lam_err A1 + 2^-1000,
// so |V| beyond that bound (widened for its own rounding) decides; else 0
// (undecided, never "zero").
//
// Worked example (Exact64Blocks.WorkedExamples): F = Z^3 - 2 at
// Y = 0x1.428a2f98d728bp+0, the double nearest 2^(1/3) = 1.2599210498948731648:
// the sign at Y - 2^-53 is -1 and at Y + 2^-53 is +1 (the root lies between).
#ifndef QUBIC_EXACT64_FRAME_HPP
#define QUBIC_EXACT64_FRAME_HPP

#include <bit>
#include <cmath>
#include <cstdint>

#include "exact64/wide.hpp"

namespace qubic::exact64 {

// Left unset until make_frame writes every entry (a poly64 holds one per
// polynomial, most never framed).
struct fpoly {
  double h[4];
  double l[4];
  double d[4];
  bool kept;  // every nonzero head kept (none dropped below 2^-700)
};

// The frame of c[0..n] (n <= 3) at scale e, written into f; E is written to
// *scale_out.  A kept head's shift sh >= -700 makes 2^sh a normal double,
// built from its bits.
inline void make_frame(fpoly& f, const wdd* c, int n, int e, int* scale_out = nullptr) {
  if (n == 3 && c[0].h != 0.0 && c[1].h != 0.0 && c[2].h != 0.0 && c[3].h != 0.0) {
    // Every head nonzero and none dropped: the loop below, without its tests.
    const int t[4] = {c[0].x, c[1].x + e, c[2].x + 2 * e, c[3].x + 3 * e};
    const int hi01 = t[0] > t[1] ? t[0] : t[1], hi23 = t[2] > t[3] ? t[2] : t[3];
    const int lo01 = t[0] < t[1] ? t[0] : t[1], lo23 = t[2] < t[3] ? t[2] : t[3];
    const int E = hi01 > hi23 ? hi01 : hi23;
    const int lo = lo01 < lo23 ? lo01 : lo23;
    if (lo - E >= -700) [[likely]] {
      for (int k = 0; k <= 3; ++k) {
        const double g = std::bit_cast<double>(static_cast<std::uint64_t>(t[k] - E + 1023) << 52);
        f.h[k] = c[k].h * g;
        f.l[k] = c[k].l * g;
        f.d[k] = (c[k].e * g + floor_eta) * widen;
      }
      f.kept = true;
      if (scale_out != nullptr) *scale_out = E;
      return;
    }
  }
  int E = 0;
  bool any = false;
  for (int k = 0; k <= n; ++k) {
    if (c[k].h == 0.0) continue;
    const int t = c[k].x + k * e;
    if (!any || t > E) E = t;
    any = true;
  }
  f.kept = true;
  for (int k = 0; k <= 3; ++k) {
    if (k > n) {
      f.h[k] = f.l[k] = f.d[k] = 0.0;
      continue;
    }
    const int sh = c[k].x + k * e - E;
    if (c[k].h != 0.0 && sh >= -700) [[likely]] {
      const double g = std::bit_cast<double>(static_cast<std::uint64_t>(sh + 1023) << 52);
      f.h[k] = c[k].h * g;  // exact: the result lies in [2^-700, 2)
      f.l[k] = c[k].l * g;
      f.d[k] = (c[k].e * g + floor_eta) * widen;
    } else {
      // Below 2^-1000 the scale is rounded up to 2^-1000 (a larger bound, and
      // no subnormal operand, which costs the processor dearly).
      const double fe = pow2(sh < -1000 ? -1000 : sh);
      const double mag = c[k].h != 0.0 ? 2.0 : 0.0;
      f.kept = f.kept && c[k].h == 0.0;
      f.h[k] = f.l[k] = 0.0;
      f.d[k] = ((mag + c[k].e) * fe + floor_eta) * widen;
    }
  }
  if (scale_out != nullptr) *scale_out = E;
}

inline fpoly make_frame(const wdd* c, int n, int e, int* scale_out = nullptr) {
  fpoly f;
  make_frame(f, c, n, e, scale_out);
  return f;
}

struct taylor {
  double Y;
  double s0;  // F(Y) = s0 + c up to the proven error
  double c;
  double d1;  // F'(Y)
  double d2;  // F''(Y) / 2
  double d3;  // the cubic coefficient
  double A;   // sum |h_k| |Y|^k
  double A1;  // sum k |h_k| |Y|^(k-1)
  const fpoly* f;
};

[[gnu::always_inline]] inline taylor expand(const fpoly& f, double Y) {
  const double h3 = f.h[3], h2 = f.h[2], h1 = f.h[1], h0 = f.h[0];
  const two p2 = two_prod(h3, Y);
  const two s2 = two_sum(p2.hi, h2);
  const two p1 = two_prod(s2.hi, Y);
  const two s1 = two_sum(p1.hi, h1);
  const two p0 = two_prod(s1.hi, Y);
  const two s0 = two_sum(p0.hi, h0);
  const double w2 = (p2.lo + s2.lo) + f.l[2];
  const double w1 = (p1.lo + s1.lo) + f.l[1];
  const double w0 = (p0.lo + s0.lo) + f.l[0];
  const double c = ((f.l[3] * Y + w2) * Y + w1) * Y + w0;
  const double t3 = 3.0 * h3;
  const double d1 = (t3 * Y + 2.0 * h2) * Y + h1;
  const double d2 = t3 * Y + h2;
  const double aY = std::fabs(Y);
  const double a3 = std::fabs(h3), a2 = std::fabs(h2), a1 = std::fabs(h1);
  const double A = ((a3 * aY + a2) * aY + a1) * aY + std::fabs(h0);
  const double A1 = (3.0 * a3 * aY + 2.0 * a2) * aY + a1;
  return {Y, s0.hi, c, d1, d2, h3, A, A1, &f};
}

// The computed value V and its bound at Y + lam (lam within lam_err).
struct filtered {
  double v;
  double bound;
};

inline filtered value_at(const taylor& t, double lam, double lam_err) {
  const double tail = t.c + lam * (t.d1 + lam * (t.d2 + lam * t.d3));
  const double v = t.s0 + tail;
  const double r = std::fabs(t.Y) + std::fabs(lam) + lam_err;
  const fpoly& f = *t.f;
  const double D = ((f.d[3] * r + f.d[2]) * r + f.d[1]) * r + f.d[0];
  const double rho = (std::fabs(lam) + lam_err) / std::fabs(t.Y);  // at most 2^-40
  const double bound = ((((0x1p-96 + 0x1p-47 * rho) * t.A + D) + 2.0 * lam_err * t.A1 + floor_eta) * widen) * widen;
  return {v, bound};
}

inline int sign_at(const taylor& t, double lam, double lam_err = 0.0) {
  const filtered r = value_at(t, lam, lam_err);
  if (r.v > r.bound) return 1;
  if (r.v < -r.bound) return -1;
  return 0;
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_FRAME_HPP
