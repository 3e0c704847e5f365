// cubic64: the exact sign oracles of one double cubic a x^3 + b x^2 + c x + d
// (a != 0, d != 0), docs/exact64.md sections 3 to 6.
//
// Exact signs at points (keys.hpp) of the discriminant, of p, p', p'', of q
// (whose only real root is the pair's real part) and of the resolvent (the
// sign of v - m, v the pair's imaginary part).  Each is taken from a
// double-double filter when it decides (poly64.hpp), else from GMP
// (big64.hpp, built on first use): exact at every level.  The polynomials
// themselves (P, Q, G) are public for the straight-line confirmation of the
// candidates.  Writes nothing outside the object but the stats64 counters.
//
// Worked example (Exact64Blocks.WorkedExamples, "x^3 + 3"): disc() = -1 (-243); p at
// -1.5 is -3/8 < 0, so the real root -1.44224957... lies above -1.5; q at
// 0.75 is 8 m^3 - 3 = 3/8 > 0, so 0.72112478..., the real part, lies below;
// im_side at 1.25 is -1 (v = 1.24902476...).
#ifndef QUBIC_EXACT64_CUBIC64_HPP
#define QUBIC_EXACT64_CUBIC64_HPP

#include <optional>

#include "exact64/big64.hpp"
#include "exact64/keys.hpp"
#include "exact64/poly64.hpp"
#include "exact64/wide.hpp"

namespace qubic::exact64 {

class cubic64 {
 public:
  cubic64(double a, double b, double c, double d);
  ~cubic64();
  cubic64(const cubic64&) = delete;
  cubic64& operator=(const cubic64&) = delete;

  // The exact sign of disc = 18abcd - 4b^3 d + b^2 c^2 - 4ac^3 - 27a^2 d^2.
  int disc();
  // disc() in two steps: the first filter alone (+-1, or 0 when it cannot
  // decide), then the exact levels (called only after it abstained).
  int disc_filter();
  int disc_exact_levels();
  // After disc_filter: |disc| below 2^-12 of the sum of its terms' sizes
  // (about), the mark of two or three roots close together.  A guess only.
  bool near_multiple() const { return near_multiple_; }

  int p(const point& m);
  int dp(const point& m);
  int ddp(const point& m);  // the sign of p''/2 = 3a m + b
  int q(const point& m);
  int im_side(const point& m);  // sign(v - m), m >= 0 (disc < 0)

  poly64& P() { return p_; }
  poly64& Q();
  poly64& G();  // R(-4a^2 s)/a^2 as a cubic in s = m^2 (disc < 0)

  big_cubic64& big();

  const double a, b, c, d;

 private:
  template <class Exact>
  int pick(int s, Exact&& exact);
  void build_g();
  wdd disc3_wdd();
  bool exact_disc();

  poly64 p_;
  std::optional<poly64> q_, g_, dp_, ddp_;  // built on first use (not even zeroed before)
  bool have_q_ = false, have_g_ = false, have_dp_ = false;
  wdd A_{};  // b^2 - 3ac = -P, exact but for its rounding to 106 bits
  bool have_A_ = false;
  wdd disc_{};  // 3 disc with its bound (level 0: disc itself, sign only)
  int disc_level_ = 0;  // 0 first filter, 1 double-double, 2 exact (integers or GMP)
  int disc_sign_ = 0;   // the integer level's sign
  bool near_multiple_ = false;
  int g_level_ = -1;    // disc_level_ when g_ was built
  big_cubic64* big_ = nullptr;  // the thread's GMP workspace while this object holds it
};

}  // namespace qubic::exact64

#endif  // QUBIC_EXACT64_CUBIC64_HPP
