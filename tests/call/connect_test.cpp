// connect: the result file survives a coefficient file that cannot be opened,
// and is emptied only once both files are connected.
#include "call/connect.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include <gtest/gtest.h>

#include "call/files.hpp"

namespace {

using qubic::call::connect;
using qubic::call::connect_failure;
using qubic::call::connection;
using qubic::test::exists;
using qubic::test::read_file;
using qubic::test::temp_dir;
using qubic::test::write_file;

TEST(Connect, MissingInputKeepsAnExistingResultFile) {
  temp_dir d;
  const std::string results = d / "results6";
  const std::string test = d / "test6";
  write_file(results, "1\nearlier run\n");
  connection c;
  connect_failure f;
  EXPECT_FALSE(connect(results.c_str(), test.c_str(), c, f));
  EXPECT_EQ(f.path, test.c_str());
  EXPECT_STREQ(f.action, "cannot open");
  EXPECT_EQ(f.error, ENOENT);
  EXPECT_EQ(c.results, -1) << "untouched on failure";
  EXPECT_EQ(read_file(results), "1\nearlier run\n");
}

TEST(Connect, MissingInputLeavesNoNewResultFile) {
  temp_dir d;
  const std::string results = d / "results6";
  const std::string test = d / "test6";
  connection c;
  connect_failure f;
  EXPECT_FALSE(connect(results.c_str(), test.c_str(), c, f));
  EXPECT_FALSE(exists(results));
}

TEST(Connect, DirectoryInputIsRefused) {
  temp_dir d;
  const std::string results = d / "results6";
  const std::string test = d / "test6";
  std::filesystem::create_directory(test);
  connection c;
  connect_failure f;
  EXPECT_FALSE(connect(results.c_str(), test.c_str(), c, f));
  EXPECT_EQ(f.path, test.c_str());
  EXPECT_EQ(f.error, EISDIR);
  EXPECT_FALSE(exists(results)) << "the result file it made is removed";

  write_file(results, "kept\n");
  EXPECT_FALSE(connect(results.c_str(), test.c_str(), c, f));
  EXPECT_EQ(read_file(results), "kept\n") << "an existing one is kept";
}

TEST(Connect, DirectoryResultIsRefused) {
  temp_dir d;
  const std::string results = d / "results6";
  const std::string test = d / "test6";
  std::filesystem::create_directory(results);
  write_file(test, "");
  connection c;
  connect_failure f;
  EXPECT_FALSE(connect(results.c_str(), test.c_str(), c, f));
  EXPECT_EQ(f.path, results.c_str());
  EXPECT_EQ(f.error, EISDIR);
}

TEST(Connect, SuccessEmptiesAnExistingResultFile) {
  temp_dir d;
  const std::string results = d / "results6";
  const std::string test = d / "test6";
  write_file(results, "old contents\n");
  write_file(test, "1\n");
  connection c;
  connect_failure f;
  ASSERT_TRUE(connect(results.c_str(), test.c_str(), c, f));
  EXPECT_EQ(read_file(results), "");
  char buf[4];
  EXPECT_EQ(::read(c.test, buf, sizeof buf), 2) << "the coefficient file is open for reading";
  EXPECT_EQ(::write(c.results, "0\n", 2), 2) << "the result file is open for writing";
  ::close(c.results);
  ::close(c.test);
  EXPECT_EQ(read_file(results), "0\n") << "written from its beginning";
}

TEST(Connect, DeviceResultIsNotTruncated) {
  // /dev/null cannot be truncated; connecting through a symlink must still work.
  temp_dir d;
  const std::string results = d / "results6";
  const std::string test = d / "test6";
  std::filesystem::create_symlink("/dev/null", results);
  write_file(test, "");
  connection c;
  connect_failure f;
  ASSERT_TRUE(connect(results.c_str(), test.c_str(), c, f)) << f.action << ": " << std::strerror(f.error);
  ::close(c.results);
  ::close(c.test);
}

}  // namespace
