// The batch program end to end: what needs the real executable and the real
// solver (files on disk, exit status, standard error, devices, pipes,
// signals).  The record loop itself is checked with stand-in solvers in
// tests/call/batch_test.cpp.  Heavier faults (a 1 GiB line, ten million
// lines, a read-only file system) are in .ci/steps/20-io-faults.sh.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

// What a name in the working folder is before the run (or, for `after`, is
// left as): no file, a directory, a symlink to /dev/full, or a file with the
// given bytes.
const std::string none = "<no file>", dir = "<directory>", full = "<to /dev/full>";

void make(const std::string& path, const std::string& what) {
  if (what == dir) std::filesystem::create_directory(path);
  if (what == full) std::filesystem::create_symlink("/dev/full", path);
  if (what != none && what != dir && what != full) write_file(path, what);
}

std::string error(const char* file, const char* action, int e) {
  return std::string("qubic: ") + file + ": " + action + ": " + std::strerror(e) + "\n";
}

const std::string earlier = "1\n  0.10000000E+01\n";  // an earlier run's results6
const std::string no_test6 = error("test6", "cannot open", ENOENT), dir_test6 = error("test6", "cannot read", EISDIR);

const std::string usage = "usage: qubic [--help | --version]\n";
std::string refused(const std::string& arg) { return "qubic: unexpected argument '" + arg + "'\n" + usage; }

struct batch_case {
  const char* why;
  std::vector<std::string> args = {};
  std::string test6 = road_record;
  std::string results6 = none;
  sink to = sink::file;
  int status = 0;
  std::string err = "";
  std::string after = none;  // results6 afterwards
  std::string out = "";  // standard output; for --help its start
};

TEST(BatchRun, RunsAndFailures) {
  const batch_case cases[] = {
      {.why = "--version answers without touching a file", .args = {"--version"}, .out = "qubic " QUBIC_VERSION "\n"},
      {.why = "--help answers without touching a file", .args = {"--help"}, .out = usage},
      {.why = "a file name is refused", .args = {"test6"}, .status = 2, .err = refused("test6")},
      {.why = "an unknown option", .args = {"--csv"}, .status = 2, .err = refused("--csv")},
      {.why = "a short option", .args = {"-h"}, .status = 2, .err = refused("-h")},
      {.why = "an empty argument", .args = {""}, .status = 2, .err = refused("")},
      {.why = "--help then another argument", .args = {"--help", "x"}, .status = 2, .err = refused("x")},
      {.why = "--version then --help", .args = {"--version", "--help"}, .status = 2, .err = refused("--help")},
      {.why = "the road of one record", .after = road_results, .out = road_stdout},
      {.why = "an empty test6: an empty results6", .test6 = "", .after = ""},
      {.why = "unsolved records around a solved one: the zero polynomial (blank), a refused subnormal",
       .test6 = "\n" + road_record + "  0.10000000E+01  0.00000000E+00  0.00000000E+00  0.10000000E-39\n",
       .after = "0\n" + road_results + "0\n", .out = road_stdout},
      {.why = "degenerate: a leading zero leaves x^2 - 3x + 2, root 3 does not exist, not solved",
       .test6 = "  0.00000000E+00  0.10000000E+01 -0.30000000E+01  0.20000000E+01\n", .after = "0\n"},
      {.why = "test6 missing: the results6 it made is removed", .test6 = none, .status = 1, .err = no_test6},
      {.why = "test6 missing: an existing results6 is kept", .test6 = none, .results6 = earlier, .status = 1,
       .err = no_test6, .after = earlier},
      {.why = "test6 a directory: no results6 left", .test6 = dir, .status = 1, .err = dir_test6},
      {.why = "test6 a directory: an existing results6 is kept", .test6 = dir, .results6 = earlier, .status = 1,
       .err = dir_test6, .after = earlier},
      {.why = "a bad field on line 3: the records before it are kept, none after",
       .test6 = "\n" + std::string(64, ' ') + "\n" + std::string(16, ' ') + "1.2.3\n" + road_record, .status = 1,
       .err = "qubic: test6:3: field 2 (columns 17-32): cannot read \"1.2.3\" as a number\n", .after = "0\n0\n"},
      {.why = "a NUL byte in a field, shown escaped in a one-line message",
       .test6 = road_record + std::string("1.0\0", 4) + std::string(60, ' ') + "\n" + road_record, .status = 1,
       .err = "qubic: test6:2: field 1 (columns 1-16): cannot read \"1.0\\x00\" as a number\n",
       .after = road_results, .out = road_stdout},
      {.why = "results6 a directory", .test6 = "\n", .results6 = dir, .status = 1,
       .err = error("results6", "cannot open for writing", EISDIR)},
      {.why = "results6 -> /dev/full", .test6 = "\n", .results6 = full, .status = 1,
       .err = error("results6", "cannot write", ENOSPC)},
      {.why = "standard output full, nothing to write: no error", .test6 = "\n", .to = sink::dev_full, .after = "0\n"},
      {.why = "standard output full: results6 is still flushed", .test6 = road_record + road_record,
       .to = sink::dev_full, .status = 1, .err = error("standard output", "cannot write", ENOSPC),
       .after = road_results + road_results},
      {.why = "standard output a pipe nobody reads: an error, not a kill by SIGPIPE", .to = sink::closed_pipe,
       .status = 1, .err = error("standard output", "cannot write", EPIPE), .after = road_results},
  };
  for (const batch_case& c : cases) {
    SCOPED_TRACE(c.why);
    const run_dir d;
    make(d / "test6", c.test6);
    make(d / "results6", c.results6);
    const run_result r = d.run(QUBIC_EXE, c.args, "", c.to);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(c.args == std::vector<std::string>{"--help"} ? r.out.substr(0, c.out.size()) : r.out, c.out);
    if (c.results6 != dir && c.results6 != full) {  // a device or directory is not read
      EXPECT_EQ(exists(d / "results6") ? read_file(d / "results6") : none, c.after);
    }
  }
}

