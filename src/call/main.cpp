// The batch program qubic: reads "test6" in the current directory, writes
// "results6" and the roots on standard output.  It takes no arguments but
// --exact (the exact engine instead of the solver), --help and --version,
// each at most once, and refuses any other with exit status 2.
#include <csignal>
#include <cstdio>

#include <qubic/exact.hpp>

#include "call/args.hpp"
#include "call/batch.hpp"
#include "call/std_fds.hpp"

#ifndef QUBIC_VERSION
#error "QUBIC_VERSION must be defined by the build"
#endif

int main(int argc, char** argv) {
  // Before any file is opened: results6 must never become descriptor 1 or 2.
  if (!qubic::call::open_std_fds("qubic")) return 1;
  const qubic::call::command_line cl = qubic::call::read_args(argc, argv);
  switch (cl.what) {
    case qubic::call::request::help:
      std::fwrite(qubic::call::usage.data(), 1, qubic::call::usage.size(), stdout);
      std::fwrite(qubic::call::help.data(), 1, qubic::call::help.size(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case qubic::call::request::version:
      std::fputs("qubic " QUBIC_VERSION "\n", stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case qubic::call::request::usage_error:
      std::fprintf(stderr, cl.repeated ? "qubic: option '%.*s' given twice\n" : "qubic: unexpected argument '%.*s'\n",
                   static_cast<int>(cl.bad.size()), cl.bad.data());
      std::fwrite(qubic::call::usage.data(), 1, qubic::call::usage.size(), stderr);
      return 2;
    case qubic::call::request::run:
      break;
  }

  // A closed pipe on standard output must come back as a write error (EPIPE),
  // reported after results6 has been flushed, not kill the process silently.
  std::signal(SIGPIPE, SIG_IGN);
  // Two calls, each with a constant solver, so that the link-time optimiser
  // can still inline the solver into the record loop.
  if (cl.exact) return qubic::call::run_batch(qubic::call::batch_files{}, 1, 2, &qubic::qubic_exact);
  return qubic::call::run_batch(qubic::call::batch_files{}, 1, 2);
}
