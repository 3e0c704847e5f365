// The batch program end to end on solved records: these checks need the real
// solver (the cubic x^3 - 6x^2 + 11x - 6 must come back with three found roots).
#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "e2e/batch_run.hpp"

namespace {

using namespace qubic::batch_e2e;

// The solver finds 3, then 2 - 2^-23 and 1 + 2^-23 from the factor
// x^2 - 3x + 2; printed shortest: "3 1.9999999 1.0000001", imaginary parts +0.
// coef multiplies them back out, worked by hand in its order:
// 3 + (2 - 2^-23) rounds to 5, + (1 + 2^-23) to 6: rb(2) = -6;
// 3 (2 - 2^-23) rounds to 6 - 2^-21, (2 - 2^-23)(1 + 2^-23) to 2, 3 (1 + 2^-23)
// (a tie) to 3 + 2^-21, and their sum is exactly 11: rb(1) = 11;
// (6 - 2^-21)(1 + 2^-23) rounds to 6: rb(0) = -6.  Imaginary parts:
// ib(2) = -(0 + 0 + 0) = -0, ib(1) = +0, ib(0) = -(+0) = -0.
const std::string road_results =
    "1\n"
    "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n"
    "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";
const std::string road_stdout = "3 1.9999999 1.0000001\n0 0 0\n";

TEST(Road, SolvedRecordWritesRootsAndReconstruction) {
  const struct {
    std::string record;
    const char* why;
  } cases[] = {
      {road_record, "the writer's layout"},
      {"1.0             -6.0            11.0            -6.0", "left-justified, no final newline"},
      {"       100000000      -600000000     1100000000      -600000000\r\n", "implied fraction, CRLF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    batch_dir d;
    write_file(d / "test6", c.record);
    const outcome o = d.run();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(read_file(d / "results6"), road_results);
    EXPECT_EQ(o.out, road_stdout);
  }
}

TEST(Road, SolvedAndUnsolvedKeepTheirOrder) {
  batch_dir d;
  write_file(d / "test6", road_record + "\n" + road_record);
  const outcome o = d.run();
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(read_file(d / "results6"), road_results + "0\n" + road_results);
  EXPECT_EQ(o.out, road_stdout + road_stdout);
}

TEST(Road, FailingStandardOutputStillFlushesResults) {
  {
    SCOPED_TRACE("standard output is /dev/full");
    batch_dir d;
    write_file(d / "test6", road_record + road_record);
    const outcome o = d.run(sink::dev_full);
    EXPECT_NE(o.status, 0);
    EXPECT_EQ(o.err, std::string("qubic: standard output: cannot write: ") + std::strerror(ENOSPC) + "\n");
    EXPECT_EQ(read_file(d / "results6"), road_results + road_results);
  }
  {
    SCOPED_TRACE("standard output is a pipe nobody reads: an error, not a kill by SIGPIPE");
    batch_dir d;
    write_file(d / "test6", road_record);
    const outcome o = d.run(sink::closed_pipe);
    EXPECT_NE(o.status, 0);
    EXPECT_NE(o.status, -1) << "the program exits by itself";
    EXPECT_EQ(o.err, std::string("qubic: standard output: cannot write: ") + std::strerror(EPIPE) + "\n");
    EXPECT_EQ(read_file(d / "results6"), road_results);
  }
}

}  // namespace