TEST(BatchRun, BinaryGarbageGivesOneLineOfText) {
  // Seeded bytes over all 256 values after one good record: whichever line
  // the reader stops at, the message is one printable line naming it, and
  // results6 holds one status line (0) per record before it.
  for (const unsigned seed : {6u, 7u, 8u, 9u}) {
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::string test6 = road_record;
    for (int k = 0; k < 1 << 16; ++k) test6 += static_cast<char>(gen() & 0xFF);
    const run_dir d;
    write_file(d / "test6", test6);
    const run_result r = d.run(QUBIC_EXE);
    EXPECT_EQ(r.status, 1);
    const std::string head = "qubic: test6:";
    ASSERT_EQ(r.err.rfind(head, 0), 0u) << r.err;
    ASSERT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    for (const char c : r.err) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
    const unsigned long line = std::strtoul(r.err.c_str() + head.size(), nullptr, 10);
    std::string want = road_results;
    for (unsigned long k = 2; k < line; ++k) want += "0\n";
    EXPECT_GE(line, 2u) << r.err;
    EXPECT_EQ(read_file(d / "results6"), want);
  }
}

TEST(BatchRun, InputRemovedWhileBeingReadIsReadToItsEnd) {
  // test6 is a FIFO: the program holds it open while this test writes one
  // record, removes the name, writes another and closes.  Removing a name
  // does not end an open file, so both records are solved.
  const run_dir d;
  const std::string fifo = d / "test6";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);  // waits for the program to open test6
    const auto put = [&] { return ::write(fd, road_record.data(), road_record.size()) > 0; };
    EXPECT_TRUE(put() && ::unlink(fifo.c_str()) == 0 && put());
    ::close(fd);
  });
  const run_result r = d.run(QUBIC_EXE);
  const int rd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // frees the writer if the program never opened test6
  writer.join();
  if (rd >= 0) ::close(rd);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(d / "results6"), road_results + road_results);
  EXPECT_EQ(r.out, road_stdout + road_stdout);
}

}  // namespace
}  // namespace qubic::test
