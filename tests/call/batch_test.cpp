// run_batch: the record loop with stand-in solvers, so that solved records,
// every flag judgement and every failure can be reached whatever the real
// solver does.
#include "call/batch.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "bits.hpp"
#include "call/files.hpp"

namespace {

using qubic::coeffs;
using qubic::flags;
using qubic::roots;
using qubic::call::batch_files;
using qubic::call::run_batch;
using qubic::test::read_file;
using qubic::test::temp_dir;
using qubic::test::write_file;

// What the stand-in solvers saw and what they answer.
std::vector<coeffs> seen;
std::int32_t answer[3] = {1, 1, 1};

// The roots of x^3 - 6x^2 + 11x - 6 as the solver finds them: 3, 2 - 2^-23,
// 1 + 2^-23, all real, with the flags in `answer`.
void road_solver(const coeffs& a, roots& rr, roots& ir, flags& fl) {
  seen.push_back(a);
  rr(1) = 3.0f;
  rr(2) = 0x1.fffffep+0f;
  rr(3) = 0x1.000002p+0f;
  ir(1) = 0.0f;
  ir(2) = 0.0f;
  ir(3) = 0.0f;
  fl(1) = answer[0];
  fl(2) = answer[1];
  fl(3) = answer[2];
}

void give_up_solver(const coeffs& a, roots&, roots&, flags& fl) {
  seen.push_back(a);
  fl(1) = fl(2) = fl(3) = qubic::flag::not_computed;
}

// coef of the road roots, worked by hand in the order coef multiplies:
// 3 + (2 - 2^-23) rounds to 5, + (1 + 2^-23) to 6, so rb(2) = -6;
// 3 (2 - 2^-23) rounds to 6 - 2^-21, (2 - 2^-23)(1 + 2^-23) to 2,
// 3 (1 + 2^-23) (a tie) to 3 + 2^-21, and the sum is exactly 11;
// (6 - 2^-21)(1 + 2^-23) rounds to 6, so rb(0) = -6.  The imaginary parts:
// -(0 + 0 + 0) = -0, then +0, and the negated +0 product gives -0.
const std::string road_results =
    "1\n"
    "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n"
    "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";
const std::string road_stdout = "3 1.9999999 1.0000001\n0 0 0\n";
const std::string road_record = "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n";

struct outcome {
  int status;
  std::string results;
  std::string out;
  std::string err;
};

// Runs the batch in d with the given coefficient file; standard output goes
// to out_path (a file in d unless given), the error stream to a file in d.
outcome run(const temp_dir& d, qubic::call::solver solve, const std::string& out_path = "") {
  const std::string test = d / "test6";
  const std::string results = d / "results6";
  const std::string outp = out_path.empty() ? d / "stdout" : out_path;
  const std::string errp = d / "stderr";
  const int out_fd = ::open(outp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = ::open(errp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  EXPECT_GE(out_fd, 0);
  EXPECT_GE(err_fd, 0);
  seen.clear();
  batch_files files;
  files.test = test.c_str();
  files.results = results.c_str();
  outcome o;
  o.status = run_batch(files, out_fd, err_fd, solve);
  ::close(out_fd);
  ::close(err_fd);
  o.results = read_file(results);
  o.out = out_path.empty() ? read_file(outp) : "";
  o.err = read_file(errp);
  return o;
}

TEST(Batch, SolvedRecordWritesRootsAndReconstruction) {
  temp_dir d;
  write_file(d / "test6", road_record);
  answer[0] = answer[1] = answer[2] = 1;
  const outcome o = run(d, road_solver);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.results, road_results);
  EXPECT_EQ(o.out, road_stdout);
  ASSERT_EQ(seen.size(), 1u);
  // The first field is the coefficient of x^3.
  EXPECT_BITS(seen[0](3), 1.0f);
  EXPECT_BITS(seen[0](2), -6.0f);
  EXPECT_BITS(seen[0](1), 11.0f);
  EXPECT_BITS(seen[0](0), -6.0f);
}

TEST(Batch, OnlyThreeFoundRootsCountAsSolved) {
  const struct {
    std::int32_t f1, f2, f3;
    bool solved;
    const char* why;
  } cases[] = {
      {1, 1, 1, true, "all three found"},
      {1, 1, -3, false, "one unusable"},
      {1, 1, 0, false, "sum 2"},
      {-6, -6, -6, false, "nothing computed"},
      {0, 0, 0, false, "identically zero"},
      {-4, -5, -5, false, "degraded deflation"},
      {-2, -2, -2, false, "refused"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    temp_dir d;
    write_file(d / "test6", road_record);
    answer[0] = c.f1;
    answer[1] = c.f2;
    answer[2] = c.f3;
    const outcome o = run(d, road_solver);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.results, c.solved ? road_results : "0\n");
    EXPECT_EQ(o.out, c.solved ? road_stdout : "");
  }
  answer[0] = answer[1] = answer[2] = 1;
}

TEST(Batch, RecordsReadInOrderAndShape) {
  temp_dir d;
  // A blank line, a short line (missing fields are zero), a CRLF line with
  // text after column 64, and a last line without newline.
  write_file(d / "test6", "\n"
                          "       100000000\n"
                          "1.0             2.0             3.0             4.0             junk\r\n"
                          "-1.0+2");
  const outcome o = run(d, give_up_solver);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.results, "0\n0\n0\n0\n");
  EXPECT_EQ(o.out, "");
  ASSERT_EQ(seen.size(), 4u);
  const float expected[4][4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 2, 3, 4}, {-100, 0, 0, 0}};
  for (std::size_t r = 0; r < 4; ++r) {
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE("record " + std::to_string(r + 1) + " field " + std::to_string(k + 1));
      EXPECT_BITS(seen[r](3 - k), expected[r][k]);
    }
  }
}

