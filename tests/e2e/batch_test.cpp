// The batch program end to end: files in a fresh folder, the exit status, and
// exactly one line on standard error for each kind of failure.  Every record
// used here is one that no solver counts as solved (zero polynomials and
// refused coefficients), so these checks hold whatever the roots are.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "call/files.hpp"
#include "e2e/batch_run.hpp"

namespace {

using namespace qubic::batch_e2e;
using qubic::test::exists;

// The one line a failure leaves on standard error.
void expect_one_line_naming(const std::string& err, const std::string& what) {
  EXPECT_EQ(count_lines(err), 1u) << err;
  EXPECT_FALSE(err.empty() || err.back() != '\n') << err;
  EXPECT_NE(err.find(what), std::string::npos) << err;
}

TEST(BatchRun, EmptyInputEndsNormally) {
  batch_dir d;
  write_file(d / "test6", "");
  const outcome o = d.run();
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out, "");
  EXPECT_TRUE(exists(d / "results6"));
  EXPECT_EQ(read_file(d / "results6"), "");
}

TEST(BatchRun, UnsolvedRecordsWriteStatusZero) {
  const struct {
    std::string record;
    const char* why;
  } cases[] = {
      {std::string(64, ' ') + "\n", "all-blank record: the zero polynomial"},
      {"\n", "empty line: the zero polynomial"},
      {"  0.10000000E+01  0.00000000E+00  0.00000000E+00  0.10000000E-39\n", "a subnormal coefficient is refused"},
      {"        Infinity  0.10000000E+01  0.10000000E+01  0.10000000E+01\n", "an infinite coefficient is refused"},
      {"  0.10000000E+01             NaN  0.10000000E+01  0.10000000E+01\n", "a NaN coefficient is refused"},
      {"  0.10000000E+01  0.10000000E+01  0.10000000E+01  1.0e39\r\n", "overflow to infinity, CRLF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    batch_dir d;
    write_file(d / "test6", c.record);
    const outcome o = d.run();
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out, "") << "nothing on standard output for an unsolved record";
    EXPECT_EQ(read_file(d / "results6"), "0\n");
  }
}

TEST(BatchRun, ManyRecordsPassThroughTheBuffers) {
  // 600000 blank records: over 1 MiB of status lines, 38 MiB of input.
  batch_dir d;
  std::string input;
  for (int k = 0; k < 600000; ++k) input += std::string(64, ' ') + "\n";
  write_file(d / "test6", input);
  const outcome o = d.run();
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  std::string expected;
  for (int k = 0; k < 600000; ++k) expected += "0\n";
  EXPECT_TRUE(read_file(d / "results6") == expected);
}

TEST(BatchRun, MissingInputKeepsAnExistingResultFile) {
  batch_dir d;
  write_file(d / "results6", "1\n  0.10000000E+01\n");
  const outcome o = d.run();
  EXPECT_NE(o.status, 0);
  expect_one_line_naming(o.err, "test6");
  EXPECT_EQ(read_file(d / "results6"), "1\n  0.10000000E+01\n");
}

TEST(BatchRun, MissingInputLeavesNoResultFile) {
  batch_dir d;
  const outcome o = d.run();
  EXPECT_NE(o.status, 0);
  expect_one_line_naming(o.err, "test6");
  EXPECT_NE(o.err.find(std::strerror(ENOENT)), std::string::npos) << o.err;
  EXPECT_FALSE(exists(d / "results6"));
}

TEST(BatchRun, DirectoryInputIsAnError) {
  batch_dir d;
  std::filesystem::create_directory(d / "test6");
  const outcome o = d.run();
  EXPECT_NE(o.status, 0);
  expect_one_line_naming(o.err, "test6");
  EXPECT_FALSE(exists(d / "results6"));
}

TEST(BatchRun, UnreadableFieldNamesLineAndField) {
  batch_dir d;
  write_file(d / "test6", "\n" + std::string(64, ' ') + "\n" + std::string(16, ' ') + "1.2.3\n\n");
  const outcome o = d.run();
  EXPECT_NE(o.status, 0);
  EXPECT_EQ(o.err, "qubic: test6:3: field 2 (columns 17-32): cannot read \"1.2.3\" as a number\n");
  EXPECT_EQ(read_file(d / "results6"), "0\n0\n") << "the two records before it are kept, none after";
  EXPECT_EQ(o.out, "");
}

TEST(BatchRun, UnwritableResultFileIsAnError) {
  {
    SCOPED_TRACE("results6 is a directory");
    batch_dir d;
    write_file(d / "test6", "\n");
    std::filesystem::create_directory(d / "results6");
    const outcome o = d.run();
    EXPECT_NE(o.status, 0);
    expect_one_line_naming(o.err, "results6");
  }
  {
    SCOPED_TRACE("results6 leads to a full device");
    batch_dir d;
    write_file(d / "test6", "\n");
    std::filesystem::create_symlink("/dev/full", d / "results6");
    const outcome o = d.run();
    EXPECT_NE(o.status, 0);
    expect_one_line_naming(o.err, "results6");
    EXPECT_NE(o.err.find(std::strerror(ENOSPC)), std::string::npos) << o.err;
  }
}

TEST(BatchRun, FullStandardOutputWithNothingToWriteIsNoError) {
  batch_dir d;
  write_file(d / "test6", "\n");
  const outcome o = d.run(sink::dev_full);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(read_file(d / "results6"), "0\n");
}

// The shipped example: one status line per record, two coefficient lines
// after each 1, two lines on standard output per 1, nothing on standard error.
TEST(BatchRun, ExampleInputKeepsTheFileShapes) {
  batch_dir d;
  const std::string input = read_file(std::string(QUBIC_EXAMPLES) + "/test6");
  ASSERT_FALSE(input.empty());
  write_file(d / "test6", input);
  const outcome o = d.run();
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  const std::string results = read_file(d / "results6");
  std::size_t records = 0;
  std::size_t solved = 0;
  std::size_t pos = 0;
  while (pos < results.size()) {
    const std::size_t nl = results.find('\n', pos);
    ASSERT_NE(nl, std::string::npos);
    const std::string status = results.substr(pos, nl - pos);
    ASSERT_TRUE(status == "0" || status == "1") << status;
    pos = nl + 1;
    ++records;
    if (status == "1") {
      ++solved;
      for (int k = 0; k < 2; ++k) {
        const std::size_t e = results.find('\n', pos);
        ASSERT_EQ(e - pos, 64u) << "a coefficient record is 64 columns";
        pos = e + 1;
      }
    }
  }
  EXPECT_EQ(records, count_lines(input));
  EXPECT_EQ(count_lines(o.out), 2 * solved);
}

}  // namespace
