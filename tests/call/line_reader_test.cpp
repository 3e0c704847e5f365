// line_reader: records of 64 columns from lines of any length, in any buffer size.
#include "call/line_reader.hpp"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using qubic::call::line_reader;
using status = line_reader::status;

// A file holding exactly `bytes`, positioned at its start.
struct temp_input {
  std::FILE* f;
  explicit temp_input(const std::string& bytes) : f(std::tmpfile()) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fflush(f);
    std::rewind(f);
  }
  ~temp_input() { std::fclose(f); }
  int fd() const { return fileno(f); }
};

std::string padded(const std::string& s) { return s + std::string(64 - s.size(), ' '); }

// Every record until the end, for one buffer size.
std::vector<std::string> records(const std::string& bytes, std::size_t buffer) {
  temp_input in(bytes);
  line_reader r(in.fd(), buffer);
  std::vector<std::string> out;
  char rec[64];
  for (;;) {
    const status st = r.next(rec);
    if (st != status::record) {
      EXPECT_EQ(st, status::end);
      EXPECT_EQ(r.line(), out.size()) << "line numbers count the records";
      EXPECT_EQ(r.next(rec), status::end) << "the end stays the end";
      break;
    }
    EXPECT_EQ(r.line(), out.size() + 1);
    out.emplace_back(rec, 64);
  }
  return out;
}

const std::string x64(64, 'x');
const std::string y63(63, 'y');

TEST(LineReader, LineShapes) {
  const struct {
    std::string bytes;
    std::vector<std::string> recs;
    const char* why;
  } cases[] = {
      {"", {}, "an empty file has no record"},
      {"a\n", {padded("a")}, "a short line is padded with blanks"},
      {"a", {padded("a")}, "a last line without newline is a record"},
      {"a\nb", {padded("a"), padded("b")}, "newline between, none at the end"},
      {"\n\n", {padded(""), padded("")}, "empty lines are blank records"},
      {"a\r\n", {padded("a")}, "CRLF: the carriage return is dropped"},
      {"a\r", {padded("a")}, "a carriage return ends the last line without newline"},
      {"a\r\nb\r\n", {padded("a"), padded("b")}, "a whole CRLF file"},
      {"a\rb\n", {padded("a\rb")}, "a carriage return inside a line stays"},
      {y63 + "\r\r\n", {y63 + "\r"}, "only the one carriage return that ends the line goes"},
      {x64 + "\n", {x64}, "exactly 64 columns"},
      {x64 + "\r\n", {x64}, "64 columns and CRLF"},
      {x64 + "ZZZ\n", {x64}, "columns after 64 are ignored"},
      {x64 + "ZZZ\r\n", {x64}, "long line with CRLF"},
      {x64 + "Z", {x64}, "long last line without newline"},
      {std::string("1\0002\t3\n", 6), {padded(std::string("1\0002\t3", 5))}, "NUL and tab pass through"},
      {x64 + std::string(1000, 'Z') + "\nb\n", {x64, padded("b")},
       "a long line passes through the buffer, the next line is intact"},
      {std::string(1000, 'Z'), {std::string(64, 'Z')}, "a long last line without any newline"},
  };
  const std::size_t buffers[] = {1, 2, 3, 7, 64, 65, 66, 4096, line_reader::default_buffer};
  for (const auto& c : cases) {
    for (const std::size_t b : buffers) {
      SCOPED_TRACE(std::string(c.why) + ", buffer " + std::to_string(b));
      EXPECT_EQ(records(c.bytes, b), c.recs);
    }
  }
}

// Lines longer than the default buffer, so that a line outlives several
// refills of a full-size buffer.
TEST(LineReader, LinesLongerThanTheBuffer) {
  const std::string big(3 * line_reader::default_buffer + 5, 'Z');
  const std::size_t buffers[] = {4096, line_reader::default_buffer};
  for (const std::size_t b : buffers) {
    SCOPED_TRACE("buffer " + std::to_string(b));
    EXPECT_EQ(records(x64 + big + "\r\nb\n", b), (std::vector<std::string>{x64, padded("b")}));
    EXPECT_EQ(records("a\n" + big, b), (std::vector<std::string>{padded("a"), std::string(64, 'Z')}));
  }
}

TEST(LineReader, ReadErrorIsReported) {
  // A descriptor that cannot be read: closed, and a directory.
  {
    line_reader r(-1, 16);
    char rec[64] = {};
    EXPECT_EQ(r.next(rec), status::error);
    EXPECT_EQ(r.error(), EBADF);
    EXPECT_EQ(r.line(), 1u) << "the line being read";
  }
  {
    std::FILE* d = std::fopen(".", "r");
    ASSERT_NE(d, nullptr);
    line_reader r(fileno(d), 16);
    char rec[64];
    rec[0] = 'q';
    EXPECT_EQ(r.next(rec), status::error);
    EXPECT_EQ(r.error(), EISDIR);
    EXPECT_EQ(rec[0], 'q') << "rec untouched on error";
    std::fclose(d);
  }
}

}  // namespace
