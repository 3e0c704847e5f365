// switch_: exchange two reals through a scratch value.  quad uses it to bring
// the one usable root of a real pair into first place.
#ifndef QUBIC_QUAD1_SWITCH_HPP
#define QUBIC_QUAD1_SWITCH_HPP

namespace qubic {

inline void switch_(float& x, float& y) {
  const float temp = x;
  x = y;
  y = temp;
}

}  // namespace qubic

#endif  // QUBIC_QUAD1_SWITCH_HPP
