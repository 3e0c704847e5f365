// dispatch: the batch path's vector kernels (kernel.cpp) and the choice of
// the vector unit.
//
// kernel.cpp is compiled once per vector target of Google Highway (on
// x86-64: AVX-512, AVX2, SSE4, and the compiler's baseline, which every
// x86-64 processor runs; elsewhere the baseline alone); run() calls the
// widest one this processor runs (CPUID), chosen on the first call.
// targets() lists the compiled targets the processor runs, widest first;
// force_target(t) makes run() use t (0: back to the widest): the tests and
// the benchmark use it to run every variant.  force_target is not meant to
// race with running batches (each batch still runs one whole variant).
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
