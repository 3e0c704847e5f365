// line_reader: lines of any length in one fixed buffer.
#include "call/line_reader.hpp"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace qubic::call {

bool refill(int fd, char* buf, std::size_t cap, std::size_t& len, bool& eof, int& error) {
  len = 0;
  if (eof) return true;
  for (;;) {
    const ssize_t got = ::read(fd, buf, cap);
    if (got >= 0) {
      len = static_cast<std::size_t>(got);
      eof = got == 0;
      return true;
    }
    if (errno != EINTR) {
      error = errno;
      return false;
    }
  }
}

line_reader::line_reader(int fd, std::size_t buffer_size)
    : fd_(fd), capacity_(buffer_size == 0 ? 1 : buffer_size), buffer_(new char[capacity_]) {}

// Refills the empty buffer (refill, above).
bool line_reader::fill() {
  pos_ = 0;
  return refill(fd_, buffer_.get(), capacity_, len_, eof_, error_);
}

// Drops the rest of a line whose record was already returned.  False on a
// read error; the end of the input ends the line too.
bool line_reader::skip_rest() {
  for (;;) {
    if (pos_ == len_) {
      if (!fill()) return false;
      if (len_ == 0) break;
    }
    const char* begin = buffer_.get() + pos_;
    const void* nl = std::memchr(begin, '\n', len_ - pos_);
    if (nl != nullptr) {
      pos_ += static_cast<std::size_t>(static_cast<const char*>(nl) - begin) + 1;
      break;
    }
    pos_ = len_;
  }
  skipping_ = false;
  return true;
}

line_reader::status line_reader::next(char* rec) {
  // An error here belongs to the line already returned: line_ stays.
  if (skipping_ && !skip_rest()) return status::error;

  // The common case: the whole line, with its '\n', is in the buffer.  It
  // goes straight to rec.
  if (pos_ < len_) {
    const char* begin = buffer_.get() + pos_;
    const std::size_t avail = len_ - pos_;
    const void* nl = std::memchr(begin, '\n', avail);
    if (nl != nullptr) {
      std::size_t take = static_cast<std::size_t>(static_cast<const char*>(nl) - begin);
      pos_ += take + 1;
      ++line_;
      if (take > width || (take == width && begin[width - 1] != '\r')) {
        std::memcpy(rec, begin, width);  // a '\r' after column width goes with the rest
        return status::record;
      }
      if (take > 0 && begin[take - 1] == '\r') --take;
      std::memcpy(rec, begin, take);
      std::memset(rec + take, ' ', width - take);
      return status::record;
    }
  }

  // A line that continues past the buffer, or the end of the input.  One
  // column more than kept: a '\r' in column width + 1 that ends the line is
  // dropped, one that does not is data.  Either way, once width + 1 columns
  // are in, the record is its first `width` columns: it is returned at once
  // and the rest of the line is skipped by the next call, so an endless line
  // (/dev/zero) still yields its record, and its verdict, right away.
  char kept[width + 1];
  std::size_t nkept = 0;
  bool started = false;

  for (;;) {
    if (pos_ == len_) {
      if (!fill()) {
        ++line_;
        return status::error;
      }
      if (len_ == 0) {
        if (!started) return status::end;
        break;  // last line without '\n'
      }
    }
    started = true;
    const char* begin = buffer_.get() + pos_;
    const std::size_t room = sizeof kept - nkept;
    const std::size_t look = len_ - pos_ < room ? len_ - pos_ : room;
    const void* nl = std::memchr(begin, '\n', look);
    const std::size_t take = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - begin) : look;
    std::memcpy(kept + nkept, begin, take);
    nkept += take;
    pos_ += take;
    if (nl) {
      ++pos_;
      break;
    }
    if (nkept == sizeof kept) {
      skipping_ = true;
      break;
    }
  }

  ++line_;
  if (nkept <= width && nkept > 0 && kept[nkept - 1] == '\r') --nkept;
  const std::size_t used = nkept < width ? nkept : width;
  std::memcpy(rec, kept, used);
  std::memset(rec + used, ' ', width - used);
  return status::record;
}

}  // namespace qubic::call
