// One run of the batch program: records from the coefficient file, roots to
// standard output, status lines and reconstructed coefficients to the result file.
#ifndef QUBIC_CALL_BATCH_HPP
#define QUBIC_CALL_BATCH_HPP

#include <qubic/qubic.hpp>

#include "records/record_loop.hpp"

namespace qubic::call {

struct batch_files {
  const char* test = "test6";        // coefficient records, read
  const char* results = "results6";  // status lines and coefficient records, written
};

// The cubic solver a run calls (the record loop's); tests hand in their own.
using solver = records::solver;

// Runs the batch: connects files.results, then files.test (see connect()),
// then per record reads array(3), array(2), array(1), array(0), calls solve
// and, when the three flags sum to 3, calls coef and writes "1", the real and
// the imaginary parts of the roots (to out_fd), and the rb and ib records;
// otherwise writes "0".  The run's arrays live for the whole call and are
// reused for every record; nothing is allocated per record.
//
// Returns 0 at the end of the coefficient file with nothing written to
// err_fd.  On the first unreadable field, failed open, read or write, stops,
// still flushes both outputs (what earlier records produced is kept), writes
// exactly one line to err_fd and returns 1.
//
// Example: a coefficient file with the one line "1" + 63 blanks (the cubic
// 1e-8 x^3) and a solver that leaves a flag at -6 gives the result file "0\n",
// nothing on out_fd, and 0.
int run_batch(const batch_files& files, int out_fd, int err_fd, solver solve = &::qubic::qubic);

}  // namespace qubic::call

#endif  // QUBIC_CALL_BATCH_HPP
