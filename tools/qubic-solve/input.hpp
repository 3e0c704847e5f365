// The lines of qubic-solve's standard input, with its answers flushed
// whenever the next read may wait.
#ifndef QUBIC_SOLVE_INPUT_HPP
#define QUBIC_SOLVE_INPUT_HPP

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace qubic::tool {

// Reads lines from a file descriptor with read(2) into one buffer, in
// bounded memory (a line longer than max_line is refused, not kept).
//
// A program on the other end of a pipe that writes one line and waits for
// its answer before writing the next would wait for ever on answers held in
// a block buffer.  So whenever the buffer is empty and the input is not a
// regular file, and poll(2) shows nothing to read yet, `out` is flushed
// before read(2) blocks: answers appear as soon as their line is read.  A
// regular file never blocks, and input already waiting in a pipe is read
// without a flush: batch runs keep their block buffering.
class line_input {
 public:
  enum class got { line, end, too_long, error };

  static constexpr std::size_t buffer_size = std::size_t{1} << 16;

  // fd stays owned by the caller; out is flushed as above.
  line_input(int fd, std::size_t max_line, std::FILE* out);

  // line: the next line without its '\n' (a last line without one too).
  // end: no byte left.  too_long: more than max_line characters before the
  // '\n'.  error: read(2) failed, errno in error().  line is cleared first.
  //
  // Example: the bytes "1 0 0 1\n\n2" give "1 0 0 1", "", "2", then end.
  got next(std::string& line);

  int error() const { return error_; }

 private:
  bool fill();

  int fd_;
  std::size_t max_line_;
  std::FILE* out_;
  bool may_wait_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool eof_ = false;
  int error_ = 0;
};

}  // namespace qubic::tool

#endif  // QUBIC_SOLVE_INPUT_HPP
