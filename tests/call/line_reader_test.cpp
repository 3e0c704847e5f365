// line_reader: a read error is reported on the line being read.  The shapes
// of lines (CRLF, a carriage return inside or at the end, lines longer than
// 64 columns or than the buffer, NUL and tab) are checked against an
// independent split in fuzz/e16_read_fuzz.cpp, with buffers of 1 to 97 bytes,
// from its seeds carriage_returns and lines_longer_than_the_buffer on.
#include "call/line_reader.hpp"

#include <cerrno>
#include <cstdio>

#include <gtest/gtest.h>

namespace qubic::call {
namespace {

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
