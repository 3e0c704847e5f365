// The halving that finds the machine epsilon, exposed so that its passes can
// be checked; eps() runs it once.
#ifndef QUBIC_EPS_EPS_HPP
#define QUBIC_EPS_EPS_HPP

namespace qubic {

struct halving {
  float epss;   // the epsilon: the last candidate whose sum with 1 exceeded 1
  float try_;   // the candidate that ended the loop
  float try1;   // try_ + 1, rounded: exactly 1 when the loop ends
  int passes;   // passes of the loop
};

halving halve();

}  // namespace qubic

#endif  // QUBIC_EPS_EPS_HPP
