// line_input: lines through one buffer, the output flushed before a wait.
#include "input.hpp"

#include <cstring>

#include <poll.h>
#include <sys/stat.h>

#include "call/line_reader.hpp"

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

// Refills the empty buffer (call::refill), flushing out first when the read
// may wait.
bool line_input::fill() {
  pos_ = 0;
  if (!eof_ && may_wait_ && !ready(fd_)) std::fflush(out_);  // a failure stays in ferror(out)
  return call::refill(fd_, buffer_.get(), buffer_size, len_, eof_, error_);
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
