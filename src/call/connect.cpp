// connect: open the result file without destroying it before the input is known to open.
#include "call/connect.hpp"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qubic::call {
namespace {

constexpr mode_t file_mode = 0666;  // narrowed by the umask, as for any new file

bool fail(connect_failure& f, const char* path, const char* action, int error) {
  f.path = path;
  f.action = action;
  f.error = error;
  return false;
}

// Closes the result file and removes it if this run created it.
void give_up_results(int fd, bool created, const char* path) {
  ::close(fd);
  if (created) ::unlink(path);
}

}  // namespace

bool connect(const char* results_path, const char* test_path, connection& c, connect_failure& f) {
  bool created = true;
  int results = ::open(results_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, file_mode);
  if (results < 0 && errno == EEXIST) {
    // It exists (or is a dangling symlink, whose target O_CREAT makes): open
    // it as it stands, without emptying it yet.
    created = false;
    results = ::open(results_path, O_WRONLY | O_CREAT | O_CLOEXEC, file_mode);
  }
  if (results < 0) return fail(f, results_path, "cannot open for writing", errno);

  const int test = ::open(test_path, O_RDONLY | O_CLOEXEC);
  if (test < 0) {
    const int error = errno;
    give_up_results(results, created, results_path);
    return fail(f, test_path, "cannot open", error);
  }
  // A directory opens for reading, but no record can come from it.
  struct stat ts;
  const int test_error = ::fstat(test, &ts) != 0 ? errno : (S_ISDIR(ts.st_mode) ? EISDIR : 0);
  if (test_error != 0) {
    const int error = test_error;
    ::close(test);
    give_up_results(results, created, results_path);
    return fail(f, test_path, "cannot read", error);
  }

  // Only a regular file is emptied: a terminal, a pipe or a device such as
  // /dev/null has nothing to truncate and ftruncate would fail on it.
  struct stat rs;
  if (::fstat(results, &rs) != 0) {
    const int error = errno;
    ::close(test);
    give_up_results(results, created, results_path);
    return fail(f, results_path, "cannot open for writing", error);
  }
  if (S_ISREG(rs.st_mode) && ::ftruncate(results, 0) != 0) {
    const int error = errno;
    ::close(test);
    give_up_results(results, created, results_path);
    return fail(f, results_path, "cannot truncate", error);
  }

  c.results = results;
  c.test = test;
  return true;
}

}  // namespace qubic::call
