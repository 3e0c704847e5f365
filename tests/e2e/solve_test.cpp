// qubic-solve end to end: the CSV format, the reports, errors and exit status.
#include <qubic/solve.hpp>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

const std::string header = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n";
const std::string road_row = "1,-6,11,-6,1,1,1,3,0,1.9999999,0,1.0000001,0\n";
const std::string usage = " (usage: qubic-solve [--csv] [A3 A2 A1 A0])\n";

struct tool_case {
  const char* why;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;  // all of it (rows already written stay on an error), or its start for --help
  std::string err;
  sink to = sink::file;
  unsigned closed = none_closed;
};

// One line in, the header and one row out.  Rows follow from the roots'
// bits: every real is its shortest round-trip decimal, an entry the solver
// did not write is empty.
tool_case csv(const char* why, const std::string& line, const std::string& row) {
  return {why, {"--csv"}, line + "\n", 0, header + row, ""};
}

// The report of a cubic with no root written: '-' for both parts, the flag and its words.
std::string unwritten_report(const std::string& cubic, int flag) {
  std::string r = "cubic  " + cubic + "\nroot   real part        imaginary part   flag\n";
  for (const char* k : {"1", "2", "3"}) {
    r += std::string(k) + "      -                -                " + std::to_string(flag) + "  " +
         std::string(flag_meaning(flag)) + "\n";
  }
  return r + "solved: no\n";
}

TEST(SolveTool, RowsReportsAndErrors) {
  const tool_case cases[] = {
      // Roots 3, 2 - 2^-23, 1 + 2^-23 with imaginary parts +0.
      csv("the road of one record", "1 -6 11 -6", road_row),
      // sqrt(3)/2 rounds to 0x3F5DB3D7; 0.8660254 is within half an ulp of
      // it and 0.866025 is not, so 7 digits are the shortest.
      csv("x^3 + 1: -1 and 0.5 +- 0.866025388i", "1 0 0 1", "1,0,0,1,1,1,1,-1,0,0.5,0.8660254,0.5,-0.8660254\n"),
      csv("leading zero: no root 3, its fields empty", "0 1 -3 2", "0,1,-3,2,1,1,-1,1.9999999,0,1.0000001,0,,\n"),
      csv("-0 and a subnormal: refused, roots empty", "-0 1e-40 1 1", "-0,1e-40,1,1,-2,-2,-2,,,,,,\n"),
      csv("the bound overflows: not computed, roots empty", "1e-30 0 0 1e30", "1e-30,0,0,1e+30,-6,-6,-6,,,,,,\n"),
      csv("a leading plus, a bare point, leading zeros", "+1. .5 00012.50e-1 nan", "1,0.5,1.25,nan,-2,-2,-2,,,,,,\n"),
      csv("spelled infinities, NaNs, any case, signed", "INF -Infinity -nan NaN", "inf,-inf,nan,nan,-2,-2,-2,,,,,,\n"),
      // Out of range on reading: the largest single is 3.40282347e38 and the
      // midpoint to the next power of two 3.40282357e38; the smallest
      // subnormal is 1.40e-45 and half of it 7.006e-46.
      csv("overflow and underflow on reading", "3.4028236e38 -1e99999999999 7.1e-46 -1e-99999",
          "inf,-inf,1e-45,-0,-2,-2,-2,,,,,,\n"),
      {"--version", {"--version"}, "", 0, "qubic-solve " QUBIC_VERSION "\n", ""},
      {"--help", {"--help"}, "", 0, "usage: qubic-solve [--csv] [A3 A2 A1 A0]\n", ""},
      {"an unknown option", {"--frob"}, "", 2, "", "qubic-solve: argument 1: unknown option '--frob'" + usage},
      {"a bad argument", {"1", "2", "1e", "4"}, "", 2, "", "qubic-solve: argument 3: '1e' is not a number" + usage},
      {"3 args", {"1", "2", "3"}, "", 2, "", "qubic-solve: expected 4 coefficients (A3 A2 A1 A0), found 3" + usage},
      // The factor's constant -(a0/r) underflows to 0 and the lost constant
      // moves the factor root -1e-28 by 100% (the true roots are 1e14 and
      // -5e-29 +- 3.16e-21 i): flagged -3, its value still written.
      csv("an underflowed factor constant", "1e-8 -1e6 -1e-22 -1e-35",
          "1e-08,-1e+06,-1e-22,-1e-35,1,-3,-3,1e+14,0,0,0,-1.00000006e-28,0\n"),
      {"commas, tabs, blanks, CRs and blank lines", {"--csv"}, "\n  \t\n 1 ,-6,\t11 , -6 \r\n\n1,0,0,1", 0,
       header + road_row + "1,0,0,1,1,1,1,-1,0,0.5,0.8660254,0.5,-0.8660254\n", ""},
      {"no input: the header alone", {"--csv"}, "", 0, header, ""},
      {"a solved cubic's report", {"1", "-6", "11", "-6"}, "", 0,
       "cubic  1 x^3 - 6 x^2 + 11 x - 6\nroot   real part        imaginary part   flag\n"
       "1      3                0                 1  found and usable\n"
       "2      1.9999999        0                 1  found and usable\n"
       "3      1.0000001        0                 1  found and usable\nsolved: yes\n", ""},
      {"the bound overflows: not computed, not solved, no error", {"1e-30", "0", "0", "1e30"}, "", 0,
       unwritten_report("1e-30 x^3 + 0 x^2 + 0 x + 1e+30", flag::not_computed), ""},
      {"a NaN coefficient: refused, not solved, no error", {"1", "nan", "0", "1"}, "", 0,
       unwritten_report("1 x^3 + nan x^2 + 0 x + 1", flag::refused), ""},
      {"a bad number after a good row", {"--csv"}, "1 -6 11 -6\n\n1 2 x 4\n1 0 0 1\n", 2, header + road_row,
       "qubic-solve: line 3: 'x' is not a number\n"},
      {"five numbers", {}, "1 2 3 4 5\n", 2, "", "qubic-solve: line 1: expected 4 numbers, found 5\n"},
      {"an empty field", {"--csv"}, "1,,2,3\n", 2, header, "qubic-solve: line 1: empty field between two commas\n"},
      {"hexadecimal", {"--csv"}, "1 0x10 1 1\n", 2, header, "qubic-solve: line 1: '0x10' is not a number\n"},
      {"a NUL", {"--csv"}, std::string("1 1 1 1\0\n", 9), 2, header, "qubic-solve: line 1: '1?' is not a number\n"},
      {"an over-long line", {"--csv"}, std::string(5000, '1') + "\n", 2, header,
       "qubic-solve: line 1: longer than 4096 characters\n"},
      {"standard output closed", {"1", "0", "0", "1"}, "", 1, "",
       "qubic-solve: standard output: not open for writing: Bad file descriptor\n", sink::closed},
      {"standard input closed reads as empty", {"--csv"}, "1 0 0 1\n", 0, header, "", sink::file, in_closed},
      {"standard error closed: the status still tells", {"--csv"}, "1 2 3\n", 2, header, "", sink::file,
       err_closed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run_dir().run(QUBIC_SOLVE_EXE, c.args, c.input, c.to, c.closed);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(c.why == std::string("--help") ? r.out.substr(0, c.out.size()) : r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
}  // namespace qubic::test
