// line_input: lines through one buffer, the output flushed before a wait.
#include "input.hpp"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qubic::tool {
namespace {

// A read of fd may block: it is no regular file (a pipe, a terminal, a
// socket), or it cannot be looked at.
bool may_block(int fd) {
  struct stat st;
  return ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode);
}

// Something is there to read (or the end, or an error) without waiting.
bool ready(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0;
}

}  // namespace

line_input::line_input(int fd, std::size_t max_line, std::FILE* out)
    : fd_(fd), max_line_(max_line), out_(out), may_wait_(may_block(fd)), buffer_(new char[buffer_size]) {}

// Refills the empty buffer; false on a read error.  At the end of the input
// it stays empty and no read follows (a terminal would wait for more).
bool line_input::fill() {
  pos_ = 0;
  len_ = 0;
  if (eof_) return true;
  if (may_wait_ && !ready(fd_)) std::fflush(out_);  // a failure stays in ferror(out)
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.get(), buffer_size);
    if (got > 0) {
      len_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      eof_ = true;
      return true;
    }
    if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
}

line_input::got line_input::next(std::string& line) {
  line.clear();
  for (;;) {
    if (pos_ == len_) {
      if (!fill()) return got::error;
      if (len_ == 0) return line.empty() ? got::end : got::line;
    }
    const char* begin = buffer_.get() + pos_;
    const void* nl = std::memchr(begin, '\n', len_ - pos_);
    const std::size_t take = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - begin) : len_ - pos_;
    if (take > max_line_ - line.size()) return got::too_long;
    line.append(begin, take);
    pos_ += take;
    if (nl) {
      ++pos_;
      return got::line;
    }
  }
}

}  // namespace qubic::tool
