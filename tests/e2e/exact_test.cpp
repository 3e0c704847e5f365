// --exact end to end: qubic-solve and the batch program with the exact
// engine.  The expected roots are the true roots of the float cubics rounded
// to nearest single, written as decimals that read back to those singles;
// each was checked against the roots computed with 400-bit mpmath (never
// against this program).  Fields are compared by their bits.
#include <algorithm>
#include <charconv>
#include <sstream>

#include <qubic/solve.hpp>

#include "bits.hpp"
#include "e2e/run.hpp"

namespace qubic::test {
namespace {

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> v;
  std::string f;
  std::istringstream in(s);
  while (std::getline(in, f, sep)) v.push_back(f);
  if (!s.empty() && s.back() == sep) v.emplace_back();
  return v;
}

float single(const std::string& s) {
  float x = nan;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), x);
  EXPECT_TRUE(ec == std::errc() && end == s.data() + s.size()) << "'" << s << "' is not a number";
  return x;
}

// The written fields, in order, match the expected decimals bit for bit; an
// empty expected field must be empty.
void expect_fields(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) {
    SCOPED_TRACE("field " + std::to_string(k + 1));
    if (want[k].empty()) {
      EXPECT_EQ(got[k], "");
    } else {
      EXPECT_BITS(single(got[k]), single(want[k]));
    }
  }
}

struct exact_case {
  const char* why;
  const char* line;                // a3 a2 a1 a0
  const char* flags;               // "f1,f2,f3" as in the CSV row
  std::vector<std::string> roots;  // re1, im1, re2, im2, re3, im3; "" for an empty field
};

