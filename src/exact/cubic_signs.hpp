// cubic_signs: the exact sign oracle of one cubic a x^3 + b x^2 + c x + d
// (a != 0, floats), docs/exact.md sections 3 to 5.
//
// Computes exact signs, at a double m holding a float or a midpoint, of the
// discriminant, of p, p', p'', of q (whose only real root is the pair's real
// part) and of the resolvent R(-4 a^2 m^2) (the sign of v - m, v the pair's
// imaginary part).  Each sign is taken from a double filter when it can
// decide, else from a compensated sum of exact parts, else from the exact
// expansion of those parts (cubic_signs.cpp): the answer is exact at every
// level, and only the resolvent, whose exact value does not fit the range
// of double, has a last level in GMP integers (big.hpp, built on first
// use).  The *_filter members are the filters alone and may answer 0
// (undecided); the others never guess.  Writes nothing outside the object
// but the counters of stats.hpp.
//
// Worked example (ExactSigns.Levels, the cubic of Exact.NamedExamples
// "x^3 + 3"): disc() = -1 (disc = -243, decided by the
// first filter); p(-1.5) = -1 (p = -3/8, so the real root -1.44224957...
// lies above -1.5); q(0.75) = +1 (q = 8 m^3 - 3 = 3/8, so the real part
// 0.72112478... lies below 0.75); im_side(1.25) = -1 (v = 1.24902476...).
#ifndef QUBIC_EXACT_CUBIC_SIGNS_HPP
#define QUBIC_EXACT_CUBIC_SIGNS_HPP

#include <cmath>

#include "exact/big.hpp"
#include "exact/expansion.hpp"
#include "exact/filter.hpp"
#include "exact/stats.hpp"

namespace qubic::exact {

class cubic_signs {
 public:
  cubic_signs(float a, float b, float c, float d) : fa_(a), fb_(b), fc_(c), fd_(d) {
    const double ad = a, bd_ = b, cd = c, dd = d;
    p_[0] = dd; p_[1] = cd; p_[2] = bd_; p_[3] = ad;
    dp_[0] = cd; dp_[1] = 2.0 * bd_; dp_[2] = 3.0 * ad;
    ddp_[0] = 2.0 * bd_; ddp_[1] = 6.0 * ad;
    // q: 8a^2 and 8ab exact (products of two floats), the other two rounded once.
    q_[3] = 8.0 * (ad * ad);
    q_[2] = 8.0 * (ad * bd_);
    const double bb = bd_ * bd_;
    const double ac = ad * cd;
    q_[1] = 2.0 * (bb + ac);
    q_[0] = (bd_ * cd) - (ad * dd);
    a2_ = ad * ad;
    P_ = bd_exact(3.0 * ac) - bd_exact(bb);
  }

  // sign of the discriminant, exact: a double filter, then the compensated
  // sum of its ten exact parts, then their exact expansion.  Leaves in
  // disc_ a value with an error bound for the resolvent filter.
  int disc() {
    const double a = fa_, b = fb_, c = fc_, d = fd_;
    const double ac = a * c, ad = a * d, bb = b * b, bc = b * c, bd_ = b * d, cc = c * c, cd = c * d;
    const double ab18 = (18.0 * a) * b;  // 28 x 24 bits: exact
    const double ad27 = 27.0 * ad;       // 48 x 5 bits: exact
    const double t1 = ab18 * cd;
    const double t2 = -4.0 * (bb * bd_);
    const double t3 = bc * bc;
    const double t4 = -4.0 * (ac * cc);
    const double t5 = -(ad27 * ad);
    const double v = (((t1 + t2) + t3) + t4) + t5;
    const double s =
        (((std::fabs(t1) + std::fabs(t2)) + std::fabs(t3)) + std::fabs(t4)) + std::fabs(t5);
    const double bound = s * 0x1p-50;
    disc_ = {v, bound};
    if (v > bound) return 1;
    if (v < -bound) return -1;
    ++stats().disc_sum;
    double x[10];
    sharpen_disc(x);
    if (disc_.v > disc_.e) return 1;
    if (disc_.v < -disc_.e) return -1;
    ++stats().disc_expansion;
    return expand_disc(x);
  }

  // The filters alone (0: undecided), for the straight-line confirmation.
  int p_filter(double m) const { return horner_sign<3>(p_, m, 50); }
  int q_filter(double m) const { return horner_sign<3>(q_, m, 49); }
  int r_filter(double m) { return resolvent_filter(m); }

  int p(double m) {
    return point_sign<8>(m, p_[0], [&] { return p_filter(m); }, [&](double* x) { p_parts(m, x); });
  }
  int dp(double m) {
    return point_sign<4>(m, dp_[0], [&] { return horner_sign<2>(dp_, m, 50); }, [&](double* x) { dp_parts(m, x); });
  }
  // 6a m has at most 26 + 25 bits: p''(m) = 6a m + 2b is a sum of two
  // exact doubles, and a rounded sum has the sign of the exact one.
  int ddp(double m) const {
    ++stats().filter;
    const double v = ddp_[1] * m + ddp_[0];
    return (v > 0.0) - (v < 0.0);
  }
  int q(double m) {
    return point_sign<12>(m, q_[0], [&] { return q_filter(m); }, [&](double* x) { q_parts(m, x); });
  }

