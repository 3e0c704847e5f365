// out_sink: buffered bytes arrive whole and in order; write errors are kept.
#include "call/out_sink.hpp"

#include <cerrno>
#include <csignal>
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

TEST(OutSink, WriteErrorsAreKept) {
  const auto old = std::signal(SIGPIPE, SIG_IGN);
  int p[2];
  ASSERT_EQ(::pipe(p), 0);
  ::close(p[0]);
  const int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const struct { int fd; std::size_t buffer, piece; int error; const char* why; } cases[] = {
      {full, 64, 2, ENOSPC, "no space, found at flush"},
      {full, 4, 10, ENOSPC, "no space, found by a piece larger than the buffer"},
      {p[1], 64, 1, EPIPE, "a pipe whose reader is gone"}, {-1, 64, 1, EBADF, "a closed descriptor"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    out_sink s(c.fd, c.buffer);
    EXPECT_EQ(s.put("0123456789", c.piece), c.piece <= c.buffer) << "a piece that fits is only buffered";
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), c.error);
    EXPECT_FALSE(s.put("x", 1)) << "the error stays";
    EXPECT_EQ(s.reserve(1), nullptr);
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), c.error);
  }
  ::close(full);
  ::close(p[1]);
  std::signal(SIGPIPE, old);
}

}  // namespace
}  // namespace qubic::call
