// qubic-solve end to end: the CSV format, the reports, errors and exit status.
#include <string>

#include <gtest/gtest.h>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

const std::string exe = QUBIC_SOLVE_EXE;
const std::string header = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n";

struct csv_case {
  const char* why;
  const char* line;  // one input line, without '\n'
  const char* row;   // the expected row, without '\n'
};

// Rows follow from the roots' bits: every real is its shortest round-trip
// decimal, an entry the solver did not write is empty.
TEST(SolveCsv, OneRowPerCubic) {
  const csv_case cases[] = {
      // Roots 3, 2 - 2^-23, 1 + 2^-23 with imaginary parts +0.
      {"the road of one record", "1 -6 11 -6", "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0"},
      {"commas, tabs, blanks and a CR are separators", " 1 ,-6,\t11 , -6 \r",
       "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0"},
      // sqrt(3)/2 rounds to 0x3F5DB3D7; 0.8660254 is within half an ulp of
      // it and 0.866025 is not, so 7 digits are the shortest.
      {"x^3 + 1: -1 and 0.5 +- 0.866025388i", "1 0 0 1",
       "1,0,0,1,1,1,1,-1,0,0.5,0.8660254,0.5,-0.8660254"},
      {"leading zero: root 3 does not exist, its fields are empty", "0 1 -3 2",
       "0,1,-3,2,1,1,-1,1.9999999,0,1.0000001,0,,"},
      {"identically zero: flags 0, no root written", "0,0,0,0", "0,0,0,0,0,0,0,,,,,,"},
      {"negative zero and a subnormal: refused, all roots empty", "-0 1e-40 1 1",
       "-0,1e-40,1,1,-2,-2,-2,,,,,,"},
      {"the bound overflows: not computed, all roots empty", "1e-30 0 0 1e30",
       "1e-30,0,0,1e+30,-6,-6,-6,,,,,,"},
      {"a leading plus, a bare point, leading zeros", "+1. .5 00012.50e-1 nan",
       "1,0.5,1.25,nan,-2,-2,-2,,,,,,"},
      {"spelled infinities and NaNs, any case and sign", "INF -Infinity -nan NaN",
       "inf,-inf,nan,nan,-2,-2,-2,,,,,,"},
      // The largest single is 3.40282347e38; the midpoint to the next
      // power of two is 3.40282357e38.
      {"overflow on reading gives an infinity of the sign written", "3.4028236e38 -1e39 1e99999999999 1.0E+30",
       "inf,-inf,inf,1e+30,-2,-2,-2,,,,,,"},
      // The smallest subnormal is 1.40e-45; half of it is 7.006e-46.
      {"underflow on reading rounds to a subnormal or a signed zero", "1 7.1e-46 -7e-46 -1e-99999",
       "1,1e-45,-0,-0,-2,-2,-2,,,,,,"},
  };
  for (const csv_case& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run(exe, {"--csv"}, std::string(c.line) + "\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, header + c.row + "\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST(SolveCsv, BlankLinesAreSkippedAndArgumentsGiveOneRow) {
  run_result r = run(exe, {"--csv"}, "\n  \t\n1 -6 11 -6\n\n1,0,0,1");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, header + "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0\n" +
                       "1,0,0,1,1,1,1,-1,0,0.5,0.8660254,0.5,-0.8660254\n");

  r = run(exe, {"--csv"}, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, header) << "no input: the header alone";

  // -0 x^3 + 1: a nonzero constant, so no root at all, and none written.
  r = run(exe, {"--csv", "-0", "0", "0", "1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, header + "-0,0,0,1,-1,-1,-1,,,,,,\n");
}

TEST(SolveReport, SolvedCubic) {
  const run_result r = run(exe, {"1", "-6", "11", "-6"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "cubic  1 x^3 - 6 x^2 + 11 x - 6\n"
            "root   real part        imaginary part   flag\n"
            "1      3                0                 1  found and usable\n"
            "2      1.9999999        0                 1  found and usable\n"
            "3      1.0000001        0                 1  found and usable\n"
            "solved: yes\n");
}

TEST(SolveReport, CubicsThatAreNotSolved) {
  const struct {
    const char* why;
    std::initializer_list<std::string_view> args;
    const char* flag;     // the flag column of all three roots
    const char* meaning;  // its words, at least their start
  } cases[] = {
      {"the bound overflows", {"1e-30", "0", "0", "1e30"}, "-6", "not computed"},
      {"a NaN coefficient", {"1", "nan", "0", "1"}, "-2", "input refused"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run(exe, c.args);
    EXPECT_EQ(r.status, 0) << "a cubic not solved is no error";
    for (const char* k : {"1", "2", "3"}) {
      const std::string root_line = std::string(k) + "      -                -                " + c.flag +
                                    "  " + c.meaning;
      EXPECT_NE(r.out.find(root_line), std::string::npos) << root_line << "\nin\n" << r.out;
    }
    EXPECT_NE(r.out.find("\nsolved: no\n"), std::string::npos) << r.out;
  }
}

TEST(SolveErrors, MalformedInputStopsWithStatus2) {
  const std::string long_line(5000, '1');
  const struct {
    const char* why;
    std::initializer_list<std::string_view> args;
    std::string input;
    std::string out;  // what stays written
    std::string err;
  } cases[] = {
      {"a bad number after a good row", {"--csv"}, "1 -6 11 -6\n\n1 2 x 4\n1 0 0 1\n",
       header + "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0\n",
       "qubic-solve: line 3: 'x' is not a number\n"},
      {"three numbers", {"--csv"}, "1 2 3\n", header, "qubic-solve: line 1: expected 4 numbers, found 3\n"},
      {"five numbers", {}, "1 2 3 4 5\n", "", "qubic-solve: line 1: expected 4 numbers, found 5\n"},
      {"an empty field", {"--csv"}, "1,,2,3\n", header,
       "qubic-solve: line 1: empty field between two commas\n"},
      {"two points", {"--csv"}, "1.2.3 1 1 1\n", header, "qubic-solve: line 1: '1.2.3' is not a number\n"},
      {"two signs", {"--csv"}, "1 +-1 1 1\n", header, "qubic-solve: line 1: '+-1' is not a number\n"},
      {"a NaN payload", {"--csv"}, "1 1 1 nan(1)\n", header, "qubic-solve: line 1: 'nan(1)' is not a number\n"},
      {"hexadecimal", {"--csv"}, "1 0x10 1 1\n", header, "qubic-solve: line 1: '0x10' is not a number\n"},
      {"a NUL byte", {"--csv"}, std::string("1 1 1 1\0\n", 9), header,
       "qubic-solve: line 1: '1?' is not a number\n"},
      {"an over-long line", {"--csv"}, long_line + "\n", header,
       "qubic-solve: line 1: longer than 4096 characters\n"},
      {"a bad argument", {"1", "2", "1e", "4"}, "", "",
       "qubic-solve: argument 3: '1e' is not a number (usage: qubic-solve [--csv] [A3 A2 A1 A0])\n"},
      {"three arguments", {"1", "2", "3"}, "", "",
       "qubic-solve: expected 4 coefficients (A3 A2 A1 A0), found 3 (usage: qubic-solve [--csv] [A3 A2 A1 "
       "A0])\n"},
      {"an unknown option", {"--frobnicate"}, "", "",
       "qubic-solve: argument 1: unknown option '--frobnicate' (usage: qubic-solve [--csv] [A3 A2 A1 A0])\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run(exe, c.args, c.input);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(SolveOptions, HelpAndVersion) {
  run_result r = run(exe, {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "qubic-solve " QUBIC_VERSION "\n");

  r = run(exe, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: qubic-solve [--csv] [A3 A2 A1 A0]\n", 0), 0u) << r.out;
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace qubic::test
