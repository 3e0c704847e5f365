// approx64: the roots of a double cubic or quadratic in double, as starting
// guesses for the double engine.
//
// Nothing here is trusted: a guess only names the first candidate, which the
// filters confirm or the search corrects (docs/exact64.md section 5), so a
// poor guess costs time, never accuracy.  The coefficients may spread over
// the whole double range: the monic cubic is scaled by 2^k (k from the
// exponents, so nothing overflows), solved by the trigonometric form or
// Cardano's formula, and a root far below the largest is taken again from the
// lower-degree truncation computed with separate exponents.  A guess beyond
// the double range comes back as +-inf or 0.
#ifndef QUBIC_EXACT64_APPROX64_HPP
#define QUBIC_EXACT64_APPROX64_HPP

#include <bit>
#include <cstdint>

namespace qubic::exact64 {

struct fpoly;

struct guesses64 {
  double x[3];  // the real roots ascending (three real), or x[0] the real root
  double re;    // the pair's real part
  double im;    // its imaginary part, >= 0
  bool re_small;  // re cancelled in -b/a - r: better taken from q
  bool im_small;  // im cancelled in gamma - re^2: better taken from the resolvent
};

// Guesses for the roots of a x^3 + b x^2 + c x + d (a != 0).  With
// centre_only, two of three real roots within 2^-5 of their size (a cluster,
// whose guesses the caller replaces) are given as the critical point between
// them plus and minus the estimated half distance, without Newton's polish:
// the caller wants only their centre.
guesses64 approx_cubic64(double a, double b, double c, double d, bool three_real, bool centre_only = false);

// b x^2 + c x + d, b != 0: two real roots ascending in x[0], x[1], or the
// pair in re, im (real: disc >= 0 by the sign the caller knows).
guesses64 approx_quadratic64(double b, double c, double d, bool real);

// Second guesses for three real roots in a cluster: the cubic shifted to a
// point S = Y 2^fe near the cluster, F(Y + y) = h3 y^3 + B y^2 + C y + D in
// the frame f of p at scale fe (frame.hpp), with B = F''(Y)/2, C = F'(Y) and
// D = F(Y) taken by compensated Horner schemes (about twice double
// precision, so the cancellation near a multiple root costs nothing), then
// solved in double: its roots are the cluster's offsets from S, well posed
// in their own scale.  *out gets the guesses as approx_cubic64 gives them
// (false when a value is not finite).  With shifted_disc, the sign of the
// shifted cubic's discriminant in double goes there, and a negative one
// (a pair, by that guess) gives no guesses.
bool approx_shifted64(const fpoly& f, double Y, int fe, bool three_real, guesses64* out, int* shifted_disc = nullptr);

// m 2^e rounded once (+-inf above the range, 0 or subnormal below).
// Three values ascending by less (a sorting network of three exchanges:
// std::sort's general loop costs several times that for the candidates).
template <class T, class Less>
inline void sort3(T* v, Less less) {
  auto order = [&](T& x, T& y) {
    if (less(y, x)) {
      const T t = x;
      x = y;
      y = t;
    }
  };
  order(v[0], v[1]);
  order(v[1], v[2]);
  order(v[0], v[1]);
}
inline void sort3(double* v) {
  sort3(v, [](double x, double y) { return x < y; });
}

double ldexp_wide_slow(double m, long e);
[[gnu::always_inline]] inline double ldexp_wide(double m, long e) {
  // One multiplication by an exact power of two (normal: |e| <= 1000) rounds
  // once, or not at all; the rest is left to ldexp in steps.
  const double am = m < 0.0 ? -m : m;
  if (e >= -1000 && e <= 1000 && am >= 0x1p-20 && am <= 0x1p20) {
    return m * std::bit_cast<double>(static_cast<std::uint64_t>(e + 1023) << 52);
  }
  return ldexp_wide_slow(m, e);
}

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_APPROX64_HPP
