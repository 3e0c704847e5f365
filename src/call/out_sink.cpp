// out_sink: one buffer, few write(2) calls, no error forgotten.
#include "call/out_sink.hpp"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace qubic::call {

out_sink::out_sink(int fd, std::size_t buffer_size)
    : fd_(fd), capacity_(buffer_size == 0 ? 1 : buffer_size), buffer_(new char[capacity_]) {}

// Writes all n bytes, retrying after a signal and after a partial write.  A
// write that returns 0 for a nonzero count makes no progress; it counts as an
// I/O error rather than looping for ever.
bool out_sink::write_all(const char* s, std::size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(fd_, s, n);
    if (put > 0) {
      s += put;
      n -= static_cast<std::size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else {
      error_ = put < 0 ? errno : EIO;
      return false;
    }
  }
  return true;
}

bool out_sink::flush() {
  if (error_ != 0) return false;
  const std::size_t n = len_;
  len_ = 0;
  return write_all(buffer_.get(), n);
}

bool out_sink::put(const char* s, std::size_t n) {
  if (error_ != 0) return false;
  if (n > capacity_ - len_) {
    if (!flush()) return false;
    if (n > capacity_) return write_all(s, n);
  }
  std::memcpy(buffer_.get() + len_, s, n);
  len_ += n;
  return true;
}

}  // namespace qubic::call
