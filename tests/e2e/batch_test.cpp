// The batch program end to end: what needs the real executable and the real
// solver (files on disk, links, devices, pipes, standard descriptors, exit
// status, the shipped example).  The record loop itself is checked with
// stand-in solvers in tests/records/, the connection of the files through
// run_batch in tests/call/batch_test.cpp; heavier faults (a 1 GiB
// line, ten million lines, a read-only file system) are in
// .ci/steps/20-io-faults.sh.
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstring>
#include <sstream>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

// x^3 - 6x^2 + 11x - 6 as the writer lays it out, and what the batch program
// makes of it: the roots 3, 2 - 2^-23, 1 + 2^-23, printed shortest, and the
// cubic multiplied back out in coef's order (worked by hand in
// tests/records/record_loop_test.cpp), imaginary parts -0, +0, -0.
const std::string road_record = "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n";
const std::string road_results = "1\n" + road_record + "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";

// What a name in the working folder is before the run (call/files.hpp):
// no file, a symlink (to a device, to the other file, to the program's
// standard output), or a file with the given bytes.
const std::string none = no_file, zero = "-> /dev/zero", to_test6 = "-> test6", to_results6 = "-> results6",
                  to_stdout = "-> /proc/self/fd/1", to_null = "-> /dev/null";

std::string error(const char* file, const char* action, int e) {
  return std::string("qubic: ") + file + ": " + action + ": " + std::strerror(e) + "\n";
}

const std::string earlier = "1\n  0.10000000E+01\n";  // an earlier run's results6
const std::string same = "qubic: results6: is the same file as test6: the input would be overwritten\n";
const std::string out_test6 = "qubic: standard output: is the same file as test6: the input would be overwritten\n";
const std::string out_results6 =
    "qubic: standard output: is the same file as results6: the two outputs would be written over each other\n";
const std::string usage = "usage: qubic [--exact] [--help | --version]\n";

// 16 NUL bytes as the message shows them.
const std::string nul16 = [] { std::string q; for (int k = 0; k < 16; ++k) q += "\\x00"; return q; }();

struct batch_case {
  const char* why;
  std::vector<std::string> args = {};
  std::string test6 = road_record;
  std::string results6 = none;
  fault f = fault::none;
  int status = 0;
  std::string err = "";
  std::string after = none;  // what results6 holds afterwards
  std::string out = "";      // standard output; for --help its start
  std::string out_to = "";   // standard output appended to this file ("hard": a hard link to test6)
};

TEST(BatchRun, RunsAndFailures) {
  const batch_case cases[] = {
      {.why = "--version answers without touching a file", .args = {"--version"}, .out = "qubic " QUBIC_VERSION "\n"},
      {.why = "--help answers without touching a file", .args = {"--help"}, .out = usage},
      {.why = "--help then another argument", .args = {"--help", "x"}, .status = 2,
       .err = "qubic: unexpected argument 'x'\n" + usage},
      {.why = "the road of one record", .after = road_results, .out = "3 1.9999999 1.0000001\n0 0 0\n"},
      // An endless first line: its first field is unreadable, and that is
      // known after 16 columns; the run must not wait for a newline.
      {.why = "test6 -> /dev/zero: one error, no hang", .test6 = zero, .status = 1,
       .err = "qubic: test6:1: field 1 (columns 1-16): cannot read \"" + nul16 + "\" as a number\n", .after = ""},
      {.why = "results6 -> test6 (symlink): refused, test6 intact", .results6 = to_test6, .status = 1, .err = same,
       .after = to_test6},
      {.why = "test6 -> results6, which this run made: refused, removed", .test6 = to_results6, .status = 1,
       .err = same},
      {.why = "results6 -> test6, no test6: the test6 made through it is removed", .test6 = none,
       .results6 = to_test6, .status = 1, .err = same, .after = to_test6},
      {.why = "standard output a pipe nobody reads: an error, not a kill by SIGPIPE", .f = fault::out_pipe,
       .status = 1, .err = error("standard output", "cannot write", EPIPE), .after = road_results},
      // A closed descriptor would be taken by results6, which would then
      // receive the roots (1) or the messages (2).
      {.why = "standard output closed: results6 kept", .results6 = earlier, .f = fault::out_closed, .status = 1,
       .err = error("standard output", "not open for writing", EBADF), .after = earlier},
      {.why = "standard error closed: the message is lost, not written into results6", .test6 = "1.2.3\n",
       .f = fault::err_closed, .status = 1, .after = ""},
      // Standard output on an input or output file: refused before a byte is
      // read or written (qubic >>test6 used to read its own roots back).
      {.why = "qubic >>test6", .results6 = earlier, .status = 1, .err = out_test6, .after = earlier, .out_to = "test6"},
      {.why = "qubic >>results6", .results6 = earlier, .status = 1, .err = out_results6, .after = earlier,
       .out_to = "results6"},
      {.why = "standard output a hard link to test6", .status = 1, .err = out_test6, .out_to = "hard"},
      {.why = "results6 -> /proc/self/fd/1", .results6 = to_stdout, .status = 1, .err = out_results6,
       .after = to_stdout},
      {.why = "test6 -> /proc/self/fd/1", .test6 = to_stdout, .status = 1, .err = out_test6},
      {.why = "results6 -> /dev/null, standard output /dev/null: no file, no refusal", .results6 = to_null,
       .after = to_null, .out_to = "/dev/null"},
      {.why = "--exact takes no --csv", .args = {"--exact", "--csv"}, .status = 2,
       .err = "qubic: unexpected argument '--csv'\n" + usage},
      {.why = "each option at most once", .args = {"--exact", "--exact"}, .status = 2,
       .err = "qubic: option '--exact' given twice\n" + usage},
  };
  for (const batch_case& c : cases) {
    SCOPED_TRACE(c.why);
    const run_dir d;
    make(d / "test6", c.test6);
    make(d / "results6", c.results6);
    if (c.out_to == "hard") std::filesystem::create_hard_link(d / "test6", d / "hard");
    const run_result r = d.run(QUBIC_EXE, c.args, "", c.f, c.out_to);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(c.args == std::vector<std::string>{"--help"} ? r.out.substr(0, c.out.size()) : r.out, c.out);
    EXPECT_EQ(holds(d / "results6"), c.after);
    EXPECT_EQ(holds(d / "test6"), c.test6) << "test6 changed, made or removed";
  }
}

