// The general reader of one E16.8 field: every reading rule, one conversion.
#ifndef QUBIC_CALL_E16_READ_SLOW_HPP
#define QUBIC_CALL_E16_READ_SLOW_HPP

#include <string_view>

#include "text/e16_read.hpp"

namespace qubic::call {

// Same contract as read_e16, for every field: blanks are removed, the field
// is normalised into one plain decimal "ddd...e<exp>" and converted once
// with std::from_chars<float>.  read_e16 calls it for every field its own
// fast path does not take, and the tests use it as the reference.
//
// Example: "1.0 E-4 0" (a blank inside) reads 1e-40f, the subnormal 0x000116C2.
bool read_e16_slow(std::string_view field, float& x);

}  // namespace qubic::call

#endif  // QUBIC_CALL_E16_READ_SLOW_HPP
