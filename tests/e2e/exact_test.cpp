// --exact end to end: qubic-solve and the batch program with the exact
// engine.  The expected roots are the true roots of the float cubics rounded
// to nearest single, written as decimals that read back to those singles;
// each was checked against the roots computed with 400-bit mpmath (never
// against this program).  The exact engine's whole contract, case by case,
// is tested against a rational reference in tests/exact.
#include <algorithm>
#include <charconv>
#include <cstdio>

#include <qubic/solve.hpp>

#include "bits.hpp"
#include "e2e/run.hpp"

namespace qubic::test {
namespace {

// The text with every number (a field between blanks, commas and line ends
// that reads whole as a float) as its bit pattern and a comma for a blank:
// outputs compare by bits (-0 is not 0, 1e+14 is 1e14); other fields, empty
// ones included, as they are.
std::string by_bits(const std::string& text) {
  std::string out;
  for (std::size_t at = 0, end = 0; at < text.size(); at = end + 1) {
    end = std::min(text.find_first_of(" ,\n", at), text.size());
    const std::string f = text.substr(at, end - at);
    float x = 0.0f;
    const auto [stop, ec] = std::from_chars(f.data(), f.data() + f.size(), x);
    char hex[16];
    std::snprintf(hex, sizeof hex, "<%08X>", bits(x));
    out += (!f.empty() && ec == std::errc() && stop == f.data() + f.size() ? std::string(hex) : f) + (end == text.size() ? "" : text[end] == '\n' ? "\n" : ",");
  }
  return out;
}

// The lines of a text, each ended by a line feed.
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> v;
  for (std::size_t at = 0, end = 0; (end = text.find('\n', at)) != std::string::npos; at = end + 1) v.push_back(text.substr(at, end - at));
  return v;
}

TEST(ExactTool, CorrectlyRoundedRootsAndFlags) {
  const std::string rows[][2] = {  // the line read; the flags, re1, im1, re2, im2, re3, im3 written after it
      // Real roots first, then the pair with the positive imaginary part.
      {"1 0 0 3", "1,1,1,-1.4422495,0,0.72112477,1.2490247,0.72112477,-1.2490247"},
      {"1 -52 901 -5202", "1,1,1,17,0,17,0,18,0"},  // a double root: equal reals, never a pair
      // A real root of 1.00000004e14 beside a pair whose parts differ by 8 decades.
      {"1e-8 -1e6 -1e-22 -1e-35", "1,1,1,1e14,0,-5e-29,3.1622778e-21,-5e-29,-3.1622778e-21"},
      {"0 1 -3 2", "1,1,-1,1,0,2,0,,"},  // a leading zero: two roots, the third root's fields empty
      {"1 inf 0 1", "-2,-2,-2,,,,,,"},   // refused, nothing written
  };
  std::string input, want = "a3,a2,a1,a0,flag1,flag2,flag3,re1,im1,re2,im2,re3,im3\n";
  for (const auto& row : rows) input += row[0] + "\n", want += row[0] + "," + row[1] + "\n";
  const run_result r = run_dir().run(QUBIC_SOLVE_EXE, {"--exact", "--csv"}, input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(by_bits(r.out), by_bits(want)) << r.out;
}

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
  const char* want[] = {
      "-1.4655713 0.23278561 0.23278561", "0 0.792552 -0.792552",  // x^3 + x^2 + 1: the solver's bisection stalls
      "-1 0.5 0.5", "0 0.8660254 -0.8660254",  // x^3 + 1e-40 x^2 + 1: 1e-40 moves the roots by 1e-40 relative
      "-1e20 5e19 5e19", "0 8.660254e19 -8.660254e19",  // 1e-30 x^3 + 1e30: the solver's bound overflows
  };
  for (int i = 0; i < 6; ++i) EXPECT_EQ(by_bits(out[12 + i]), by_bits(want[i])) << out[12 + i];
  // Record 11's rebuilt cubic, from the roots above (u = 5e19, v = 8.660254e19
  // as floats, r1 = -2u exactly), multiplied out by hand in rationals: x^2 has
  // r1 + 2u = 0, x has v^2 - 3u^2 = -230963324213250406586868599619584 (a
  // float), x^0 has 2u (u^2 + v^2) > 1e60, beyond the range; the pair's
  // imaginary parts cancel exactly.  (coef wrote NaN for three of them.)
  ASSERT_EQ(results.size(), 32u);
  EXPECT_EQ(results[27] + "\n" + results[28], "  0.10000000E+01  0.00000000E+00 -0.23096332E+33        Infinity\n"
                                              "  0.00000000E+00  0.00000000E+00  0.00000000E+00  0.00000000E+00");
}

}  // namespace
}  // namespace qubic::test