// examples/test6: which records are solved, and that every root written
// meets a true root.  The true roots come from the cubics themselves
// (factored by hand, or, for the last record, from a double-precision
// eigenvalue solver), not from this program.
TEST(BatchRun, ShippedExample) {
  const double h = std::sqrt(3.0) / 2.0;
  const std::vector<std::complex<double>> roots[] = {  // per record of examples/test6; none when not solved
      {1, 2, 3},                                         // (x-1)(x-2)(x-3)
      {-1, {0.5, h}, {0.5, -h}},                         // x^3 + 1
      {2, {-1, 1}, {-1, -1}},                            // x^3 - 2x - 4 = (x-2)(x^2+2x+2)
      {1, -3, 4},                                        // 2(x-1)(x+3)(x-4)
      {-1, {0, 1}, {0, -1}},                             // (x+1)(x^2+1)/2
      {0, 1, 2},                                         // x(x-1)(x-2): constant zero
      {}, {}, {}, {}, {},  // leading zero; stall; subnormal refused; subnormal factor root; bound overflows
      {1.0936187217, {-0.2134760275, 1.4449973709}, {-0.2134760275, -1.4449973709}},  // 3x^3 - 2x^2 + 5x - 7
  };
  const run_dir d;
  write_file(d / "test6", read_file(QUBIC_EXAMPLES "/test6"));
  const run_result r = d.run(QUBIC_EXE);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  std::istringstream results(read_file(d / "results6")), out(r.out);
  std::string status, skip;
  for (std::size_t n = 0; n < std::size(roots); ++n) {
    SCOPED_TRACE("record " + std::to_string(n + 1));
    ASSERT_TRUE(std::getline(results, status));
    ASSERT_EQ(status, roots[n].empty() ? "0" : "1");
    if (roots[n].empty()) continue;
    std::getline(std::getline(results, skip), skip);  // the reconstructed cubic
    double re[3], im[3];
    ASSERT_TRUE(out >> re[0] >> re[1] >> re[2] >> im[0] >> im[1] >> im[2]);
    bool used[3] = {};  // every true root is met, within a few units of 2^-24, by one written root
    for (const std::complex<double>& t : roots[n]) {
      int k = 0;
      while (k < 3 && (used[k] || std::abs(std::complex(re[k], im[k]) - t) > 4e-7 * (std::abs(t) + 1))) ++k;
      ASSERT_LT(k, 3) << "no written root near " << t;
      used[k] = true;
    }
  }
  EXPECT_FALSE(std::getline(results, status)) << "extra line in results6: " << status;
  EXPECT_FALSE(out >> skip) << "extra output: " << skip;
}

// The lines of a text, each ended by a line feed.
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> v;
  for (std::size_t at = 0, end = 0; (end = text.find('\n', at)) != std::string::npos; at = end + 1) v.push_back(text.substr(at, end - at));
  return v;
}

// With --exact: the expected roots are the true roots rounded to nearest
// single, checked against 400-bit mpmath (never against this program).
TEST(ExactBatch, SolvesTheExampleRecordsTheSolverCannot) {
  const run_dir d;
  write_file(d / "test6", read_file(QUBIC_EXAMPLES "/test6"));
  const run_result r = d.run(QUBIC_EXE, {"--exact"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // results6: per record a status line, after a 1 the record's two lines.
  // Record 7 (a leading zero: two roots) and 10 (a root near -1e-40 is
  // subnormal: flag -3) stay unsolved, as with the solver.
  const std::vector<std::string> results = lines(read_file(d / "results6")), out = lines(r.out);
  std::string status;
  for (std::size_t i = 0; i < results.size(); i += results[i] == "1" ? 3 : 1) status += results[i];
  EXPECT_EQ(status, "111111011011");
  // On standard output the real parts, then the imaginary parts, of each
  // solved record: records 8, 9 and 11 are the 7th to the 9th.
  ASSERT_EQ(out.size(), 20u) << r.out;
  // Shortest round-trip decimals, as std::to_chars writes them (an exact 0 is
  // +0, tests/text holds the writer to that form).
  const std::vector<std::string> want = {
      "-1.4655713 0.23278561 0.23278561", "0 0.792552 -0.792552",  // x^3 + x^2 + 1: the solver's bisection stalls
      "-1 0.5 0.5", "0 0.8660254 -0.8660254",  // x^3 + 1e-40 x^2 + 1: 1e-40 moves the roots by 1e-40 relative
      "-1e+20 5e+19 5e+19", "0 8.660254e+19 -8.660254e+19",  // 1e-30 x^3 + 1e30: the solver's bound overflows
  };
  EXPECT_EQ(std::vector<std::string>(out.begin() + 12, out.begin() + 18), want);
  // The rebuilt cubics come from exact::monic (tests/exact/monic_test.cpp, record
  // 11's worked by hand there; tests/records for the engine's choice of it).
}

}  // namespace
}  // namespace qubic::test
