// The batch program end to end: what needs the real executable and the real
// solver (files on disk, links, devices, pipes, standard descriptors, exit
// status).  The record loop itself is checked with stand-in solvers in
// tests/call/batch_test.cpp; heavier faults (a 1 GiB line, ten million
// lines, a read-only file system) are in .ci/steps/20-io-faults.sh.
#include <cerrno>
#include <cstring>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

// What a name in the working folder is before the run: no file, a symlink
// (to a device, to the other file), a hard link to test6, or a file with
// the given bytes.
const std::string none = "<no file>", zero = "<to /dev/zero>", to_test6 = "<symlink to test6>",
                  to_results6 = "<symlink to results6>", hard = "<hard link to test6>";

bool named(const std::string& what) { return !what.empty() && what.front() == '<'; }

void make(const run_dir& d, const std::string& name, const std::string& what) {
  const std::string path = d / name;
  if (what == zero) std::filesystem::create_symlink("/dev/zero", path);
  if (what == to_test6) std::filesystem::create_symlink("test6", path);
  if (what == to_results6) std::filesystem::create_symlink("results6", path);
  if (what == hard) std::filesystem::create_hard_link(d / "test6", path);
  if (!named(what)) write_file(path, what);
}

std::string error(const char* file, const char* action, int e) {
  return std::string("qubic: ") + file + ": " + action + ": " + std::strerror(e) + "\n";
}

const std::string earlier = "1\n  0.10000000E+01\n";  // an earlier run's results6
const std::string same = "qubic: results6: is the same file as test6: the input would be overwritten\n";
const std::string stdout_closed = error("standard output", "not open for writing", EBADF);
const std::string bad_line3 = "\n" + std::string(64, ' ') + "\n" + std::string(16, ' ') + "1.2.3\n" + road_record;

// 16 NUL bytes as the message shows them.
const std::string nul16 = [] {
  std::string q;
  for (int k = 0; k < 16; ++k) q += "\\x00";
  return q;
}();

const std::string usage = "usage: qubic [--help | --version]\n";
std::string refused(const std::string& arg) { return "qubic: unexpected argument '" + arg + "'\n" + usage; }

struct batch_case {
  const char* why;
  std::vector<std::string> args = {};
  std::string test6 = road_record;
  std::string results6 = none;
  sink to = sink::file;
  unsigned closed = none_closed;
  int status = 0;
  std::string err = "";
  std::string after = none;  // results6 afterwards: its bytes, <no file> or the symlink it is
  std::string out = "";      // standard output; for --help its start
};

TEST(BatchRun, RunsAndFailures) {
  const batch_case cases[] = {
      {.why = "--version answers without touching a file", .args = {"--version"}, .out = "qubic " QUBIC_VERSION "\n"},
      {.why = "--help answers without touching a file", .args = {"--help"}, .out = usage},
      {.why = "an empty argument is refused", .args = {""}, .status = 2, .err = refused("")},
      {.why = "--help then another argument", .args = {"--help", "x"}, .status = 2, .err = refused("x")},
      {.why = "the road of one record", .after = road_results, .out = road_stdout},
      {.why = "an empty test6: an empty results6", .test6 = "", .after = ""},
      {.why = "unsolved records around a solved one: the zero polynomial (blank), a refused subnormal",
       .test6 = "\n" + road_record + "  0.10000000E+01  0.00000000E+00  0.00000000E+00  0.10000000E-39\n",
       .after = "0\n" + road_results + "0\n", .out = road_stdout},
      {.why = "a bad field on line 3: the records before it are kept, none after", .test6 = bad_line3, .status = 1,
       .err = "qubic: test6:3: field 2 (columns 17-32): cannot read \"1.2.3\" as a number\n", .after = "0\n0\n"},
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
      {.why = "results6 a hard link of test6: refused, test6 intact", .results6 = hard, .status = 1, .err = same,
       .after = road_record},
      {.why = "standard output a pipe nobody reads: an error, not a kill by SIGPIPE", .to = sink::closed_pipe,
       .status = 1, .err = error("standard output", "cannot write", EPIPE), .after = road_results},
      // A closed descriptor would be taken by results6, which would then
      // receive the roots (1) or the messages (2).
      {.why = "standard output closed: no results6 made", .to = sink::closed, .status = 1, .err = stdout_closed},
      {.why = "standard output closed: results6 kept", .results6 = earlier, .to = sink::closed, .status = 1,
       .err = stdout_closed, .after = earlier},
      {.why = "standard error closed: the message is lost, not written into results6", .test6 = bad_line3,
       .closed = err_closed, .status = 1, .after = "0\n0\n"},
  };
  for (const batch_case& c : cases) {
    SCOPED_TRACE(c.why);
    const run_dir d;
    make(d, "test6", c.test6);
    make(d, "results6", c.results6);
    const bool plain = !named(c.test6);
    const std::string test6_before = plain ? read_file(d / "test6") : "";
    const run_result r = d.run(QUBIC_EXE, c.args, "", c.to, c.closed);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(c.args == std::vector<std::string>{"--help"} ? r.out.substr(0, c.out.size()) : r.out, c.out);
    const bool link = std::filesystem::is_symlink(d / "results6");
    EXPECT_EQ(link ? c.results6 : exists(d / "results6") ? read_file(d / "results6") : none, c.after);
    if (plain) {
      EXPECT_EQ(read_file(d / "test6"), test6_before);
    }
    EXPECT_EQ(exists(d / "test6"), c.test6 != none) << "test6 made or removed";
  }
}

}  // namespace
}  // namespace qubic::test
