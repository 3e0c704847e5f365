// dispatch: the batch path's vector kernels (kernel.cpp) and the choice of
// the vector unit.
//
// kernel.cpp is compiled once per vector target of Google Highway (on
// x86-64: SSSE3, SSE4, AVX2, AVX-512, and a portable 128-bit emulation for
// any other processor); run() calls the widest one this processor supports,
// chosen once on the first call.  targets() lists the compiled targets the
// processor supports, widest first, and force_target(t) limits the choice
// to t (0 lifts the limit): the tests and the benchmark use it to run every
// variant.  force_target is not thread-safe: call it while no batch runs.
#ifndef QUBIC_BATCH_DISPATCH_HPP
#define QUBIC_BATCH_DISPATCH_HPP

#include <cstdint>
#include <vector>

#include "batch/block.hpp"

namespace qubic::batch {

// Sorts blk's cubics into queues and finds the roots of every lane the
// filters confirm (block.hpp says what is written).
void run(block& blk);

std::vector<std::int64_t> targets();
const char* target_name(std::int64_t target);
void force_target(std::int64_t target);

}  // namespace qubic::batch

#endif  // QUBIC_BATCH_DISPATCH_HPP
