// qubic-solve end to end: the CSV format, the reports, errors and exit
// status.  With --exact, the expected roots are the true roots of the float
// cubics rounded to nearest single, written as decimals that read back to
// those singles; each was checked against the roots computed with 400-bit
// mpmath (never against this program).  The exact engine's whole contract,
// case by case, is tested against a rational reference in tests/exact.
#include <poll.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <qubic/solve.hpp>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

const std::string header = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n";
const std::string road_row = "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0\n";
const std::string usage = " (usage: qubic-solve [--csv] [--exact] [--double] [A3 A2 A1 A0])\n";

struct tool_case {
  const char* why;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;  // all of it: rows already written stay on an error
  std::string err;
  fault f = fault::none;
  std::string out_to = "";  // standard output appended to this file (to_stdin: the input)
};

// One line in, the header and one row out.  Rows follow from the roots'
// bits: every real is its shortest round-trip decimal, an entry the solver
// did not write is empty.
tool_case csv(const char* why, const std::string& line, const std::string& row) {
  return {why, {"--csv"}, line + "\n", 0, header + row, ""};
}

// The first lines of a report.
std::string report(const std::string& cubic) { return "cubic  " + cubic + "\nroot   real part        imaginary part   flag\n"; }

TEST(SolveTool, RowsReportsAndErrors) {
  const std::string refused = "      -                -                -2  " + std::string(flag_meaning(-2)) + "\n";
  const std::string found(exact_flag_meaning(flag::found));
  const tool_case cases[] = {
      csv("leading zero: no root 3, its fields empty", "0 1 -3 2", "0,1,-3,2,1,1,-1,1.9999999,0,1.0000001,0,,\n"),
      csv("-0, a subnormal and a NaN: refused, roots empty", "-0 1e-40 1 nan", "-0,1e-40,1,nan,-2,-2,-2,,,,,,\n"),
      csv("a leading plus, a bare point, leading zeros, a spelled infinity", "+1. .5 00012.50e-1 -Infinity",
          "1,0.5,1.25,-inf,-2,-2,-2,,,,,,\n"),
      // Out of range on reading: the largest single is 3.40282347e38 and the
      // midpoint to the next power of two 3.40282357e38; the smallest
      // subnormal is 1.40e-45 and half of it 7.006e-46.
      csv("overflow and underflow on reading", "3.4028236e38 -1e99999999999 7.1e-46 -1e-99999",
          "inf,-inf,1e-45,-0,-2,-2,-2,,,,,,\n"),
      // Roots 3, 2 - 2^-23, 1 + 2^-23 with imaginary parts +0; sqrt(3)/2
      // rounds to 0x3F5DB3D7, and 0.8660254 is within half an ulp of it
      // while 0.866025 is not, so 7 digits are the shortest.
      {"commas, tabs, blanks, CRs and blank lines", {"--csv"}, "\n  \t\n 1 ,-6,\t11 , -6 \r\n\n1,0,0,1", 0,
       header + road_row + "1,0,0,1,1,1,1,-1,0,0.5,0.8660254,0.5,-0.8660254\n", ""},
      {"a solved cubic's report", {"1", "-6", "11", "-6"}, "", 0,
       report("1 x^3 - 6 x^2 + 11 x - 6") + "1      3                0                 1  found and usable\n"
       "2      1.9999999        0                 1  found and usable\n"
       "3      1.0000001        0                 1  found and usable\nsolved: yes\n", ""},
      {"a -NaN coefficient: + nan, refused, '-' for roots not written, no error", {"1", "-nan", "0", "1"}, "", 0,
       report("1 x^3 + nan x^2 + 0 x + 1") + "1" + refused + "2" + refused + "3" + refused + "solved: no\n", ""},
      {"--version", {"--version"}, "", 0, "qubic-solve " QUBIC_VERSION "\n", ""},
      {"an unknown option", {"--frob"}, "", 2, "", "qubic-solve: argument 1: unknown option '--frob'" + usage},
      {"a bad argument", {"1", "2", "1e", "4"}, "", 2, "", "qubic-solve: argument 3: '1e' is not a number" + usage},
      {"3 args", {"1", "2", "3"}, "", 2, "", "qubic-solve: expected 4 coefficients (A3 A2 A1 A0), found 3" + usage},
      {"a bad number (a NUL in it) after a good row", {"--csv"}, "1 -6 11 -6\n\n1 2 x" + std::string(1, '\0') + " 4\n1 0 0 1\n", 2,
       header + road_row, "qubic-solve: line 3: 'x?' is not a number\n"},
      {"five numbers", {}, "1 2 3 4 5\n", 2, "", "qubic-solve: line 1: expected 4 numbers, found 5\n"},
      {"an empty field", {"--csv"}, "1,,2,3\n", 2, header, "qubic-solve: line 1: empty field between two commas\n"},
      {"an over-long line", {"--csv"}, std::string(5000, '1') + "\n", 2, header,
       "qubic-solve: line 1: longer than 4096 characters\n"},
      {"standard input closed reads as empty", {"--csv"}, "1 0 0 1\n", 0, header, "", fault::in_closed},
      {"standard output full", {"1", "0", "0", "1"}, "", 1, "",
       "qubic-solve: writing standard output: " + std::string(std::strerror(ENOSPC)) + "\n", fault::out_full},
      {"qubic-solve --csv <f >>f: refused, f unchanged", {"--csv"}, "1 -6 11 -6\n", 1, "",
       "qubic-solve: standard output: is the same file as standard input: the input would be overwritten\n",
       fault::none, to_stdin},
      // Its own CSV read back: the header skipped, each row's coefficients
      // solved again, the rest of the row not read: the same table.
      {"its own CSV", {"--csv"}, header + road_row + "0,1,-3,2,1,1,-1,1.9999999,0,1.0000001,0,,\n-0,1e-40,1,1,-2,-2,-2,,,,,,\n",
       0, header + road_row + "0,1,-3,2,1,1,-1,1.9999999,0,1.0000001,0,,\n-0,1e-40,1,1,-2,-2,-2,,,,,,\n", ""},
      csv("a header of the coefficients alone, CRLF", "a3,a2,a1,a0\r\n1 -6 11 -6", road_row),
      {"a header only as the first line", {"--csv"}, "1 -6 11 -6\na3,a2,a1,a0\n", 2, header + road_row,
       "qubic-solve: line 2: 'a3' is not a number\n"},
      csv("hexadecimal and D exponents", "0x1p0 -0x1.8p+2 11D0 -0X3P1", road_row),
      // x^3 + 3 correctly rounded (400-bit mpmath, tests/exact NamedExamples): real
      // roots first, then the pair with the positive imaginary part; a
      // quadratic's roots ascending, where the solver's descend.
      {"--exact --csv", {"--exact", "--csv"}, "1 0 0 3\n0 1 -3 2\n1 inf 0 1\n", 0,
       header + "1,0,0,3,1,1,1,-1.4422495,0,0.72112477,1.2490247,0.72112477,-1.2490247\n0,1,-3,2,1,1,-1,1,0,2,0,,\n"
                "1,inf,0,1,-2,-2,-2,,,,,,\n", ""},
      // 2^-149 x^3 - x^2: roots 0, 0 and 2^149, reported in the exact engine's words.
      {"--exact: the exact engine's report", {"--exact", "1e-45", "-1", "0", "0"}, "", 0,
       report("1e-45 x^3 - 1 x^2 + 0 x + 0") + "1      0                0                 1  " + found +
           "\n2      0                0                 1  " + found + "\n3      inf              0                -3  " +
           std::string(exact_flag_meaning(flag::unusable)) + "\nsolved: no\n", ""},
      {"--exact, then an unknown option", {"--exact", "--frob"}, "", 2, "",
       "qubic-solve: argument 2: unknown option '--frob'" + usage},
      {"each option at most once", {"--exact", "--csv", "--exact"}, "", 2, "",
       "qubic-solve: argument 3: '--exact' given twice" + usage},
      // x^2 (x + 2^-1022 - 2^-1074), a root of the largest subnormal double:
      // the report's columns are wide enough for a double's 24 characters.
      {"--exact --double: a double cubic's report", {"--exact", "--double", "1", "0x0.fffffffffffffp-1022", "0", "0"},
       "", 0,
       "cubic  1 x^3 + 2.225073858507201e-308 x^2 + 0 x + 0\nroot   real part                 imaginary part"
       "            flag\n1      -2.225073858507201e-308   0                         -3  " +
           std::string(exact_flag_meaning(flag::unusable)) + "\n2      0                         0                          1  " +
           found + "\n3      0                         0                          1  " + found + "\nsolved: no\n", ""},
      {"--double without --exact: the solver is single precision", {"--double", "1", "0", "0", "1"}, "", 2, "",
       "qubic-solve: --double needs --exact (the solver is single precision)" + usage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run_dir().run(QUBIC_SOLVE_EXE, c.args, c.input, c.f, c.out_to);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.in, c.input) << "the input changed";
  }
}

