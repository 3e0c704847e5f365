// Running a program of this project in a fresh folder with arguments,
// standard input from a file, standard output to a file, /dev/full, a pipe
// without reader or nowhere (closed), standard error to a file or nowhere,
// and a time limit.  The common header of the end-to-end tests: it brings
// the POSIX, file and GoogleTest headers.
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
};

enum class sink { file, dev_full, closed_pipe, closed };

// Which standard descriptors the program starts without.
enum closed_fds : unsigned { none_closed = 0, in_closed = 1, err_closed = 4 };

// A program still running after this many seconds is killed (SIGALRM): a
// hang fails its test instead of the whole run.
constexpr unsigned time_limit = 20;

// The folder the program runs in; its standard streams are kept in another.
class run_dir : public temp_dir {
 public:
  run_result run(const char* exe, std::vector<std::string> args = {}, const std::string& input = "",
                 sink to = sink::file, unsigned closed = none_closed) const {
    const std::string in = io_ / "stdin", out = io_ / "stdout", err = io_ / "stderr", dir = path().string();
    write_file(in, input);
    std::vector<char*> argv{const_cast<char*>(exe)};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int p[2] = {-1, -1};  // closed on exec: the program's standard output is the only copy of p[1]
    if (to == sink::closed_pipe && ::pipe2(p, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {  // only async-signal-safe calls until exec
      const int i = ::open(in.c_str(), O_RDONLY);
      const int o = to == sink::closed_pipe
                        ? p[1]
                        : ::open(to == sink::dev_full ? "/dev/full" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (i < 0 || o < 0 || e < 0 || ::dup2(i, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
          ::chdir(dir.c_str()) != 0) {
        ::_exit(126);
      }
      for (const int fd : {i, o, e}) {
        if (fd > 2) ::close(fd);
      }
      if ((closed & in_closed) != 0) ::close(0);
      if (to == sink::closed) ::close(1);
      if ((closed & err_closed) != 0) ::close(2);
      ::alarm(time_limit);  // survives exec
      ::execv(exe, argv.data());
      ::_exit(127);
    }
    for (const int fd : p) {
      if (fd >= 0) ::close(fd);  // the pipe's ends: now nobody reads
    }
    run_result r;
    int raw = 0;
    const bool waited = pid > 0 && ::waitpid(pid, &raw, 0) == pid;
    EXPECT_TRUE(waited) << "fork or wait failed";
    if (waited && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    r.out = to == sink::file ? read_file(out) : "";
    r.err = read_file(err);
    return r;
  }

 private:
  temp_dir io_;
};

// x^3 - 6x^2 + 11x - 6 as the writer lays it out, and what the batch program
// makes of it.  The solver finds 3, then 2 - 2^-23 and 1 + 2^-23 from the
// factor x^2 - 3x + 2, printed shortest "3 1.9999999 1.0000001" with
// imaginary parts +0.  Multiplied back out in coef's order, worked by hand:
// 3 + (2 - 2^-23) rounds to 5, + (1 + 2^-23) to 6: rb(2) = -6;
// 3 (2 - 2^-23) rounds to 6 - 2^-21, (2 - 2^-23)(1 + 2^-23) to 2, 3 (1 + 2^-23)
// (a tie) to 3 + 2^-21, and their sum is exactly 11: rb(1) = 11;
// (6 - 2^-21)(1 + 2^-23) rounds to 6: rb(0) = -6.  Imaginary parts:
// ib(2) = -(0 + 0 + 0) = -0, ib(1) = +0, ib(0) = -(+0) = -0.
inline const std::string road_record = "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n";
inline const std::string road_results = "1\n" + road_record +
                                        "  0.00000000E+00 -0.00000000E+00  0.00000000E+00 -0.00000000E+00\n";
inline const std::string road_stdout = "3 1.9999999 1.0000001\n0 0 0\n";

}  // namespace qubic::test

#endif  // QUBIC_TESTS_E2E_RUN_HPP
