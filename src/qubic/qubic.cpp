#include <qubic/qubic.hpp>

namespace qubic {

void qubic(const coeffs&, roots&, roots&, flags& fl) {
  fl(1) = not_computed;
  fl(2) = not_computed;
  fl(3) = not_computed;
}

}  // namespace qubic
