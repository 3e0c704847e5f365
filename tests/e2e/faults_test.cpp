// The batch program end to end on hostile input: NUL bytes, binary garbage,
// a coefficient file removed while it is being read, and a run that cannot
// start beside an existing result file.  Heavier faults (a 1 GiB line, ten
// million lines, a read-only file system, truncation during the run) are
// checked by .ci/steps/20-io-faults.sh.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "e2e/batch_run.hpp"

namespace {

using namespace qubic::batch_e2e;

// x^3 - 6x^2 + 11x - 6 solved and multiplied back out (worked in road_test.cpp).
const std::string road_results =
    "1\n"
    "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n"
    "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";
const std::string road_stdout = "3 1.9999999 1.0000001\n0 0 0\n";

TEST(Faults, NulByteInAFieldStopsAtThatRecord) {
  batch_dir d;
  std::string bad = std::string("1.0") + '\0' + std::string(60, ' ') + "\n";
  write_file(d / "test6", road_record + bad + road_record);
  const outcome o = d.run();
  EXPECT_EQ(o.status, 1);
  // The NUL is shown escaped, so the message stays one line of text.
  EXPECT_EQ(o.err, "qubic: test6:2: field 1 (columns 1-16): cannot read \"1.0\\x00\" as a number\n");
  EXPECT_EQ(read_file(d / "results6"), road_results) << "the record before it is kept, none after";
  EXPECT_EQ(o.out, road_stdout);
}

TEST(Faults, BinaryGarbageGivesOneLineOfText) {
  // Seeded bytes over all 256 values after one good record: whichever line
  // the reader stops at, the message is one printable line naming it, and
  // the result file holds one status line per record before it.
  for (const unsigned seed : {6u, 7u, 8u, 9u}) {
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::string garbage;
    for (int k = 0; k < 1 << 16; ++k) garbage += static_cast<char>(gen() & 0xFF);
    batch_dir d;
    write_file(d / "test6", road_record + garbage);
    const outcome o = d.run();
    EXPECT_EQ(o.status, 1);
    ASSERT_EQ(count_lines(o.err), 1u) << o.err;
    for (const char c : o.err) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
    const std::string head = "qubic: test6:";
    ASSERT_EQ(o.err.rfind(head, 0), 0u) << o.err;
    const unsigned long line = std::strtoul(o.err.c_str() + head.size(), nullptr, 10);
    ASSERT_GE(line, 2u) << o.err;
    const std::string results = read_file(d / "results6");
    ASSERT_EQ(results.rfind(road_results, 0), 0u) << "the good record's output is kept";
    std::size_t statuses = 1;
    for (std::size_t p = road_results.size(); p < results.size(); p += 2) {
      ASSERT_EQ(results.compare(p, 2, "0\n"), 0) << "garbage records are never solved here";
      ++statuses;
    }
    EXPECT_EQ(statuses, line - 1);
  }
}

TEST(Faults, RunThatCannotStartKeepsTheResultFile) {
  const std::string earlier = "1\n  0.10000000E+01\n";
  batch_dir d;
  std::filesystem::create_directory(d / "test6");
  write_file(d / "results6", earlier);
  const outcome o = d.run();
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(count_lines(o.err), 1u) << o.err;
  EXPECT_NE(o.err.find("test6"), std::string::npos) << o.err;
  EXPECT_EQ(read_file(d / "results6"), earlier);
}

TEST(Faults, InputRemovedWhileBeingReadIsReadToItsEnd) {
  // test6 is a FIFO: the program holds it open while this test writes one
  // record, removes the name, writes another and closes.  Removing a name
  // does not end an open file, so both records are solved.
  batch_dir d;
  const std::string fifo = d / "test6";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  outcome o;
  std::thread program([&] { o = d.run(); });
  int fd = -1;
  for (int tries = 0; fd < 0 && tries < 3000; ++tries) {
    fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // ENXIO until the program opens it
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (fd >= 0) {
    EXPECT_EQ(::fcntl(fd, F_SETFL, 0), 0);
    EXPECT_EQ(::write(fd, road_record.data(), road_record.size()), static_cast<ssize_t>(road_record.size()));
    EXPECT_EQ(::unlink(fifo.c_str()), 0);
    EXPECT_EQ(::write(fd, road_record.data(), road_record.size()), static_cast<ssize_t>(road_record.size()));
    ::close(fd);
  } else {
    ADD_FAILURE() << "the program never opened test6";
  }
  program.join();
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(read_file(d / "results6"), road_results + road_results);
  EXPECT_EQ(o.out, road_stdout + road_stdout);
}

}  // namespace
