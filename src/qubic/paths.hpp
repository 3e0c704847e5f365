// The three roads through the cubic solver after its screening.
#ifndef QUBIC_QUBIC_PATHS_HPP
#define QUBIC_QUBIC_PATHS_HPP

#include <qubic/qubic.hpp>

namespace qubic {

// array(3) == 0: a quadratic or less in disguise.  Root 3 never exists.
void leading_zero(const coeffs& array, roots& rroot, roots& iroot, flags& fl);

// array(3) != 0, array(0) == 0: the exact root 0 and a quadratic cofactor.
void constant_zero(const coeffs& array, roots& rroot, roots& iroot, flags& fl);

// Both end coefficients nonzero: bracket, refine, deflate, solve the factor.
void general(const coeffs& array, roots& rroot, roots& iroot, flags& fl);

}  // namespace qubic

#endif  // QUBIC_QUBIC_PATHS_HPP
