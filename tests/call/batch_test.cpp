// run_batch and the connection of its two files: the result file survives a
// coefficient file that cannot be opened or read, a result file made for
// nothing is removed, only a regular result file is emptied, and a failure
// to open or write ends the run with one line on the error stream while the
// other output still receives everything the records gave it.  The record
// loop is tested in tests/records; bad fields, links to the other file, pipes
// and closed descriptors end to end in tests/e2e/batch_test.cpp.
#include "call/batch.hpp"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "call/files.hpp"

namespace qubic::call {
namespace {

using namespace qubic::test;

const std::string none = no_file, dir = directory, null = "-> /dev/null", full = "-> /dev/full";
const std::string earlier = "1\nearlier run\n";
const std::string road = "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n";
const std::string road_stdout = "3 1.9999999 1.0000001\n0 0 0\n";

TEST(Batch, ConnectionsAndFailures) {
  // file: the one the error line names, nullptr for a run without error.
  const struct { std::string results, test; const char* file; const char* action; int error; std::string after, out; }
  cases[] = {
      {earlier, none, "test6", "cannot open", ENOENT, earlier, ""},  // the result file is kept
      {none, none, "test6", "cannot open", ENOENT, none, ""},        // none is left behind
      {none, dir, "test6", "cannot read", EISDIR, none, ""},         // the new result file goes
      {earlier, dir, "test6", "cannot read", EISDIR, earlier, ""},   // the old result file stays
      {dir, earlier, "results6", "cannot open for writing", EISDIR, dir, ""},
      {earlier, "\n", nullptr, "", 0, "0\n", ""},    // emptied, then written from its beginning
      {null, "\n", nullptr, "", 0, null, ""},  // a device is not truncated, through a symlink
      {full, road + road, "results6", "cannot write", ENOSPC, full, road_stdout + road_stdout},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.results + " and " + c.test);
    temp_dir d;
    const std::string test = d / "test6", results = d / "results6", out = d / "stdout", err = d / "stderr";
    make(results, c.results);
    make(test, c.test);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT, 0644);
    EXPECT_EQ(run_batch({test.c_str(), results.c_str()}, out_fd, err_fd), c.file ? 1 : 0);
    ::close(out_fd);
    ::close(err_fd);
    const std::string why = c.file ? std::string(c.action) + ": " + std::strerror(c.error) : "";
    EXPECT_EQ(read_file(err), c.file ? "qubic: " + (d / c.file) + ": " + why + "\n" : "");
    EXPECT_EQ(holds(results), c.after);
    EXPECT_EQ(read_file(out), c.out);
  }
}

}  // namespace
}  // namespace qubic::call
