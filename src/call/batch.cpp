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
  records::record_loop loop(solve);
  char rec[line_reader::width];

  for (;;) {
    const line_reader::status st = in.next(rec);
    if (st == line_reader::status::end) break;
    if (st == line_reader::status::error) {
      fail.io(files.test, "cannot read", in.error());
      break;
    }

    if (const int k = loop.step(rec, results, out); k != 0) {
      fail.field(files.test, in.line(), k, rec);
      break;
    }
    // A failed output gave the loop no room; the run ends here.
    if (results.error() != 0 || out.error() != 0) break;
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
