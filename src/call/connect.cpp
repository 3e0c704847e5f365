// connect: open the result file without destroying it before the input is known to open.
#include "call/connect.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "call/std_fds.hpp"

namespace qubic::call {
namespace {

constexpr mode_t file_mode = 0666;  // narrowed by the umask, as for any new file

bool fail(connect_failure& f, const char* path, const char* action, int error) {
  f.path = path;
  f.action = action;
  f.error = error;
  return false;
}

// f for two names of one file.
bool same(connect_failure& f, const char* path, const char* other, const char* harm) {
  f.same_as = other;
  f.harm = harm;
  return fail(f, path, "is the same file as", 0);
}

constexpr const char* overwrites_input = "the input would be overwritten";

// The result file as opened, and what to remove if the run gives up: the
// name itself when this call created it, or the file a dangling symlink
// pointed to when this call created that (its absolute name, taken while it
// exists).
struct results_file {
  int fd = -1;
  bool created = false;
  std::string made_through_link;
};

// Closes the result file and removes what this call created.
void give_up_results(const results_file& r, const char* path) {
  ::close(r.fd);
  if (r.created) ::unlink(path);
  if (!r.made_through_link.empty()) ::unlink(r.made_through_link.c_str());
}

// Opens path for writing without emptying it.
int open_results(const char* path, results_file& r) {
  r.created = true;
  r.fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, file_mode);
  if (r.fd >= 0 || errno != EEXIST) return r.fd;
  r.created = false;
  r.fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (r.fd >= 0 || errno != ENOENT) return r.fd;
  // A dangling symlink: writing through it makes its target, which a failed
  // run must remove again.
  r.fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, file_mode);
  if (r.fd < 0 && errno == EEXIST) r.fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, file_mode);
  if (r.fd < 0) return r.fd;
  char real[PATH_MAX];
  if (::realpath(path, real) != nullptr) r.made_through_link = real;
  return r.fd;
}

}  // namespace

bool connect(const char* results_path, const char* test_path, int out_fd, connection& c, connect_failure& f) {
  results_file results;
  if (open_results(results_path, results) < 0) return fail(f, results_path, "cannot open for writing", errno);

  const int test = ::open(test_path, O_RDONLY | O_CLOEXEC);
  if (test < 0) {
    const int error = errno;
    give_up_results(results, results_path);
    return fail(f, test_path, "cannot open", error);
  }
  // A directory opens for reading, but no record can come from it.
  struct stat ts;
  const int test_error = ::fstat(test, &ts) != 0 ? errno : (S_ISDIR(ts.st_mode) ? EISDIR : 0);
  if (test_error != 0) {
    const int error = test_error;
    ::close(test);
    give_up_results(results, results_path);
    return fail(f, test_path, "cannot read", error);
  }

  struct stat rs;
  if (::fstat(results.fd, &rs) != 0) {
    const int error = errno;
    ::close(test);
    give_up_results(results, results_path);
    return fail(f, results_path, "cannot open for writing", error);
  }
  // One file under both names (a symlink or a hard link): emptying the result
  // file would destroy the input.  Standard output on the coefficient file
  // would append the roots to the records still to be read, and on the result
  // file mix two outputs.  Checked on the open descriptors, so the names
  // cannot change in between, and before anything is truncated.
  const bool results_is_test = rs.st_dev == ts.st_dev && rs.st_ino == ts.st_ino;
  const bool out_is_test = same_regular_file(out_fd, test);
  const bool out_is_results = same_regular_file(out_fd, results.fd);
  if (results_is_test || out_is_test || out_is_results) {
    ::close(test);
    give_up_results(results, results_path);
    if (results_is_test) return same(f, results_path, test_path, overwrites_input);
    if (out_is_test) return same(f, stdout_name, test_path, overwrites_input);
    return same(f, stdout_name, results_path, "the two outputs would be written over each other");
  }
  // Only a regular file is emptied: a terminal, a pipe or a device such as
  // /dev/null has nothing to truncate and ftruncate would fail on it.
  if (S_ISREG(rs.st_mode) && ::ftruncate(results.fd, 0) != 0) {
    const int error = errno;
    ::close(test);
    give_up_results(results, results_path);
    return fail(f, results_path, "cannot truncate", error);
  }

  c.results = results.fd;
  c.test = test;
  return true;
}

}  // namespace qubic::call
