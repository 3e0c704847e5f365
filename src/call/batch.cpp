// run_batch: the record loop and its error reporting.
//
// Every failure ends the run with exactly one line on the error stream that
// names the file, and for a bad record the line and the field.  Output of
// earlier records is flushed first, on both outputs, even when one of them has
// just failed: a reader of the result file then sees every record up to the
// failing one.
#include "call/batch.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "call/connect.hpp"
#include "call/line_reader.hpp"
#include "call/out_sink.hpp"
#include "records/block_loop.hpp"
#include "records/record_loop.hpp"

namespace qubic::call {
namespace {

// Holds the first failure of the run as its message line.
struct failure {
  char text[512];
  bool set = false;

  void io(const char* path, const char* action, int error) {
    if (set) return;
    set = true;
    std::snprintf(text, sizeof text, "qubic: %s: %s: %s\n", path, action, std::strerror(error));
  }

  void field(const char* path, std::uint64_t line, int k, const char* rec) {
    if (set) return;
    set = true;
    records::field_error(text, sizeof text, path, line, k, rec);
  }
};

bool failed(const out_sink& results, const out_sink& out) { return results.error() != 0 || out.error() != 0; }

// The records of the coefficient file through loop (record_loop, or the
// exact engine's block_loop), until the end, the first bad record or the
// first failed output.  A failure already on an output is the one to report:
// the records before it were the last the run could write.
template <class Loop>
void run_records(Loop& loop, line_reader& in, out_sink& results, out_sink& out, const char* test, failure& fail) {
  char rec[line_reader::width];
  for (;;) {
    const line_reader::status st = in.next(rec);
    if (st == line_reader::status::end) break;
    if (st == line_reader::status::error) {
      loop.finish(results, out);
      if (!failed(results, out)) fail.io(test, "cannot read", in.error());
      return;
    }
    if (const int k = loop.step(rec, results, out); k != 0) {
      if (!failed(results, out)) fail.field(test, in.line(), k, rec);
      return;
    }
    // A failed output gave the loop no room; the run ends here.
    if (failed(results, out)) return;
  }
  loop.finish(results, out);
}

}  // namespace

int run_batch(const batch_files& files, int out_fd, int err_fd, solver solve) {
  failure fail;
  connection conn;
  connect_failure cf;
  if (!connect(files.results, files.test, out_fd, conn, cf)) {
    if (cf.same_as != nullptr) {
      fail.set = true;
      std::snprintf(fail.text, sizeof fail.text, "qubic: %s: %s %s: %s\n", cf.path, cf.action, cf.same_as, cf.harm);
    } else {
      fail.io(cf.path, cf.action, cf.error);
    }
    const ssize_t ignored = ::write(err_fd, fail.text, std::strlen(fail.text));
    (void)ignored;  // nothing is left to tell a failing error stream
    return 1;
  }

  // The run's data: allocated once here, reused for every record.
  line_reader in(conn.test);
  out_sink results(conn.results);
  out_sink out(out_fd);
  if (solve == &qubic_exact) {
    // The exact engine solves a block of records per call to its batch
    // entry, several cubics per vector instruction; the bytes are the same.
    records::block_loop loop;
    run_records(loop, in, results, out, files.test, fail);
  } else {
    records::record_loop loop(solve);
    run_records(loop, in, results, out, files.test, fail);
  }

  // Both outputs are flushed whatever happened; the first failure is the one reported.
  if (!results.flush()) fail.io(files.results, "cannot write", results.error());
  if (!out.flush()) fail.io(stdout_name, "cannot write", out.error());
  if (::close(conn.results) != 0) fail.io(files.results, "cannot write", errno);
  ::close(conn.test);

  if (!fail.set) return 0;
  const ssize_t ignored = ::write(err_fd, fail.text, std::strlen(fail.text));
  (void)ignored;  // nothing is left to tell a failing error stream
  return 1;
}

}  // namespace qubic::call
