// The shipped example, examples/test6, end to end: which records are solved,
// and that every root and reconstructed coefficient written is right.  The
// true roots come from the cubics themselves (factored by hand, or, for the
// last record, from a double-precision eigenvalue solver), not from this
// program.
#include <algorithm>
#include <cmath>
#include <complex>
#include <sstream>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

const double h3 = std::sqrt(3.0) / 2.0;

std::vector<double> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> v;
  for (double x; in >> x;) v.push_back(x);
  return v;
}

// Close to within a few units in the last place of a single.
bool near(double got, double want, double scale) { return std::fabs(got - want) <= 4e-7 * scale; }

TEST(Example, ShippedInputEndToEnd) {
  const struct {
    const char* why;
    double a3, a2, a1, a0;
    std::vector<std::complex<double>> roots;  // the true roots of a solved record; none for one not solved
  } examples[] = {  // in the order of examples/test6
      {"(x-1)(x-2)(x-3)", 1, -6, 11, -6, {1, 2, 3}},
      {"x^3 + 1", 1, 0, 0, 1, {-1, {0.5, h3}, {0.5, -h3}}},
      {"x^3 - 2x - 4 = (x-2)(x^2+2x+2)", 1, 0, -2, -4, {2, {-1, 1}, {-1, -1}}},
      {"2(x-1)(x+3)(x-4)", 2, -4, -22, 24, {1, -3, 4}},
      {"(x+1)(x^2+1)/2", 0.5, 0.5, 0.5, 0.5, {-1, {0, 1}, {0, -1}}},
      {"x(x-1)(x-2): constant zero", 1, -3, 2, 0, {0, 1, 2}},
      {"leading zero: only two roots", 0, 1, -3, 2, {}},
      {"x^3 + x^2 + 1: refinement stalls", 1, 1, 0, 1, {}},
      {"subnormal coefficient: refused", 1, 1e-40, 0, 1, {}},
      {"a factor root underflows to a subnormal", 1, 1e10, -1e10, -1e-30, {}},
      {"Cauchy bound overflows", 1e-30, 0, 0, 1e30, {}},
      {"3x^3 - 2x^2 + 5x - 7", 3, -2, 5, -7,
       {1.0936187217, {-0.2134760275, 1.4449973709}, {-0.2134760275, -1.4449973709}}},
  };
  const run_dir d;
  const std::string input = read_file(QUBIC_EXAMPLES "/test6");
  ASSERT_EQ(std::count(input.begin(), input.end(), '\n'), std::ssize(examples));
  write_file(d / "test6", input);
  const run_result r = d.run(QUBIC_EXE);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");

  std::istringstream results(read_file(d / "results6")), out(r.out);
  std::string status, re_line, im_line, rb_line, ib_line;
  for (const auto& e : examples) {
    SCOPED_TRACE(e.why);
    ASSERT_TRUE(std::getline(results, status));
    ASSERT_EQ(status, e.roots.empty() ? "0" : "1");
    if (e.roots.empty()) continue;
    // Two lines of roots on standard output, two 64-column coefficient records in results6.
    ASSERT_TRUE(std::getline(out, re_line) && std::getline(out, im_line) && std::getline(results, rb_line) &&
                std::getline(results, ib_line));
    const std::vector<double> re = numbers(re_line), im = numbers(im_line), rb = numbers(rb_line),
                              ib = numbers(ib_line);
    const std::string shown = re_line + "\n" + im_line + "\n" + rb_line + "\n" + ib_line;
    ASSERT_TRUE(re.size() == 3 && im.size() == 3 && rb.size() == 4 && ib.size() == 4 && rb_line.size() == 64 &&
                ib_line.size() == 64) << shown;
    // Every true root is met by one written root.
    bool used[3] = {};
    for (const std::complex<double>& t : e.roots) {
      const double s = std::abs(t) + 1;
      int k = 0;
      while (k < 3 && (used[k] || !near(re[k], t.real(), s) || !near(im[k], t.imag(), s))) ++k;
      EXPECT_LT(k, 3) << "no written root near " << t << " in\n" << shown;
      if (k < 3) used[k] = true;
    }
    // The reconstruction is the monic cubic: the input divided by a3.
    const double monic[] = {1, e.a2 / e.a3, e.a1 / e.a3, e.a0 / e.a3};
    const double scale = 4 * (std::fabs(monic[1]) + std::fabs(monic[2]) + std::fabs(monic[3]) + 1);
    for (int j = 0; j < 4; ++j) EXPECT_TRUE(near(rb[j], monic[j], scale) && near(ib[j], 0.0, scale)) << shown;
  }
  EXPECT_FALSE(std::getline(results, status)) << "extra line in results6: " << status;
  EXPECT_FALSE(std::getline(out, re_line)) << "extra line on standard output: " << re_line;
}

}  // namespace
}  // namespace qubic::test
