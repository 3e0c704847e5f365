// Buffered output over a file descriptor, with its write errors kept.
#ifndef QUBIC_CALL_OUT_SINK_HPP
#define QUBIC_CALL_OUT_SINK_HPP

#include <cstddef>
#include <memory>

namespace qubic::call {

// Collects output in one buffer allocated at construction and hands it to
// write(2) when full and on flush(), so a run makes few system calls.  The
// first failed write (ENOSPC, EPIPE with SIGPIPE ignored, EBADF, ...) is kept:
// from then on nothing more is written and put() and flush() return false.
class out_sink {
 public:
  static constexpr std::size_t default_buffer = std::size_t{1} << 20;

  // fd stays owned by the caller.  buffer_size is at least 1.
  explicit out_sink(int fd, std::size_t buffer_size = default_buffer);

  // Appends n bytes.  False once any write has failed.
  // Example: put("1\n", 2) on a sink over /dev/full returns true until the
  // buffer is flushed, then false with error() == ENOSPC.
  bool put(const char* s, std::size_t n);

  // Writes out everything buffered.  False once any write has failed.
  bool flush();

  // Room to format up to n bytes in place (n at most the buffer size),
  // flushing first when the buffer has less; nullptr once any write has
  // failed.  commit(end) then keeps the bytes written up to end.  No copy is
  // made.
  // Example: char* p = sink.reserve(2); if (p) { p[0] = '1'; p[1] = '\n'; sink.commit(p + 2); }
  char* reserve(std::size_t n) {
    if (error_ != 0 || n > capacity_) return nullptr;
    if (n > capacity_ - len_ && !flush()) return nullptr;
    return buffer_.get() + len_;
  }

  void commit(const char* end) { len_ = static_cast<std::size_t>(end - buffer_.get()); }

  // errno of the first failed write, else 0.
  int error() const { return error_; }

 private:
  bool write_all(const char* s, std::size_t n);

  int fd_;
  std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::size_t len_ = 0;
  int error_ = 0;
};

}  // namespace qubic::call

#endif  // QUBIC_CALL_OUT_SINK_HPP
