// Running a program of this project in a fresh temporary folder, with a
// given standard input, and collecting what it wrote and its exit status.
#ifndef QUBIC_TESTS_E2E_RUN_HPP
#define QUBIC_TESTS_E2E_RUN_HPP

#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace qubic::test {

struct run_result {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

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

// Runs exe with args in a new empty folder; the folder is removed afterwards.
inline run_result run(const std::string& exe, std::initializer_list<std::string_view> args,
                      std::string_view input = {}) {
  static std::atomic<int> serial{0};
  namespace fs = std::filesystem;
  std::string name = "qubic-e2e-";  // appended, not "..." + string: GCC 12 warns falsely on that
  name += std::to_string(::getpid());
  name += '-';
  name += std::to_string(serial++);
  const fs::path dir = fs::temp_directory_path() / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    std::ofstream in(dir / "stdin", std::ios::binary);
    in.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  std::string cmd = "cd " + shell_word(dir.string()) + " && " + shell_word(exe);
  for (const std::string_view a : args) cmd += " " + shell_word(a);
  cmd += " < stdin > stdout 2> stderr";
  const int raw = std::system(cmd.c_str());
  run_result r;
  if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
  r.out = slurp(dir / "stdout");
  r.err = slurp(dir / "stderr");
  fs::remove_all(dir);
  return r;
}

}  // namespace qubic::test

#endif  // QUBIC_TESTS_E2E_RUN_HPP
