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

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "call/files.hpp"
#include "call/connect.hpp"
#include "call/out_sink.hpp"
#include "records/record_loop.hpp"
#include "text/e16_write.hpp"

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

// n records of seeded cubics: coefficients from random bits over the whole
// float range (some zero, infinite or NaN) in E16.8 fields, so that solved
// and refused records and every class of the exact engine mix in each block.
std::vector<std::string> exact_records(std::size_t n) {
  std::mt19937 gen(17);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < n; ++i) {
    std::string line(records::record_width, ' ');
    for (std::size_t k = 0; k < 4; ++k) {
      float x = std::bit_cast<float>(static_cast<std::uint32_t>(gen()));
      const std::uint32_t pick = gen() % 64;
      if (pick == 0) x = 0;
      if (pick == 1 && k == 0) x = 0;  // a quadratic
      write_e16(std::isnan(x) && pick > 8 ? 1.0f : x, line.data() + k * e16_width);
    }
    lines.push_back(line);
  }
  return lines;
}

// What the run writes record by record with the exact engine: each record
// read, solved and written before the next is read, stopping at the first
// bad field or the first record that leaves an output failed.
void record_by_record(const std::vector<std::string>& lines, const std::string& test, const std::string& results,
                      int results_fd, int out_fd, int err_fd) {
  out_sink rs(results_fd), os(out_fd);
  records::record_loop loop(&qubic_exact);
  char text[512] = "";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const int k = loop.step(lines[i].data(), rs, os); k != 0) {
      records::field_error(text, sizeof text, test.c_str(), i + 1, k, lines[i].data());
      break;
    }
    if (rs.error() != 0 || os.error() != 0) break;
  }
  if (!rs.flush() && text[0] == '\0') std::snprintf(text, sizeof text, "qubic: %s: cannot write: %s\n", results.c_str(), std::strerror(rs.error()));
  if (!os.flush() && text[0] == '\0') std::snprintf(text, sizeof text, "qubic: %s: cannot write: %s\n", stdout_name, std::strerror(os.error()));
  const ssize_t n = ::write(err_fd, text, std::strlen(text));
  (void)n;
}

TEST(Batch, ExactBlocksWriteWhatRecordByRecordWrites) {
  // The exact engine's run solves blocks of 256 records at a time.  Its
  // bytes must be those of record by record wherever the run ends: at the
  // end of the file, at a bad field at a block's edges or inside one, or at
  // an output that fails part way (30000 records overflow a sink's 1 MiB).
  const std::vector<std::string> all = exact_records(30000);
  const struct { std::size_t bad; const char* results; const char* out; } cases[] = {
      {0, nullptr, nullptr},                 // the whole file, the last block partial
      {1, nullptr, nullptr},                 // nothing before the bad record
      {256, nullptr, nullptr},               // the last record of the first block
      {257, nullptr, nullptr},               // the first of the second
      {1000, nullptr, nullptr},              // inside a block
      {0, "/dev/full", nullptr},             // results6 fails after its first MiB
      {0, nullptr, "/dev/full"},             // standard output fails after its first MiB
      {20000, "/dev/full", nullptr},         // the failure comes first
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "bad record " << c.bad << (c.results ? ", results6 full" : "")
                                    << (c.out ? ", stdout full" : ""));
    std::vector<std::string> lines = all;
    if (c.bad != 0) lines[c.bad - 1].replace(e16_width, 5, "1.2.3");
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    std::string got[3], want[3];
    temp_dir d;  // both ways in one folder, so that the messages name the same paths
    for (int way = 0; way < 2; ++way) {
      for (const char* f : {"results6", "stdout", "stderr"}) std::filesystem::remove(d / f);
      const std::string test = d / "test6", results = d / "results6";
      write_file(test, text);
      if (c.results) std::filesystem::create_symlink(c.results, results);
      const int out_fd = ::open(c.out ? c.out : (d / "stdout").c_str(), O_WRONLY | O_CREAT, 0644);
      const int err_fd = ::open((d / "stderr").c_str(), O_WRONLY | O_CREAT, 0644);
      if (way == 0) {
        run_batch({test.c_str(), results.c_str()}, out_fd, err_fd, &qubic_exact);
      } else {
        const int results_fd = ::open(results.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        record_by_record(lines, test, results, results_fd, out_fd, err_fd);
        ::close(results_fd);
      }
      ::close(out_fd);
      ::close(err_fd);
      std::string* to = way == 0 ? got : want;
      to[0] = c.results ? "" : read_file(results);
      to[1] = c.out ? "" : read_file(d / "stdout");
      to[2] = read_file(d / "stderr");
    }
    EXPECT_EQ(got[2], want[2]);
    EXPECT_EQ(got[0].size(), want[0].size());
    EXPECT_TRUE(got[0] == want[0]);
    EXPECT_EQ(got[1].size(), want[1].size());
    EXPECT_TRUE(got[1] == want[1]);
    // The case is what it says: output up to the end or to the failure.
    EXPECT_EQ(want[2].empty(), c.bad == 0 && !c.results && !c.out);
  }
}

}  // namespace
}  // namespace qubic::call