  // sign(v - m) for m >= 0, v the imaginary part of the pair (disc < 0).
  // The resolvent filter needs disc/a^4 to a few bits more than the result;
  // a value from the first filter may be too coarse, so it is sharpened
  // (compensated sum, then the exact expansion, then, should the
  // expansion's value still be loose, GMP's) before the sign goes to GMP.
  int im_side(double m) {
    int s = resolvent_filter(m);
    if (s == 0 && disc_level_ == 0) {
      ++stats().value_sum;
      double x[10];
      sharpen_disc(x);
      s = resolvent_filter(m);
    }
    if (s == 0 && disc_level_ == 1) {
      ++stats().value_expansion;
      double x[10];
      disc_parts(x);
      expand_disc(x);
      s = resolvent_filter(m);
    }
    if (s != 0) return filtered(s);
    ++stats().gmp;
    if (disc_level_ == 2 && !(disc_.e <= 0x1p-50 * std::fabs(disc_.v))) {
      disc_ = {big().disc_value(), 0.0};
      disc_.e = std::fabs(disc_.v) * 0x1p-51;
      disc_level_ = 3;
      s = resolvent_filter(m);
      if (s != 0) return s;
    }
    return big().resolvent_sign(m);
  }

  // A double guess of v (disc < 0) from the resolvent: Newton's method on
  // t (t + P)^2 - D in the scaled variable, from t = -4 v0^2 (v0 the
  // caller's guess) or, when v0 = 0 (it cancelled), from D / P^2, the
  // root's value when |t| is far below |P|.  The real root of that cubic
  // lies well apart from its complex pair (docs/exact.md section 5), so a
  // double evaluation places it to a few units of 2^-52 once disc/a^4 is
  // that accurate.  Returns v0 when the iteration fails; never trusted.
  double im_guess(double v0);

  // The GMP facts of this cubic, made on first use in the calling thread's
  // workspace.
  big_cubic& big();

 private:
  static int sign(double v) { return (v > 0.0) - (v < 0.0); }
  static int filtered(int s) {
    ++stats().filter;
    return s;
  }

  // A point sign: at m = 0 the value is the constant term (d, c, or
  // bc - ad, a rounded difference of exact products: exact signs); else
  // the filter, else the N exact parts (Sum2, then their expansion).
  template <int N, class Filter, class Parts>
  static int point_sign(double m, double at0, Filter&& filter, Parts&& parts) {
    if (m == 0.0) return filtered(sign(at0));
    const int s = filter();
    if (s != 0) return filtered(s);
    double x[N];
    parts(x);
    int level = 0;
    const int r = parts_sign<N>(x, &level);
    count_parts(level);
    return r;
  }

  // The exact parts (cubic_signs.cpp): each polynomial at m as the exact
  // sum of a few doubles.
  void p_parts(double m, double* x) const;
  void dp_parts(double m, double* x) const;
  void q_parts(double m, double* x) const;
  void disc_parts(double* x) const;
  // disc_ sharpened: from the compensated sum of the parts (level 1;
  // writes the parts to x), from their exact expansion (level 2; returns
  // the exact sign).
  void sharpen_disc(double* x);
  int expand_disc(const double* x);
  // pn_, dn_ (and the scale) for the current disc_.
  void form_resolvent();

  // R(T)/a^6 = t (t + P/a^2)^2 - disc/a^4 with t = -4 m^2 (a^6 > 0 keeps
  // the sign), in the variable m 2^-k (k from the size of the roots, so
  // that the terms stay in range; the roots scale by 2^-k, R/a^6 by
  // 2^-6k).  P/a^2 and disc/a^4 are formed once per value of disc_, with
  // bounds e_P, e_D (bounded arithmetic, filter.hpp); then, with t exact
  // (m^2 has at most 50 bits), s = fl(t + P), w = fl(t fl(s s)) and
  // R = fl(w - D):  |R - exact| <= u |R| + gamma_4 |t| (t + P)^2
  // + |t| e_P (2 |t + P| + e_P) + e_D, and gamma_4 |t| (t + P)^2 is below
  // 4.001 u |w|, |t + P| below 1.001 |s|; 2^-1000 (1 + |t|) covers an
  // underflow of s s (then multiplied by t) or of w (docs/exact.md).
  int resolvent_filter(double m) {
    if (res_level_ != disc_level_) form_resolvent();
    const double ms = m * scale_;  // exact: a power of two, no underflow
    const double t = -4.0 * (ms * ms);
    const double s = t + pn_.v;
    const double w = t * (s * s);
    const double r = w - dn_.v;
    const double ep = pn_.e;
    const double bound =
        ((((0x1p-53 * std::fabs(r) + 0x1.01p-51 * std::fabs(w)) +
           std::fabs(t) * (ep * (2.002 * std::fabs(s) + ep))) +
          dn_.e) +
         bd_eta * (1.0 + std::fabs(t))) *
        bd_widen;
    if (r > bound) return 1;
    if (r < -bound) return -1;
    return 0;
  }

  float fa_, fb_, fc_, fd_;
  double p_[4], dp_[3], ddp_[2], q_[4];
  double a2_;
  bd P_;
  bd disc_{0.0, 0.0};
  int disc_level_ = 0;  // 0 first filter, 1 compensated sum, 2 exact expansion, 3 GMP
  int res_level_ = -1;  // disc_level_ when pn_, dn_ were formed
  double scale_ = 1.0;  // 2^-k
  bd pn_{0.0, 0.0};
  bd dn_{0.0, 0.0};
  bool big_set_ = false;  // the workspace holds this cubic
  double disc_e_[10];      // the discriminant's exact expansion, once made
  int disc_k_ = -1;        // its length; -1 not made yet
};

}  // namespace qubic::exact

#endif  // QUBIC_EXACT_CUBIC_SIGNS_HPP
