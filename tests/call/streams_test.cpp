// out_sink: buffered bytes arrive whole and in order; write errors are kept.
// line_reader: a read error is reported on the line being read.  The shapes
// of lines (CRLF, a carriage return inside or at the end, lines longer than
// 64 columns or than the buffer, NUL and tab) are checked against an
// independent split in fuzz/e16_read_fuzz.cpp, with buffers of 1 to 97 bytes,
// from its seeds carriage_returns and lines_longer_than_the_buffer on.
#include "call/line_reader.hpp"
#include "call/out_sink.hpp"

#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace qubic::call {
namespace {

std::string contents(std::FILE* f) {
  std::rewind(f);
  std::string s(4096, '\0');
  return s.substr(0, std::fread(s.data(), 1, s.size(), f));
}

// Pieces shorter than, equal to and longer than the buffer, put or formatted
// in place: the file holds their concatenation, and only after flush.
TEST(OutSink, BytesArriveInOrder) {
  const std::string pieces[] = {"1\n", "abcdefgh", "", std::string(100, 'L'), "x", std::string(7, 's')};
  for (const std::size_t b : {std::size_t{1}, std::size_t{3}, std::size_t{8}, out_sink::default_buffer}) {
    SCOPED_TRACE("buffer " + std::to_string(b));
    std::FILE* f = std::tmpfile();
    out_sink s(fileno(f), b);
    std::string expected;
    for (const std::string& p : pieces) {
      EXPECT_TRUE(s.put(p.data(), p.size()));
      expected += p;
    }
    char* p = s.reserve(1);
    ASSERT_NE(p, nullptr);
    *p = 'r';
    s.commit(p + 1);
    EXPECT_EQ(s.reserve(b + 1), nullptr) << "more room than the buffer has";
    EXPECT_EQ(contents(f), b == out_sink::default_buffer ? "" : expected.substr(0, contents(f).size()));
    EXPECT_TRUE(s.flush() && s.error() == 0);
    EXPECT_EQ(contents(f), expected + "r");
    std::fclose(f);
  }
}

// A pipe whose reader is gone is run end to end (tests/e2e/batch_test.cpp).
TEST(OutSink, WriteErrorsAreKept) {
  const int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const struct { std::size_t buffer, piece; const char* why; } cases[] = {
      {64, 2, "no space, found at flush"}, {4, 10, "no space, found by a piece larger than the buffer"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    out_sink s(full, c.buffer);
    EXPECT_EQ(s.put("0123456789", c.piece), c.piece <= c.buffer) << "a piece that fits is only buffered";
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), ENOSPC);
    EXPECT_FALSE(s.put("x", 1)) << "the error stays";
    EXPECT_EQ(s.reserve(1), nullptr);
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), ENOSPC);
  }
  ::close(full);
}

// A directory opens for reading but cannot be read (EISDIR).
TEST(LineReader, ReadErrorIsReported) {
  std::FILE* dir = std::fopen(".", "r");
  ASSERT_NE(dir, nullptr);
  line_reader r(fileno(dir), 16);
  char rec[64] = {'q'};
  EXPECT_EQ(r.next(rec), line_reader::status::error);
  EXPECT_EQ(r.error(), EISDIR);
  EXPECT_EQ(r.line(), 1u) << "the line being read";
  EXPECT_EQ(rec[0], 'q') << "rec untouched on error";
  std::fclose(dir);
}

}  // namespace
}  // namespace qubic::call
