// Reading coefficient records line by line from a file descriptor.
#ifndef QUBIC_CALL_LINE_READER_HPP
#define QUBIC_CALL_LINE_READER_HPP

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qubic::call {

// Refills the empty buffer buf of capacity cap from fd with one read(2),
// retried after a signal: len bytes, none with eof set at the end of the
// input, after which no read follows (a terminal would wait for more).  On a
// read error: false, errno in error, len 0.  Shared by the readers of both
// programs.
bool refill(int fd, char* buf, std::size_t cap, std::size_t& len, bool& eof, int& error);

// Yields the first `width` columns of each line of a file descriptor.
//
// Reads with read(2) into one buffer allocated at construction, so memory is
// bounded whatever the input: a line of any length, with or without newline,
// passes through the buffer and only its first columns are kept.  A record
// is returned as soon as its columns are known; the rest of a long line is
// skipped by the next call, so an endless line yields its record (and the
// caller's verdict on it) without waiting for an end that never comes.
class line_reader {
 public:
  static constexpr std::size_t width = 64;
  static constexpr std::size_t default_buffer = std::size_t{1} << 20;

  enum class status { record, end, error };

  // fd stays owned by the caller.  buffer_size (at least 1) only changes how
  // many bytes one read(2) asks for, never the records.
  explicit line_reader(int fd, std::size_t buffer_size = default_buffer);

  // On `record`: writes exactly `width` characters to rec, the line's first
  // columns with blanks after a line that is shorter; characters after column
  // `width` are dropped, as is a '\r' that ends the line (CRLF files).  A
  // last line without '\n' is still a record; an empty line is a record of
  // blanks.  Bytes are passed as they are (a tab or a NUL stays in place for
  // the field reader to refuse).
  // On `end` (no further byte) and `error` (read(2) failed, errno in
  // error()): rec is untouched.  A long line's rest is read, and dropped, by
  // the call after the one that returned its record.
  //
  // Example: the bytes "1.0\r\nx" give the record "1.0" + 61 blanks, then
  // "x" + 63 blanks, then end.
  status next(char* rec);

  // Number of the line last returned as a record, from 1; 0 before the first.
  // On `error`, the number of the line being read (the last one returned
  // when the error came while skipping its rest).
  std::uint64_t line() const { return line_; }

  // errno of the failed read after `error`, else 0.
  int error() const { return error_; }

 private:
  bool fill();
  bool skip_rest();

  int fd_;
  std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool eof_ = false;
  bool skipping_ = false;  // the last record's line goes on past its columns
  std::uint64_t line_ = 0;
  int error_ = 0;
};

}  // namespace qubic::call

#endif  // QUBIC_CALL_LINE_READER_HPP
