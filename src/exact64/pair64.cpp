// pair64: the pair's enclosure (pair64.hpp; the bounds are argued in
// docs/exact64.md section 8, "the pair from one enclosure").
#include "exact64/pair64.hpp"

#include <cmath>

#include "exact64/approx64.hpp"
#include "exact64/stats64.hpp"
#include "exact64/wide.hpp"

namespace qubic::exact64 {
namespace {

struct cx {
  double re;
  double im;
};

// One step S W + h = S' + E of the complex Horner scheme: S' rounded, E the
// exact sum of the error terms (E.re of four, E.im of three), returned
// summed in double (ehat) beside the sum of their absolute values (ebar).
struct step {
  cx s;
  cx ehat;
  double ebar;
};

inline step horner_step(cx S, double h, double U, const two& Us, double V, const two& Vs) {
  const two t1 = two_prod_split(S.re, U, Us);
  const two t2 = two_prod_split(S.im, V, Vs);
  const two t3 = two_prod_split(S.re, V, Vs);
  const two t4 = two_prod_split(S.im, U, Us);
  const two r1 = two_sum(t1.hi, -t2.hi);
  const two r2 = two_sum(r1.hi, h);
  const two i1 = two_sum(t3.hi, t4.hi);
  const double er = ((t1.lo - t2.lo) + r1.lo) + r2.lo;
  const double ei = (t3.lo + t4.lo) + i1.lo;
  const double eb = ((((((std::fabs(t1.lo) + std::fabs(t2.lo)) + std::fabs(r1.lo)) + std::fabs(r2.lo)) +
                       std::fabs(t3.lo)) + std::fabs(t4.lo)) + std::fabs(i1.lo));
  return {{r2.hi, i1.hi}, {er, ei}, eb};
}

// The smallest half gap around the double X != 0 (frame units): 2^(k-53)
// for |X| in [2^k, 2^(k+1)), 2^(k-54) toward zero from a power of two.
inline double half_gap_min(double X) {
  const mant_exp me = split_exp(X);
  return pow2(std::fabs(me.m) == 1.0 ? me.e - 54 : me.e - 53);
}

// Whether the real y* with |y* - (X + t)| <= rho lies strictly inside the
// cell of X, X * 2^e normal (its exponent in [-1021, 1022], so that the
// scaling maps cells onto cells).  fl(|t| + rho) (1 + 2^-50) rounded is at
// least (|t| + rho) (1 + 2^-50)(1 - u)^2 > |t| + rho.
inline bool inside_cell(double X, double t, double rho, int e) {
  if (X == 0.0) return false;
  const int k = exponent(X) + e;
  if (k < -1021 || k > 1022) return false;
  const double reach = (std::fabs(t) + rho) * (1.0 + 0x1p-50);
  return reach < half_gap_min(X);
}

}  // namespace

pair_parts enclose_pair(const fpoly& f, int e, double U, double V, double u0, double v0) {
  ++stats().expansions;
  pair_parts out{u0, v0, false, false};
  const double h3 = f.h[3], h2 = f.h[2], h1 = f.h[1], h0 = f.h[0];
  const two Us = split(U), Vs = split(V);

  // F(W0) = S0 + sum_k E_k W0^k exactly (S3 = h3; the first step's S is real).
  const two a1 = two_prod_split(h3, U, Us);
  const two a2 = two_prod_split(h3, V, Vs);
  const two b1 = two_sum(a1.hi, h2);
  const step s2{{b1.hi, a2.hi}, {a1.lo + b1.lo, a2.lo}, (std::fabs(a1.lo) + std::fabs(b1.lo)) + std::fabs(a2.lo)};
  const step s1 = horner_step(s2.s, h1, U, Us, V, Vs);
  const step s0 = horner_step(s1.s, h0, U, Us, V, Vs);

  // The correction C = (E2 W + E1) W + E0 in double, and the bound's sum.
  const double w = std::fabs(U) + V;  // |W0|_1
  const cx c2 = s2.ehat;
  const cx c1{(c2.re * U - c2.im * V) + s1.ehat.re, (c2.re * V + c2.im * U) + s1.ehat.im};
  const cx c0{(c1.re * U - c1.im * V) + s0.ehat.re, (c1.re * V + c1.im * U) + s0.ehat.im};
  const double eb = (s2.ebar * w + s1.ebar) * w + s0.ebar;
  const double Fr = s0.s.re + c0.re, Fi = s0.s.im + c0.im;
  // |F(W0) - Fc|_1: the correction's roundings (9.01 u of the error terms'
  // absolute sum) within 2^-49 eb, the two final roundings, the floor.
  const double xi = ((0x1p-49 * eb + u * (std::fabs(Fr) + std::fabs(Fi))) + floor_eta) * widen;

  // F'(W0) in double: D = (3 h3 W + 2 h2) W + h1, within gamma_6 A1 <=
  // 2^-50 A1 (computed), and the sizes M2 >= |F''(W0)/2|_1.
  const double t3 = 3.0 * h3;
  const cx d2{t3 * U + 2.0 * h2, t3 * V};
  const double Dr = (d2.re * U - d2.im * V) + h1, Di = d2.re * V + d2.im * U;
  const double ah3 = std::fabs(h3);
  const double A1 = ((3.0 * ah3) * w + 2.0 * std::fabs(h2)) * w + std::fabs(h1);
  const double zeta = (0x1p-50 * A1 + floor_eta) * widen;
  const double M2 = ((3.0 * ah3) * w + std::fabs(h2)) * widen;

  // The Newton step, then F and F' at W1 = W0 + delta (exact, a pair of
  // doubles per part) from the Taylor expansion at W0.
  const double den = Dr * Dr + Di * Di;
  if (!(den > 0x1p-900) || !std::isfinite(Fr) || !std::isfinite(Fi)) return out;
  const double dr = -(Fr * Dr + Fi * Di) / den;
  const double di = -(Fi * Dr - Fr * Di) / den;
  if (!std::isfinite(dr) || !std::isfinite(di)) return out;
  // Fc + delta D in double, within gamma_3 (|Fc|_1 + |delta|_1 |D|_1).
  const double Rr = Fr + (dr * Dr - di * Di);
  const double Ri = Fi + (dr * Di + di * Dr);
  const double dn = (std::fabs(dr) + std::fabs(di)) * widen;  // >= |delta|_1
  const double Dn = std::fabs(Dr) + std::fabs(Di);
  const double res0 = (std::fabs(Rr) + std::fabs(Ri)) + (4.0 * u) * ((std::fabs(Fr) + std::fabs(Fi)) + dn * Dn);
  // |F(W1)| <= |Fc + delta D| + |xi| + |delta| zeta + |delta|^2 M2 + |delta|^3 |h3|.
  const double Fup = ((((res0 + xi) + dn * zeta) + dn * dn * M2) + dn * dn * dn * ah3) * widen;
  // |F'(W1)| >= |D| - zeta - 2 |delta| M2 - 3 |delta|^2 |h3|, |D| >= max(|Dr|, |Di|).
  const double sub = ((zeta + 2.0 * dn * M2) + 3.0 * dn * dn * ah3) * widen;
  const double Dmax = std::fabs(Dr) > std::fabs(Di) ? std::fabs(Dr) : std::fabs(Di);
  const double L = Dmax - sub;  // the true bound is at least L (1 - u)
  if (!(L > 0.0)) return out;
  const double rho = ((3.0 * Fup) / L) * widen * widen;
  if (!std::isfinite(rho)) return out;

  const two x = two_sum(U, dr);  // Re W1 = x.hi + x.lo exactly
  const two y = two_sum(V, di);  // Im W1 = y.hi + y.lo exactly
  // The disk in the upper half plane (Im W1 - rho > 0), and each part in
  // one cell; the centre otherwise, as the next guess.
  const bool upper = y.hi > (std::fabs(y.lo) + rho) * (1.0 + 0x1p-50);
  out.rho = rho;
  out.u_ok = upper && inside_cell(x.hi, x.lo, rho, e);
  out.v_ok = upper && inside_cell(y.hi, y.lo, rho, e);
  out.u = out.u_ok ? x.hi * pow2(e) : ldexp_wide(x.hi, e);  // exact when ok: a normal result
  out.v = out.v_ok ? y.hi * pow2(e) : ldexp_wide(y.hi, e);
  return out;
}

}  // namespace qubic::exact64
