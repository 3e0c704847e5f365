// run_batch: the record loop with a stand-in solver, so that solved records,
// every flag judgement and every failure can be reached whatever the real
// solver does.
#include "call/batch.hpp"

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "bits.hpp"
#include "call/files.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

// What the stand-in solver saw, and the flags it answers.
std::vector<coeffs> seen;
flags answer{{1, 1, 1}};

// The roots of x^3 - 6x^2 + 11x - 6 as the solver finds them: 3, 2 - 2^-23, 1 + 2^-23, all real.
void road_solver(const coeffs& a, roots& rr, roots& ir, flags& fl) {
  seen.push_back(a);
  rr = {{3.0f, 0x1.fffffep+0f, 0x1.000002p+0f}};
  ir = {{0.0f, 0.0f, 0.0f}};
  fl = answer;
}

// coef of the road roots, worked by hand in the order coef multiplies:
// 3 + (2 - 2^-23) rounds to 5, + (1 + 2^-23) to 6, so rb(2) = -6;
// 3 (2 - 2^-23) rounds to 6 - 2^-21, (2 - 2^-23)(1 + 2^-23) to 2,
// 3 (1 + 2^-23) (a tie) to 3 + 2^-21, and the sum is exactly 11;
// (6 - 2^-21)(1 + 2^-23) rounds to 6, so rb(0) = -6.  The imaginary parts:
// -(0 + 0 + 0) = -0, then +0, and the negated +0 product gives -0.
const std::string road_record = "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n";
const std::string road_results =
    "1\n" + road_record + "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";
const std::string road_stdout = "3 1.9999999 1.0000001\n0 0 0\n";

struct outcome {
  int status;
  std::string results, out, err;
};

// Runs the batch on d/test6 and d/results6; standard output goes to out_path
// (d/stdout unless given), the error stream to d/stderr.  An output that is
// not a file of d reads as "".
outcome run(const temp_dir& d, const std::string& out_path = "") {
  const std::string test = d / "test6", results = d / "results6", errp = d / "stderr";
  const std::string outp = out_path.empty() ? d / "stdout" : out_path;
  const int out_fd = ::open(outp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = ::open(errp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  EXPECT_TRUE(out_fd >= 0 && err_fd >= 0);
  seen.clear();
  const int status = run_batch({test.c_str(), results.c_str()}, out_fd, err_fd, road_solver);
  ::close(out_fd);
  ::close(err_fd);
  return {status, std::filesystem::is_symlink(results) ? "" : read_file(results),
          out_path.empty() ? read_file(outp) : "", read_file(errp)};
}

TEST(Batch, OnlyThreeFoundRootsCountAsSolved) {
  const struct { flags fl; bool solved; const char* why; } cases[] = {
      {{{1, 1, 1}}, true, "all three found: the roots, the reconstruction"}, {{{1, 1, -3}}, false, "one unusable"},
      {{{1, 1, 0}}, false, "none negative, sum 2"}, {{{0, 0, 0}}, false, "identically zero"},
      {{{INT_MAX, INT_MAX, 5}}, false, "a sum that wraps to 3 in 32 bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    temp_dir d;
    write_file(d / "test6", road_record);
    answer = c.fl;
    const outcome o = run(d);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.results, c.solved ? road_results : "0\n");
    EXPECT_EQ(o.out, c.solved ? road_stdout : "");
    ASSERT_EQ(seen.size(), 1u);
    const float x3_first[] = {1.0f, -6.0f, 11.0f, -6.0f};  // the first field is the coefficient of x^3
    for (int k = 0; k < 4; ++k) EXPECT_BITS(seen[0](3 - k), x3_first[k]);
  }
}

TEST(Batch, EmptyInputEmptiesTheResultFile) {
  temp_dir d;
  write_file(d / "test6", "");
  write_file(d / "results6", "from an earlier run\n");
  const outcome o = run(d);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.results + o.out + o.err, "");
  EXPECT_TRUE(seen.empty());
}

TEST(Batch, UnreadableFieldStopsWithOneLine) {
  const struct { std::string line; int field; std::string shown; const char* why; } cases[] = {
      {std::string(16, ' ') + "      abc", 2, "abc", "field 2, blanks dropped"},
      {std::string(48, ' ') + "1e", 4, "1e", "field 4"},
      {"1\t5", 1, "1\\x095", "a tab is shown escaped"}, {std::string("1\0005", 3), 1, "1\\x005", "a NUL too"},
      {"\"x\\", 1, "\\\"x\\\\", "quote and backslash are escaped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    temp_dir d;
    // Line 1 the road record, line 2 blank, line 3 bad, line 4 never read.
    write_file(d / "test6", road_record + "\n" + c.line + "\n" + road_record);
    answer = {{1, 1, 1}};
    const outcome o = run(d);
    EXPECT_EQ(o.status, 1);
    const std::string first = std::to_string(16 * c.field - 15), last = std::to_string(16 * c.field);
    EXPECT_EQ(o.err, "qubic: " + (d / "test6") + ":3: field " + std::to_string(c.field) + " (columns " + first +
                         "-" + last + "): cannot read \"" + c.shown + "\" as a number\n");
    EXPECT_EQ(o.results, road_results + road_results) << "records before the bad line are kept";
    EXPECT_EQ(o.out, road_stdout + road_stdout);
    EXPECT_EQ(seen.size(), 2u) << "nothing after the bad line";
  }
}

// A failure to open or write ends the run with one line; the other output
// still receives everything the records gave it.
TEST(Batch, FailuresAreOneLine) {
  enum fault { no_input, full_stdout, full_results };
  const struct { fault what; const char* file; const char* action; int error; std::string results, out; } cases[] = {
      {no_input, "test6", "cannot open", ENOENT, "earlier\n", ""},
      {full_stdout, nullptr, "cannot write", ENOSPC, road_results + road_results, ""},
      {full_results, "results6", "cannot write", ENOSPC, "", road_stdout + road_stdout},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action + std::string(" ") + (c.file ? c.file : "standard output"));
    temp_dir d;
    if (c.what != no_input) write_file(d / "test6", road_record + road_record);
    if (c.what == full_results) std::filesystem::create_symlink("/dev/full", d / "results6");
    if (c.what != full_results) write_file(d / "results6", "earlier\n");
    answer = {{1, 1, 1}};
    const outcome o = run(d, c.what == full_stdout ? "/dev/full" : "");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "qubic: " + (c.file ? d / c.file : "standard output") + ": " + c.action + ": " +
                         std::strerror(c.error) + "\n");
    EXPECT_EQ(o.results, c.results);
    EXPECT_EQ(o.out, c.out);
  }
}

}  // namespace
}  // namespace qubic::call
