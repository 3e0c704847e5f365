// line_reader: records of 64 columns from lines of any length, in any buffer size.
#include "call/line_reader.hpp"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qubic::call {
namespace {

using records = std::vector<std::string>;
std::string padded(const std::string& s) { return s + std::string(64 - s.size(), ' '); }

// Every record of a file holding exactly `bytes`, read with one buffer size;
// the line numbers count the records, and the end stays the end.
records read_all(const std::string& bytes, std::size_t buffer) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  line_reader r(fileno(f), buffer);
  records out;
  char rec[64];
  while (r.next(rec) == line_reader::status::record) {
    out.emplace_back(rec, 64);
    EXPECT_EQ(r.line(), out.size());
  }
  EXPECT_EQ(r.line(), out.size());
  EXPECT_EQ(r.next(rec), line_reader::status::end);
  std::fclose(f);
  return out;
}

const std::string x64(64, 'x'), big(3 * 4096 + 5, 'Z');  // big outlives several refills of the buffers below

// Splitting lines across refills is also fuzzed (fuzz/e16_read_fuzz.cpp, buffers of 1 to 97 bytes).
TEST(LineReader, LineShapes) {
  const struct { std::string bytes; records recs; const char* why; } cases[] = {
      {"", {}, "an empty file has no record"}, {"a\n", {padded("a")}, "a short line is padded with blanks"},
      {"a\nb", {padded("a"), padded("b")}, "a last line without newline is a record"},
      {"\n\n", {padded(""), padded("")}, "empty lines are blank records"},
      {"a\r\nb\r\n", {padded("a"), padded("b")}, "CRLF: the carriage return is dropped"},
      {"a\r", {padded("a")}, "a carriage return ends the last line without newline"},
      {"a\rb\n", {padded("a\rb")}, "a carriage return inside a line stays"},
      {std::string(63, 'y') + "\r\r\n", {std::string(63, 'y') + "\r"}, "only the last carriage return goes"},
      {x64 + "\n", {x64}, "exactly 64 columns"}, {x64 + "\r\n", {x64}, "64 columns and CRLF"},
      {x64 + "ZZZ\r\n", {x64}, "columns after 64 are ignored, the carriage return with them"},
      {x64 + "Z", {x64}, "a long last line without newline"},
      {std::string("1\0002\t3\n", 6), {padded(std::string("1\0002\t3", 5))}, "NUL and tab pass through"},
      {x64 + big + "\r\nb\n", {x64, padded("b")}, "after a line longer than the buffer"},
      {"a\n" + big, {padded("a"), std::string(64, 'Z')}, "a last line longer than the buffer"},
  };
  const std::size_t buffers[] = {1, 2, 3, 7, 64, 65, 66, 4096, line_reader::default_buffer};
  for (const auto& c : cases) {
    for (const std::size_t b : buffers) {
      SCOPED_TRACE(std::string(c.why) + ", buffer " + std::to_string(b));
      EXPECT_EQ(read_all(c.bytes, b), c.recs);
    }
  }
}

TEST(LineReader, ReadErrorIsReported) {
  std::FILE* dir = std::fopen(".", "r");
  ASSERT_NE(dir, nullptr);
  const struct { int fd, error; } cases[] = {{-1, EBADF}, {fileno(dir), EISDIR}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    line_reader r(c.fd, 16);
    char rec[64] = {'q'};
    EXPECT_EQ(r.next(rec), line_reader::status::error);
    EXPECT_EQ(r.error(), c.error);
    EXPECT_EQ(r.line(), 1u) << "the line being read";
    EXPECT_EQ(rec[0], 'q') << "rec untouched on error";
  }
  std::fclose(dir);
}

}  // namespace
}  // namespace qubic::call