TEST(ExactTool, CorrectlyRoundedRootsAndFlags) {
  const exact_case cases[] = {
      // Real roots ascending, then the pair with the positive imaginary part first.
      {"x^3 + 3: -cbrt 3 and a pair; the solver finds them too", "1 0 0 3", "1,1,1",
       {"-1.4422495", "0", "0.72112477", "1.2490247", "0.72112477", "-1.2490247"}},
      {"x^3 + x^2 + 1: the solver's bisection stalls", "1 1 0 1", "1,1,1",
       {"-1.4655713", "0", "0.23278561", "0.792552", "0.23278561", "-0.792552"}},
      // The floats nearest 1e-30 and 1e30 make a root of -1.00000002e20.
      {"60 decades between the coefficients: the solver's bound overflows", "1e-30 0 0 1e30", "1,1,1",
       {"-1e20", "0", "5e19", "8.660254e19", "5e19", "-8.660254e19"}},
      {"(x - 1)^3: a triple root, never a complex pair", "1 -3 3 -1", "1,1,1", {"1", "0", "1", "0", "1", "0"}},
      {"(x - 17)^2 (x - 18): a double root", "1 -52 901 -5202", "1,1,1", {"17", "0", "17", "0", "18", "0"}},
      {"(x - 1)(x - 2)(x - 3): exactly, ascending", "1 -6 11 -6", "1,1,1", {"1", "0", "2", "0", "3", "0"}},
      // The real root is 1.00000004e14; the pair's parts differ by 8 decades.
      {"a tiny complex pair beside a huge real root", "1e-8 -1e6 -1e-22 -1e-35", "1,1,1",
       {"1e14", "0", "-5e-29", "3.1622778e-21", "-5e-29", "-3.1622778e-21"}},
      {"x^3 + x: an exact zero root, real parts +0", "1 0 1 0", "1,1,1", {"0", "0", "0", "1", "0", "-1"}},
      // The subnormal 1e-40 moves the roots of x^3 + x + 1 by about 1e-40
      // relative, far from any rounding boundary: the same singles.
      {"a subnormal coefficient is an exact value, not refused", "1 1e-40 1 1", "1,1,1",
       {"-0.6823278", "0", "0.3411639", "1.1615413", "0.3411639", "-1.1615413"}},
      // 2^-149 x^3 - x^2 has the roots 0, 0 and 2^149, beyond the float range.
      {"a root that overflows: +inf with flag -3", "1e-45 -1 0 0", "1,1,-3", {"0", "0", "0", "0", "inf", "0"}},
      {"a leading zero: x^2 - 3x + 2 has two roots", "0 1 -3 2", "1,1,-1", {"1", "0", "2", "0", "", ""}},
      {"the zero polynomial", "0 -0 0 0", "0,0,0", {"", "", "", "", "", ""}},
      {"an infinite coefficient: refused, nothing written", "1 inf 0 1", "-2,-2,-2", {"", "", "", "", "", ""}},
  };
  std::string input;
  for (const auto& c : cases) input += std::string(c.line) + "\n";
  const run_result r = run_dir().run(QUBIC_SOLVE_EXE, {"--exact", "--csv"}, input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> rows = split(r.out, '\n');  // the header, the rows, "" after the last '\n'
  ASSERT_EQ(rows.size(), std::size(cases) + 2) << r.out;
  EXPECT_EQ(rows.back(), "");
  EXPECT_EQ(rows[0], "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const exact_case& c = cases[i];
    SCOPED_TRACE(std::string(c.why) + ": " + rows[i + 1]);
    const std::vector<std::string> f = split(rows[i + 1], ',');
    ASSERT_EQ(f.size(), 13u);
    EXPECT_EQ(f[4] + "," + f[5] + "," + f[6], c.flags);
    expect_fields({f.begin() + 7, f.end()}, c.roots);
  }
}

// The records of examples/test6 that the solver leaves unsolved, and what
// the exact engine makes of them; every other record is solved by both.
TEST(ExactBatch, SolvesTheExampleRecordsTheSolverCannot) {
  const struct {
    int line;  // of examples/test6
    const char* why;
    std::vector<std::string> roots;  // re1 re2 re3 im1 im2 im3 as on standard output; none when not solved
  } unsolved[] = {
      {7, "a leading zero: two roots only, not solved by either", {}},
      {8, "x^3 + x^2 + 1, where the solver's bisection stalls",
       {"-1.4655713", "0.23278561", "0.23278561", "0", "0.792552", "-0.792552"}},
      // 1e-40 moves the roots of x^3 + 1 by about 1e-40 relative.
      {9, "the subnormal coefficient 1e-40, which the solver refuses",
       {"-1", "0.5", "0.5", "0", "0.8660254", "-0.8660254"}},
      {10, "a root near -1e-40 is subnormal: flag -3, not solved by either", {}},
      {11, "1e-30 x^3 + 1e30, whose bound overflows in the solver",
       {"-1e20", "5e19", "5e19", "0", "8.660254e19", "-8.660254e19"}},
  };
  const run_dir d;
  write_file(d / "test6", read_file(QUBIC_EXAMPLES "/test6"));
  const run_result r = d.run(QUBIC_EXE, {"--exact"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");

  // Per record a status line, and after a 1 two lines of coefficients;
  // per solved record two lines of roots on standard output.
  const std::vector<std::string> results = split(read_file(d / "results6"), '\n');
  const std::vector<std::string> out = split(r.out, '\n');
  std::size_t at = 0, root_line = 0;
  for (int line = 1; line <= 12; ++line) {
    SCOPED_TRACE("record " + std::to_string(line));
    ASSERT_LT(at, results.size());
    const auto u = std::find_if(std::begin(unsolved), std::end(unsolved), [&](const auto& e) { return e.line == line; });
    const bool solved = u == std::end(unsolved) || !u->roots.empty();
    ASSERT_EQ(results[at], solved ? "1" : "0");
    at += solved ? 3 : 1;
    if (!solved) continue;
    ASSERT_LT(root_line + 1, out.size());
    if (u != std::end(unsolved)) {
      SCOPED_TRACE(u->why);
      std::vector<std::string> got = split(out[root_line], ' '), im = split(out[root_line + 1], ' ');
      got.insert(got.end(), im.begin(), im.end());
      expect_fields(got, u->roots);
    }
    root_line += 2;
  }
  EXPECT_EQ(at, results.size() - 1) << "extra lines in results6";  // after the last '\n'
  EXPECT_EQ(root_line, out.size() - 1) << "extra lines on standard output";
}

struct run_case {
  const char* why;
  const char* exe;
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

// The report of 2^-149 x^3 - x^2 (roots 0, 0 and 2^149) in the exact engine's words.
std::string overflow_report() {
  const std::string w1(exact_flag_meaning(flag::found)), w3(exact_flag_meaning(flag::unusable));
  return "cubic  1e-45 x^3 - 1 x^2 + 0 x + 0\nroot   real part        imaginary part   flag\n"
         "1      0                0                 1  " + w1 + "\n"
         "2      0                0                 1  " + w1 + "\n"
         "3      inf              0                -3  " + w3 + "\nsolved: no\n";
}

TEST(ExactOptions, WordsAndRefusals) {
  const run_case cases[] = {
      {"the report speaks of correct rounding and overflow", QUBIC_SOLVE_EXE, {"--exact", "1e-45", "-1", "0", "0"}, 0,
       overflow_report(), ""},
      {"qubic-solve: an unknown option beside --exact", QUBIC_SOLVE_EXE, {"--exact", "--frob"}, 2, "",
       "qubic-solve: argument 2: unknown option '--frob' (usage: qubic-solve [--csv] [A3 A2 A1 A0])\n"},
      {"qubic: an unknown option after --exact", QUBIC_EXE, {"--exact", "--csv"}, 2, "",
       "qubic: unexpected argument '--csv'\nusage: qubic [--help | --version]\n"},
      {"qubic: --exact twice", QUBIC_EXE, {"--exact", "--exact"}, 2, "",
       "qubic: unexpected argument '--exact'\nusage: qubic [--help | --version]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run_dir().run(c.exe, c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
}  // namespace qubic::test
