// block_loop: a block of records through the exact engine's batch entry.
#include "records/block_loop.hpp"

#include <qubic/batch.hpp>

#include "exact/monic.hpp"

namespace qubic::records {

block_loop::block_loop()
    : coeffs_(new float[4 * block]),
      roots_(new std::complex<float>[3 * block]),
      flags_(new std::int32_t[3 * block]),
      solved_(new bool[block]) {}

void block_loop::solve() {
  if (n_ != 0) solve_exact_batch(cubic_view{coeffs_.get(), n_}, roots_.get(), flags_.get(), solved_.get());
}

bool block_loop::answer(std::size_t i, roots& rroot, roots& iroot, coeffs& rb, coeffs& ib) const {
  if (!solved_[i]) return false;
  for (int k = 1; k <= 3; ++k) {
    rroot(k) = roots_[3 * i + k - 1].real();
    iroot(k) = roots_[3 * i + k - 1].imag();
  }
  exact::monic(rroot, iroot, rb, ib);
  return true;
}

}  // namespace qubic::records