TEST(Batch, EmptyInputWritesNothing) {
  temp_dir d;
  write_file(d / "test6", "");
  write_file(d / "results6", "from an earlier run\n");
  const outcome o = run(d, road_solver);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.results, "") << "the result file is written from its beginning";
  EXPECT_EQ(o.out, "");
}

TEST(Batch, UnreadableFieldStopsWithOneLine) {
  const struct {
    std::string line;
    int field;
    std::string shown;
    const char* why;
  } cases[] = {
      {"1.2.3", 1, "1.2.3", "field 1"},
      {std::string(16, ' ') + "      abc", 2, "abc", "field 2, blanks around dropped"},
      {std::string(32, ' ') + "   1.2.3", 3, "1.2.3", "field 3"},
      {std::string(48, ' ') + "1e", 4, "1e", "field 4, exponent without digits"},
      {std::string("1\t5"), 1, "1\\x095", "a tab is shown escaped"},
      {std::string("1\0005", 3), 1, "1\\x005", "a NUL is shown escaped"},
      {std::string("\"x\\"), 1, "\\\"x\\\\", "quote and backslash are escaped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    temp_dir d;
    // Line 1 the road record, line 2 blank, line 3 bad, line 4 never read.
    write_file(d / "test6", road_record + "\n" + c.line + "\n" + road_record);
    answer[0] = answer[1] = answer[2] = 1;
    const outcome o = run(d, road_solver);
    EXPECT_NE(o.status, 0);
    const int first = 16 * (c.field - 1) + 1;
    EXPECT_EQ(o.err, "qubic: " + (d / "test6") + ":3: field " + std::to_string(c.field) + " (columns " +
                         std::to_string(first) + "-" + std::to_string(first + 15) + "): cannot read \"" +
                         c.shown + "\" as a number\n");
    EXPECT_EQ(o.results, road_results + road_results) << "records before the bad line are kept";
    EXPECT_EQ(o.out, road_stdout + road_stdout);
    EXPECT_EQ(seen.size(), 2u) << "nothing after the bad line";
  }
}

TEST(Batch, MissingInputIsOneLine) {
  temp_dir d;
  write_file(d / "results6", "earlier\n");
  const outcome o = run(d, road_solver);
  EXPECT_NE(o.status, 0);
  EXPECT_EQ(o.err, "qubic: " + (d / "test6") + ": cannot open: " + std::strerror(ENOENT) + "\n");
  EXPECT_EQ(o.results, "earlier\n");
}

TEST(Batch, FullStandardOutputIsReportedAfterResultsAreWritten) {
  temp_dir d;
  write_file(d / "test6", road_record + road_record);
  answer[0] = answer[1] = answer[2] = 1;
  const outcome o = run(d, road_solver, "/dev/full");
  EXPECT_NE(o.status, 0);
  EXPECT_EQ(o.err, std::string("qubic: standard output: cannot write: ") + std::strerror(ENOSPC) + "\n");
  EXPECT_EQ(o.results, road_results + road_results) << "the other output is still flushed";
}

TEST(Batch, FullResultFileIsReportedAfterStandardOutputIsWritten) {
  temp_dir d;
  write_file(d / "test6", road_record);
  std::filesystem::create_symlink("/dev/full", d / "results6");
  answer[0] = answer[1] = answer[2] = 1;
  const std::string test = d / "test6";
  const std::string results = d / "results6";
  const std::string outp = d / "stdout";
  const std::string errp = d / "stderr";
  const int out_fd = ::open(outp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = ::open(errp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  batch_files files;
  files.test = test.c_str();
  files.results = results.c_str();
  EXPECT_NE(run_batch(files, out_fd, err_fd, road_solver), 0);
  ::close(out_fd);
  ::close(err_fd);
  EXPECT_EQ(read_file(errp), "qubic: " + results + ": cannot write: " + std::strerror(ENOSPC) + "\n");
  EXPECT_EQ(read_file(outp), road_stdout);
}

}  // namespace
