// Running a program of this project in a fresh folder with arguments,
// standard input from a file, standard output and error to files, one
// standard stream disturbed (output to /dev/full or to a pipe without
// reader, a descriptor closed, output appended to a file of the test's
// choosing), and a time limit.  The common header of the end-to-end tests:
// it brings the POSIX, file and GoogleTest headers.
#ifndef QUBIC_TESTS_E2E_RUN_HPP
#define QUBIC_TESTS_E2E_RUN_HPP

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "call/files.hpp"

namespace qubic::test {

struct run_result {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string out;  // standard output, when it went to a file
  std::string err;  // standard error
  std::string in;   // the file standard input read, afterwards
};

// Standard output appended to the file standard input reads.
inline const std::string to_stdin = "<stdin>";

enum class fault { none, out_full, out_pipe, out_closed, in_closed, err_closed };

// A program still running after this many seconds is killed (SIGALRM): a
// hang fails its test instead of the whole run.
constexpr unsigned time_limit = 20;

// The folder the program runs in; its standard streams are kept in another.
class run_dir : public temp_dir {
 public:
  // append_to: when set, standard output is that file opened for appending
  // (a name in the folder, an absolute path, or to_stdin).
  run_result run(const char* exe, std::vector<std::string> args = {}, const std::string& input = "",
                 fault f = fault::none, const std::string& append_to = "") const {
    const std::string in = io_ / "stdin", err = io_ / "stderr", dir = path().string();
    const std::string out = append_to.empty() ? io_ / "stdout"
                            : append_to == to_stdin ? in
                            : append_to.front() == '/' ? append_to
                                                       : dir + "/" + append_to;
    const int out_flags = O_WRONLY | O_CREAT | (append_to.empty() ? O_TRUNC : O_APPEND);
    write_file(in, input);
    std::vector<char*> argv{const_cast<char*>(exe)};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int p[2] = {-1, -1};  // closed on exec: the program's standard output is the only copy of p[1]
    if (f == fault::out_pipe && ::pipe2(p, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {  // only async-signal-safe calls until exec
      const int i = ::open(in.c_str(), O_RDONLY);
      const int o = f == fault::out_pipe ? p[1]
                                         : ::open(f == fault::out_full ? "/dev/full" : out.c_str(),
                                                  out_flags, 0644);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (i < 0 || o < 0 || e < 0 || ::dup2(i, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
          ::chdir(dir.c_str()) != 0) {
        ::_exit(126);
      }
      for (const int fd : {i, o, e}) if (fd > 2) ::close(fd);
      if (f == fault::in_closed) ::close(0);
      if (f == fault::out_closed) ::close(1);
      if (f == fault::err_closed) ::close(2);
      ::alarm(time_limit);  // survives exec
      ::execv(exe, argv.data());
      ::_exit(127);
    }
    for (const int fd : p) if (fd >= 0) ::close(fd);  // the pipe's ends: now nobody reads
    run_result r;
    int raw = 0;
    const bool waited = pid > 0 && ::waitpid(pid, &raw, 0) == pid;
    EXPECT_TRUE(waited) << "fork or wait failed";
    if (waited && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    r.out = f == fault::out_full || f == fault::out_pipe || !append_to.empty() ? "" : read_file(out);
    r.err = read_file(err);
    r.in = read_file(in);
    return r;
  }

 private:
  temp_dir io_;
};

}  // namespace qubic::test

#endif  // QUBIC_TESTS_E2E_RUN_HPP
