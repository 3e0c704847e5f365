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
#include <string_view>

#include <unistd.h>

#include "call/connect.hpp"
#include "text/e16_read.hpp"
#include "text/e16_write.hpp"
#include "text/free_write.hpp"
#include "call/line_reader.hpp"
#include "call/out_sink.hpp"

namespace qubic::call {
namespace {

constexpr const char* stdout_name = "standard output";

// Holds the first failure of the run as its message line.
struct failure {
  char text[512];
  bool set = false;

  void io(const char* path, const char* action, int error) {
    if (set) return;
    set = true;
    std::snprintf(text, sizeof text, "qubic: %s: %s: %s\n", path, action, std::strerror(error));
  }

  // A field quoted without its surrounding blanks; bytes that are not
  // printable ASCII, and the quote and backslash, are escaped so that the
  // message stays one line of text whatever the input holds.
  void field(const char* path, std::uint64_t line, int k, const char* f) {
    if (set) return;
    set = true;
    std::size_t b = 0;
    std::size_t e = e16_width;
    while (b < e && f[b] == ' ') ++b;
    while (e > b && f[e - 1] == ' ') --e;
    char quoted[4 * e16_width + 1];
    std::size_t q = 0;
    for (std::size_t i = b; i < e; ++i) {
      const unsigned char c = static_cast<unsigned char>(f[i]);
      if (c == '"' || c == '\\') {
        quoted[q++] = '\\';
        quoted[q++] = static_cast<char>(c);
      } else if (c >= 0x20 && c < 0x7F) {
        quoted[q++] = static_cast<char>(c);
      } else {
        q += static_cast<std::size_t>(std::snprintf(quoted + q, sizeof quoted - q, "\\x%02X", c));
      }
    }
    quoted[q] = '\0';
    const int first = (k - 1) * static_cast<int>(e16_width) + 1;
    std::snprintf(text, sizeof text, "qubic: %s:%llu: field %d (columns %d-%d): cannot read \"%s\" as a number\n",
                  path, static_cast<unsigned long long>(line), k, first, first + static_cast<int>(e16_width) - 1,
                  quoted);
  }
};

// One coefficient record, four E16.8 fields, highest power first, at out;
// returns its end.
char* put_record(char* out, const coeffs& c) {
  write_e16(c(3), out);
  write_e16(c(2), out + e16_width);
  write_e16(c(1), out + 2 * e16_width);
  write_e16(c(0), out + 3 * e16_width);
  out[4 * e16_width] = '\n';
  return out + 4 * e16_width + 1;
}

// What one solved record adds to each output, at most.
constexpr std::size_t solved_results = 2 + 2 * (4 * e16_width + 1);
constexpr std::size_t solved_out = 2 * 3 * free_real_room;

}  // namespace

int run_batch(const batch_files& files, int out_fd, int err_fd, solver solve) {
  failure fail;
  connection conn;
  connect_failure cf;
  if (!connect(files.results, files.test, conn, cf)) {
    fail.io(cf.path, cf.action, cf.error);
    const ssize_t ignored = ::write(err_fd, fail.text, std::strlen(fail.text));
    (void)ignored;  // nothing is left to tell a failing error stream
    return 1;
  }

  // The run's data: allocated once here, reused for every record.
  line_reader in(conn.test);
  out_sink results(conn.results);
  out_sink out(out_fd);
  coeffs array{};
  roots rroot{};
  roots iroot{};
  flags fl{};
  coeffs rb{};
  coeffs ib{};
  char rec[line_reader::width];

  for (;;) {
    const line_reader::status st = in.next(rec);
    if (st == line_reader::status::end) break;
    if (st == line_reader::status::error) {
      fail.io(files.test, "cannot read", in.error());
      break;
    }

    // Field k (1..4) holds the coefficient of x^(4-k).
    bool readable = true;
    for (int k = 1; k <= 4 && readable; ++k) {
      const char* f = rec + (k - 1) * e16_width;
      if (!read_e16(std::string_view(f, e16_width), array(4 - k))) {
        fail.field(files.test, in.line(), k, f);
        readable = false;
      }
    }
    if (!readable) break;

    solve(array, rroot, iroot, fl);
    // Summed in 64 bits: any flags a solver returns add up without overflow.
    const std::int64_t sum = std::int64_t{fl(1)} + fl(2) + fl(3);
    if (sum == 3) {
      coef(rroot, iroot, rb, ib);
      // Formatted in place in the two buffers; a null room means that output
      // has failed, which ends the loop below.
      if (char* r = results.reserve(solved_results)) {
        r[0] = '1';
        r[1] = '\n';
        r = put_record(r + 2, rb);
        results.commit(put_record(r, ib));
      }
      if (char* o = out.reserve(solved_out)) {
        o = write_free_line(o, rroot(1), rroot(2), rroot(3));
        out.commit(write_free_line(o, iroot(1), iroot(2), iroot(3)));
      }
    } else {
      results.put("0\n", 2);
    }
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
