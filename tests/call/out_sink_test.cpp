// out_sink: buffered bytes arrive whole and in order; write errors are kept.
#include "call/out_sink.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using qubic::call::out_sink;

std::string contents(std::FILE* f) {
  std::rewind(f);
  std::string s;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

TEST(OutSink, BytesArriveInOrder) {
  // Pieces shorter than, equal to and longer than the buffer, for several
  // buffer sizes: the file holds their concatenation.
  const std::string pieces[] = {"1\n", "abcdefgh", "", std::string(100, 'L'), "x", std::string(7, 's')};
  for (const std::size_t b : {std::size_t{1}, std::size_t{3}, std::size_t{8}, std::size_t{64},
                              out_sink::default_buffer}) {
    SCOPED_TRACE("buffer " + std::to_string(b));
    std::FILE* f = std::tmpfile();
    std::string expected;
    {
      out_sink s(fileno(f), b);
      for (const std::string& p : pieces) {
        EXPECT_TRUE(s.put(p.data(), p.size()));
        expected += p;
      }
      EXPECT_TRUE(s.flush());
      EXPECT_EQ(s.error(), 0);
    }
    EXPECT_EQ(contents(f), expected);
    std::fclose(f);
  }
}

TEST(OutSink, NothingReachesTheFileBeforeFlush) {
  std::FILE* f = std::tmpfile();
  out_sink s(fileno(f), 64);
  EXPECT_TRUE(s.put("abc", 3));
  EXPECT_EQ(contents(f), "") << "buffered, not yet written";
  EXPECT_TRUE(s.flush());
  EXPECT_EQ(contents(f), "abc");
  std::fclose(f);
}

TEST(OutSink, WriteErrorsAreKept) {
  {
    SCOPED_TRACE("/dev/full: no space");
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    out_sink s(fd, 64);
    EXPECT_TRUE(s.put("1\n", 2)) << "buffered: the device is not touched yet";
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), ENOSPC);
    EXPECT_FALSE(s.put("1\n", 2)) << "the error stays";
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), ENOSPC);
    ::close(fd);
  }
  {
    SCOPED_TRACE("/dev/full: a piece larger than the buffer fails in put");
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    out_sink s(fd, 4);
    EXPECT_FALSE(s.put("0123456789", 10));
    EXPECT_EQ(s.error(), ENOSPC);
    ::close(fd);
  }
  {
    SCOPED_TRACE("a pipe whose reader is gone");
    const auto old = std::signal(SIGPIPE, SIG_IGN);
    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    ::close(p[0]);
    out_sink s(p[1], 64);
    s.put("x", 1);
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), EPIPE);
    ::close(p[1]);
    std::signal(SIGPIPE, old);
  }
  {
    SCOPED_TRACE("a closed descriptor");
    out_sink s(-1, 64);
    s.put("x", 1);
    EXPECT_FALSE(s.flush());
    EXPECT_EQ(s.error(), EBADF);
  }
}

}  // namespace