// --exact --double: each number read as the nearest double, every part of
// every root the double nearest to the true value, written as the shortest
// decimal that reads back to it (compared as text: each expected number is
// already that shortest form).  Expected roots come from cubics built from
// known roots (exact in double, as Python's repr writes them) or, where
// irrational, from 300-bit mpmath polyroots rounded to nearest double.
TEST(ExactTool, DoubleCoefficientsAndRoots) {
  const std::string rows[][2] = {  // the line read; the row written for it
      // 0x1.000001p0 is 1 + 2^-24 as a double (a tie between two singles,
      // 1 as a float): the double root 1 + 2^-24 beside a double root 0.
      {"1 -0x1.000001p0 0 0", "1,-1.0000000596046448,0,0,1,1,1,0,0,0,0,1.0000000596046448,0"},
      // 0.1 read as the double 0x1.999999999999ap-4: the cube root of that
      // double and its pair, from mpmath.
      {"1,0,0,-0.1", "1,0,0,-0.1,1,1,1,0.4641588833612779,0,-0.23207944168063896,0.40197338438308483,"
                     "-0.23207944168063896,-0.40197338438308483"},
      // x (x - 2^500)^2: beyond the single range, a double root decided exactly.
      {"1 -0x1p501 0x1p1000 0", "1,-6.546781215792284e+150,1.0715086071862673e+301,0,1,1,1,0,0,"
                                "3.273390607896142e+150,0,3.273390607896142e+150,0"},
      // x^2 (x - 2^-1074): the subnormal root is flagged -3.
      {"1 -5e-324 0 0", "1,-5e-324,0,0,1,1,-3,0,0,0,0,5e-324,0"},
      // 2^-1074 x^3 - x^2: the root 2^1074 overflows to inf.
      {"0x1p-1074 -1 0 0", "5e-324,-1,0,0,1,1,-3,0,0,0,0,inf,0"},
      {"0 1 -3 2", "0,1,-3,2,1,1,-1,1,0,2,0,,"},  // a leading zero: two roots
      // Read to the nearest double: beyond the range inf (refused), below
      // half of 2^-1074 a zero of its sign, above it 2^-1074.
      {"1e309 -2e-324 3e-324 -0", "inf,-0,5e-324,-0,-2,-2,-2,,,,,,"},
  };
  std::string input, want = header;
  for (const auto& row : rows) input += std::string(row[0]) + "\n", want += row[1] + "\n";
  const run_result csv = run_dir().run(QUBIC_SOLVE_EXE, {"--exact", "--double", "--csv"}, input);
  EXPECT_EQ(csv.status, 0);
  EXPECT_EQ(csv.err, "");
  EXPECT_EQ(csv.out, want);
  // The tool reads its own CSV back to the same rows.
  EXPECT_EQ(run_dir().run(QUBIC_SOLVE_EXE, {"--double", "--csv", "--exact"}, csv.out).out, want);
  // The same line as a single-precision cubic: 0x1.000001p0 is 1 there.
  EXPECT_EQ(run_dir().run(QUBIC_SOLVE_EXE, {"--exact", "--csv", "1", "-0x1.000001p0", "0", "0"}).out,
            header + "1,-1,0,0,1,1,1,0,0,0,0,1,0\n");
}

