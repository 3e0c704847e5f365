// The batch program qubic: reads "test6" in the current directory, writes
// "results6" and the roots on standard output.
#include <csignal>

#include "call/batch.hpp"

int main() {
  // A closed pipe on standard output must come back as a write error (EPIPE),
  // reported after results6 has been flushed, not kill the process silently.
  std::signal(SIGPIPE, SIG_IGN);
  return qubic::call::run_batch(qubic::call::batch_files{}, 1, 2);
}
