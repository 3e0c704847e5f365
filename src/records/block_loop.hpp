// The exact engine's record loop, a block of records at a time: the
// coefficients of up to `block` records are gathered, solved together by
// solve_exact_batch (several cubics per vector instruction) and written in
// file order.
//
// Its bytes are those of record_loop with qubic_exact, record for record:
// the batch entry returns solve_exact's bits; a solved record has all three
// roots written (flag 1 everywhere) and is rebuilt by exact::monic from them
// alone; a record not solved writes only "0\n".  So no record's answer
// depends on an earlier one, and solving a block before writing it cannot
// change a byte.  What the caller sees of a failed output is kept too:
// finish stops writing after the first record that leaves an output failed,
// as the caller's record-by-record loop stops there.
#ifndef QUBIC_RECORDS_BLOCK_LOOP_HPP
#define QUBIC_RECORDS_BLOCK_LOOP_HPP

#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "records/record_loop.hpp"

namespace qubic::records {

class block_loop {
 public:
  // 256 records: 4 KiB of coefficients, large enough that the batch entry's
  // per-call set-up is a few instructions a record, small enough to stay
  // in the first-level cache with its roots.
  static constexpr std::size_t block = 256;

  block_loop();

  // One record, record_width columns at rec, as record_loop::step: gathers
  // its coefficients, and solves and writes the block once it is full.
  // Returns 0, or the number (1..4) of the first field that cannot be read,
  // after writing the records gathered before it (this one adds nothing).
  template <class Sink>
  int step(const char* rec, Sink& results, Sink& out) {
    float* c = coeffs_.get() + 4 * n_;
    for (int k = 1; k <= 4; ++k) {
      if (!call::read_e16(std::string_view(rec + (k - 1) * call::e16_width, call::e16_width), c[k - 1])) {
        finish(results, out);
        return k;
      }
    }
    if (++n_ == block) finish(results, out);
    return 0;
  }

  // Solves and writes the records gathered so far, in order, and stops
  // after the first one that leaves an output failed.
  template <class Sink>
  void finish(Sink& results, Sink& out) {
    solve();
    for (std::size_t i = 0; i < n_; ++i) {
      roots rroot;
      roots iroot;
      coeffs rb;
      coeffs ib;
      emit(answer(i, rroot, iroot, rb, ib), rroot, iroot, rb, ib, results, out);
      if (results.error() != 0 || out.error() != 0) break;
    }
    n_ = 0;
  }

 private:
  // Solves the n_ records gathered.
  void solve();
  // Whether record i of the block is solved; if so, its roots and the
  // rebuilt monic cubic.
  bool answer(std::size_t i, roots& rroot, roots& iroot, coeffs& rb, coeffs& ib) const;

  std::size_t n_ = 0;
  std::unique_ptr<float[]> coeffs_;
  std::unique_ptr<std::complex<float>[]> roots_;
  std::unique_ptr<std::int32_t[]> flags_;
  std::unique_ptr<bool[]> solved_;
};

}  // namespace qubic::records

#endif  // QUBIC_RECORDS_BLOCK_LOOP_HPP
