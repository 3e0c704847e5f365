// open_std_fds: no file may take the number of a closed standard descriptor;
// same_regular_file: a program's input and output on one file.
#include "call/std_fds.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qubic::call {
namespace {

// Opens /dev/null on descriptor fd, which is closed; 0 or errno.  open(2)
// takes the lowest free number, which is fd when the lower ones are open
// (the caller plugs them in order); otherwise the descriptor is moved there.
int plug(int fd, int flags) {
  const int got = ::open("/dev/null", flags);
  if (got < 0) return errno;
  if (got == fd) return 0;
  const int error = ::dup2(got, fd) == fd ? 0 : errno;
  ::close(got);
  return error;
}

// One line on descriptor 2 (by then open, on /dev/null at worst).
bool say(const char* program, const char* what, int error) {
  char line[256];
  const int n = std::snprintf(line, sizeof line, "%s: %s: %s\n", program, what, std::strerror(error));
  if (n > 0) {
    const std::size_t len = static_cast<std::size_t>(n) < sizeof line ? static_cast<std::size_t>(n) : sizeof line - 1;
    const ssize_t ignored = ::write(2, line, len);
    (void)ignored;  // nothing is left to tell a failing error stream
  }
  return false;
}

}  // namespace

bool open_std_fds(const char* program) {
  // Descriptor 1 must be writable; 0 and 2 need only exist.  All three are
  // looked at before any is plugged.
  const int out_flags = ::fcntl(1, F_GETFL);
  const bool closed[3] = {::fcntl(0, F_GETFD) < 0, out_flags < 0, ::fcntl(2, F_GETFD) < 0};
  const int modes[3] = {O_RDONLY, O_WRONLY, O_WRONLY};
  for (int fd = 0; fd <= 2; ++fd) {
    if (!closed[fd]) continue;
    if (const int error = plug(fd, modes[fd]); error != 0) {
      return say(program, "/dev/null: cannot open in place of a closed standard descriptor", error);
    }
  }
  if (closed[1] || (out_flags & O_ACCMODE) == O_RDONLY) {
    return say(program, "standard output: not open for writing", EBADF);
  }
  return true;
}

bool same_regular_file(int a, int b) {
  struct stat sa;
  struct stat sb;
  if (::fstat(a, &sa) != 0 || ::fstat(b, &sb) != 0) return false;
  return S_ISREG(sa.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qubic::call
