// Running a program of this project with arguments and a given standard
// input in a fresh temporary folder, and collecting what it wrote and its
// exit status.
#ifndef QUBIC_TESTS_E2E_RUN_HPP
#define QUBIC_TESTS_E2E_RUN_HPP

#include <sys/wait.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "call/files.hpp"

namespace qubic::test {

struct run_result {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// A shell word for s: single-quoted, with its own quotes escaped.
inline std::string shell_word(std::string_view s) {
  std::string w = "'";
  for (const char c : s) {
    if (c == '\'') {
      w += "'\\''";
    } else {
      w += c;
    }
  }
  return w + "'";
}

// Runs exe with args in a new empty folder, standard input from `input`.
inline run_result run(const std::string& exe, std::initializer_list<std::string_view> args,
                      const std::string& input = {}) {
  const temp_dir dir;
  write_file(dir / "stdin", input);
  // Appended piece by piece: GCC 12 warns falsely on "literal" + std::string.
  std::string cmd = "cd ";
  cmd += shell_word(dir.path().string());
  cmd += " && ";
  cmd += shell_word(exe);
  for (const std::string_view a : args) {
    cmd += ' ';
    cmd += shell_word(a);
  }
  cmd += " < stdin > stdout 2> stderr";
  const int raw = std::system(cmd.c_str());
  run_result r;
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  r.out = read_file(dir / "stdout");
  r.err = read_file(dir / "stderr");
  return r;
}

}  // namespace qubic::test

#endif  // QUBIC_TESTS_E2E_RUN_HPP
