// Running the batch program qubic in a fresh folder with a given "test6",
// standard output sent to a file, a device or a pipe without reader.
#ifndef QUBIC_TESTS_E2E_BATCH_RUN_HPP
#define QUBIC_TESTS_E2E_BATCH_RUN_HPP

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "call/files.hpp"

namespace qubic::batch_e2e {

using test::read_file;
using test::write_file;

struct outcome {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string out;  // standard output, when it went to a file
  std::string err;  // standard error
};

// Where the program's standard output goes.
enum class sink { file, dev_full, closed_pipe };

// A temporary folder with the working folder "work" inside it, in which the
// program runs; its standard output and error are kept beside "work".
class batch_dir {
 public:
  batch_dir() { std::filesystem::create_directory(work()); }
  std::string work() const { return root_ / "work"; }
  std::string operator/(const std::string& name) const { return work() + "/" + name; }

  outcome run(sink to = sink::file) const {
    const std::string outp = root_ / "stdout";
    const std::string errp = root_ / "stderr";
    int pipe_fds[2] = {-1, -1};
    if (to == sink::closed_pipe && ::pipe(pipe_fds) != 0) ADD_FAILURE() << "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Child: only async-signal-safe calls until exec.
      int out_fd = -1;
      if (to == sink::file) out_fd = ::open(outp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (to == sink::dev_full) out_fd = ::open("/dev/full", O_WRONLY);
      if (to == sink::closed_pipe) {
        ::close(pipe_fds[0]);
        out_fd = pipe_fds[1];
      }
      const int err_fd = ::open(errp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out_fd < 0 || err_fd < 0 || ::dup2(out_fd, 1) < 0 || ::dup2(err_fd, 2) < 0 ||
          ::chdir(work().c_str()) != 0) {
        ::_exit(126);
      }
      ::execl(QUBIC_EXE, "qubic", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (to == sink::closed_pipe) {
      // No reader is left once the parent closes its end too.
      ::close(pipe_fds[0]);
      ::close(pipe_fds[1]);
    }
    outcome o;
    int raw = 0;
    if (pid < 0 || ::waitpid(pid, &raw, 0) != pid) {
      ADD_FAILURE() << "fork or wait failed";
      return o;
    }
    if (WIFEXITED(raw)) o.status = WEXITSTATUS(raw);
    o.out = to == sink::file ? read_file(outp) : "";
    o.err = read_file(errp);
    return o;
  }

 private:
  test::temp_dir root_;
};

// The record of x^3 - 6x^2 + 11x - 6, as the writer lays it out.
inline const std::string road_record =
    "  0.10000000E+01 -0.60000000E+01  0.11000000E+02 -0.60000000E+01\n";

// Counts the lines of s (a last line without newline counts too).
inline std::size_t count_lines(const std::string& s) {
  std::size_t n = 0;
  for (const char c : s) n += c == '\n';
  return n + (!s.empty() && s.back() != '\n');
}

}  // namespace qubic::batch_e2e

#endif  // QUBIC_TESTS_E2E_BATCH_RUN_HPP
