// connect: the result file survives a coefficient file that cannot be opened,
// a result file made for nothing is removed, and the result file is emptied
// only once both files are connected.
#include "call/connect.hpp"

#include <cerrno>

#include <unistd.h>

#include "call/files.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

// What a path holds before the call.
enum class holds { nothing, earlier, directory, dev_null };

void make(const std::string& path, holds h) {
  if (h == holds::earlier) write_file(path, "1\nearlier run\n");
  if (h == holds::directory) std::filesystem::create_directory(path);
  if (h == holds::dev_null) std::filesystem::create_symlink("/dev/null", path);
}

TEST(Connect, ResultFileIsKeptOrRemovedOnFailure) {
  using enum holds;
  // test_fails: the failure names the coefficient file, else the result file;
  // kept: the result file exists afterwards, with its earlier contents if it had any.
  const struct { holds results, test; bool test_fails; const char* action; int error; bool kept; const char* why; }
  cases[] = {
      {earlier, nothing, true, "cannot open", ENOENT, true, "missing input keeps an existing result file"},
      {nothing, nothing, true, "cannot open", ENOENT, false, "missing input leaves no new result file"},
      {nothing, directory, true, "cannot read", EISDIR, false, "a directory as input: the new result file goes"},
      {earlier, directory, true, "cannot read", EISDIR, true, "a directory as input: the old result file stays"},
      {directory, earlier, false, "cannot open for writing", EISDIR, true, "a directory as result file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    temp_dir d;
    const std::string results = d / "results6", test = d / "test6";
    make(results, c.results);
    make(test, c.test);
    connection conn;
    connect_failure f;
    EXPECT_FALSE(connect(results.c_str(), test.c_str(), conn, f));
    EXPECT_EQ(f.path, c.test_fails ? test.c_str() : results.c_str());
    EXPECT_STREQ(f.action, c.action);
    EXPECT_EQ(f.error, c.error);
    EXPECT_TRUE(conn.results == -1 && conn.test == -1) << "untouched on failure";
    EXPECT_EQ(exists(results), c.kept);
    if (c.results == earlier) {
      EXPECT_EQ(read_file(results), "1\nearlier run\n");
    }
  }
}

TEST(Connect, SuccessEmptiesOnlyARegularResultFile) {
  for (const holds h : {holds::earlier, holds::dev_null}) {
    SCOPED_TRACE(h == holds::earlier ? "a regular file is emptied" : "a device is not truncated, through a symlink");
    temp_dir d;
    const std::string results = d / "results6", test = d / "test6";
    make(results, h);
    write_file(test, "1\n");
    connection c;
    connect_failure f;
    ASSERT_TRUE(connect(results.c_str(), test.c_str(), c, f)) << f.action << ": errno " << f.error;
    EXPECT_EQ(read_file(results), "");
    char buf[4];
    EXPECT_EQ(::read(c.test, buf, sizeof buf), 2) << "the coefficient file is open for reading";
    EXPECT_EQ(::write(c.results, "0\n", 2), 2) << "the result file is open for writing";
    ::close(c.results);
    ::close(c.test);
    EXPECT_EQ(read_file(results), h == holds::earlier ? "0\n" : "") << "written from its beginning";
  }
}

}  // namespace
}  // namespace qubic::call
