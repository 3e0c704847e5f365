// The degenerate cubics, handed straight to quad.
//
// Leading coefficient zero: quad solves array(2) x^2 + array(1) x + array(0)
// into roots 1 and 2; root 3 does not exist (-1) and is never written.
//   quad  -1: 0, 0, 0 (identically zero)     0: -1, -1, -1 (nonzero constant)
//         11: 1, -1, -1     10: -3, -1, -1   22: 1, 1, -1   21: 1, -3, -1
//         20: -3, -3, -1
// quad cannot refuse here: its coefficients passed the cubic's screening.
//
// Constant coefficient zero: x = 0 is an exact root (+0, whatever the sign
// of the zero coefficient); quad solves the cofactor
// array(3) x^2 + array(2) x + array(1) into roots 2 and 3.  With array(3)
// nonzero quad answers 20, 21 or 22.
//
// Example: x^3 - 3x^2 + 2x gives root 1 = 0 and quad's roots of x^2 - 3x + 2,
// 2 - 2^-23 and 1 + 2^-23: flags 1, 1, 1.
#include <qubic/qubic.hpp>

#include "qubic/paths.hpp"

namespace qubic {

void leading_zero(const coeffs& array, roots& rroot, roots& iroot, flags& fl) {
  fl(3) = flag::no_root;
  std::int32_t nr;
  quad(array(2), array(1), array(0), rroot(1), iroot(1), rroot(2), iroot(2), nr);
  switch (nr) {
    case -1:
      fl(1) = flag::all_roots;
      fl(2) = flag::all_roots;
      fl(3) = flag::all_roots;
      break;
    case 0:
      fl(1) = flag::no_root;
      fl(2) = flag::no_root;
      break;
    case 11:
      fl(1) = flag::found;
      fl(2) = flag::no_root;
      break;
    case 10:
      fl(1) = flag::unusable;
      fl(2) = flag::no_root;
      break;
    case 22:
      fl(1) = flag::found;
      fl(2) = flag::found;
      break;
    case 21:
      fl(1) = flag::found;
      fl(2) = flag::unusable;
      break;
    case 20:
      fl(1) = flag::unusable;
      fl(2) = flag::unusable;
      break;
    default:  // -2 cannot happen after the screening: leave -6, -6, -1
      break;
  }
}

void constant_zero(const coeffs& array, roots& rroot, roots& iroot, flags& fl) {
  rroot(1) = 0.0f;
  iroot(1) = 0.0f;
  fl(1) = flag::found;
  std::int32_t nr;
  quad(array(3), array(2), array(1), rroot(2), iroot(2), rroot(3), iroot(3), nr);
  fl(2) = nr == 22 || nr == 21 ? flag::found : flag::unusable;
  fl(3) = nr == 22 ? flag::found : flag::unusable;
}

}  // namespace qubic