// A program that writes one line and waits for its answer before the next:
// each answer must arrive while standard input is still open (it used to
// wait in a block buffer for the end of the input).
TEST(SolveTool, AnswersEachLineOfAPipeAtOnce) {
  std::signal(SIGPIPE, SIG_IGN);  // a dead child fails the test, not the process
  int in[2], out[2];
  ASSERT_EQ(::pipe2(in, O_CLOEXEC), 0);
  ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::dup2(in[0], 0) < 0 || ::dup2(out[1], 1) < 0) ::_exit(126);
    ::alarm(time_limit);
    ::execl(QUBIC_SOLVE_EXE, QUBIC_SOLVE_EXE, "--csv", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  // What arrives within 5 s, up to the length of the answer awaited.
  auto answer = [&out](std::size_t length) {
    std::string got;
    pollfd p{out[0], POLLIN, 0};
    while (got.size() < length && ::poll(&p, 1, 5000) > 0) {
      char buf[256];
      const ssize_t n = ::read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  };
  const std::string exchange[][2] = {  // a line written, the answer awaited before the next
      {"", header}, {"1 -6 11 -6\n", road_row}, {"1 0 0 1\n", "1,0,0,1,1,1,1,-1,0,0.5,0.8660254,0.5,-0.8660254\n"}};
  for (const auto& [line, want] : exchange) {
    EXPECT_EQ(::write(in[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    EXPECT_EQ(answer(want.size()), want) << "after " << line;
  }
  ::close(in[1]);
  EXPECT_EQ(answer(1), "");
  ::close(out[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace qubic::test
