// eps: the machine epsilon of single precision, the gap from 1 to the next
// larger single, found by halving rather than taken from a table.
//
// Contract: no arguments; every call returns the same value, 2^-23
// (0x34000000) under IEEE single precision with rounding to nearest.
//
// The loop halves a candidate until adding it to 1 no longer changes 1.
// In its 24th pass the candidate is 2^-24, and 1 + 2^-24 is a tie that
// rounds to even, that is to 1: the loop ends with epss = 2^-23.  The final
// (epss + 1) - 1 is exact for that value and leaves it unchanged.
//
// The halving runs once, on the first call; a function-local static makes
// that first initialisation safe even when library callers use threads.
#include "eps/eps.hpp"

#include <qubic/qubic.hpp>

namespace qubic {

halving halve() {
  halving h{};
  h.try_ = 1.0f;
  do {
    h.epss = h.try_;
    h.try_ = h.epss * 0.5f;
    h.try1 = h.try_ + 1.0f;
    ++h.passes;
  } while (h.try1 > 1.0f);
  const float epss1 = h.epss + 1.0f;
  h.epss = epss1 + (-1.0f);
  return h;
}

float eps() {
  static const float epss = halve().epss;
  return epss;
}

}  // namespace qubic
