// The shipped example, examples/test6, end to end: which records are solved,
// and that every root and reconstructed coefficient written is right.  The
// true roots come from the cubics themselves (factored by hand, or, for the
// last record, from a double-precision eigenvalue solver), not from this
// program.
#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/batch_run.hpp"

namespace {

using namespace qubic::batch_e2e;
using cplx = std::complex<double>;

struct example {
  const char* why;
  double a3, a2, a1, a0;
  bool solved;
  std::vector<cplx> roots;  // the true roots, for solved records
};

const double h3 = std::sqrt(3.0) / 2.0;

// In the order of examples/test6.
const std::vector<example> examples = {
    {"(x-1)(x-2)(x-3)", 1, -6, 11, -6, true, {1, 2, 3}},
    {"x^3 + 1", 1, 0, 0, 1, true, {-1, {0.5, h3}, {0.5, -h3}}},
    {"x^3 - 2x - 4 = (x-2)(x^2+2x+2)", 1, 0, -2, -4, true, {2, {-1, 1}, {-1, -1}}},
    {"2(x-1)(x+3)(x-4)", 2, -4, -22, 24, true, {1, -3, 4}},
    {"(x+1)(x^2+1)/2", 0.5, 0.5, 0.5, 0.5, true, {-1, {0, 1}, {0, -1}}},
    {"x(x-1)(x-2): constant zero", 1, -3, 2, 0, true, {0, 1, 2}},
    {"leading zero: only two roots", 0, 1, -3, 2, false, {}},
    {"x^3 + x^2 + 1: refinement stalls", 1, 1, 0, 1, false, {}},
    {"subnormal coefficient: refused", 1, 1e-40, 0, 1, false, {}},
    {"a factor root underflows to a subnormal", 1, 1e10, -1e10, -1e-30, false, {}},
    {"Cauchy bound overflows", 1e-30, 0, 0, 1e30, false, {}},
    {"3x^3 - 2x^2 + 5x - 7", 3, -2, 5, -7, true,
     {1.0936187217, {-0.2134760275, 1.4449973709}, {-0.2134760275, -1.4449973709}}},
};

std::vector<double> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> v;
  double x;
  while (in >> x) v.push_back(x);
  return v;
}

// Close to within a few units in the last place of a single.
bool near(double got, double want, double scale) { return std::fabs(got - want) <= 4e-7 * scale; }

TEST(Example, ShippedInputEndToEnd) {
  const std::string input = read_file(std::string(QUBIC_EXAMPLES) + "/test6");
  ASSERT_EQ(count_lines(input), examples.size());

  batch_dir d;
  write_file(d / "test6", input);
  const outcome o = d.run();
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");

  std::istringstream results(read_file(d / "results6"));
  std::istringstream out(o.out);
  for (const example& e : examples) {
    SCOPED_TRACE(e.why);
    std::string status;
    ASSERT_TRUE(std::getline(results, status));
    ASSERT_EQ(status, e.solved ? "1" : "0");
    if (!e.solved) continue;

    std::string re_line, im_line, rb_line, ib_line;
    ASSERT_TRUE(std::getline(out, re_line) && std::getline(out, im_line));
    ASSERT_TRUE(std::getline(results, rb_line) && std::getline(results, ib_line));
    const std::vector<double> re = numbers(re_line);
    const std::vector<double> im = numbers(im_line);
    ASSERT_EQ(re.size(), 3u);
    ASSERT_EQ(im.size(), 3u);

    // Every true root is met by one written root.
    std::vector<bool> used(3, false);
    for (const cplx& t : e.roots) {
      bool met = false;
      for (int k = 0; k < 3 && !met; ++k) {
        if (!used[k] && near(re[k], t.real(), std::abs(t) + 1) &&
            near(im[k], t.imag(), std::abs(t) + 1)) {
          used[k] = met = true;
        }
      }
      EXPECT_TRUE(met) << "no written root near " << t << " in\n" << re_line << "\n" << im_line;
    }

    // The reconstruction is the monic cubic: the input divided by a3.
    const std::vector<double> rb = numbers(rb_line);
    const std::vector<double> ib = numbers(ib_line);
    ASSERT_EQ(rb.size(), 4u);
    ASSERT_EQ(ib.size(), 4u);
    const double monic[] = {1, e.a2 / e.a3, e.a1 / e.a3, e.a0 / e.a3};
    const double scale = std::fabs(monic[1]) + std::fabs(monic[2]) + std::fabs(monic[3]) + 1;
    for (int j = 0; j < 4; ++j) {
      EXPECT_TRUE(near(rb[j], monic[j], 4 * scale)) << rb_line;
      EXPECT_TRUE(near(ib[j], 0.0, 4 * scale)) << ib_line;
    }
  }
  std::string rest;
  EXPECT_FALSE(std::getline(results, rest)) << "extra line in results6: " << rest;
  EXPECT_FALSE(std::getline(out, rest)) << "extra line on standard output: " << rest;
}

}  // namespace
