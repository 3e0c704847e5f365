// Test helpers: a fresh temporary directory, whole-file reads and writes,
// files and links made and read back.
#ifndef QUBIC_TESTS_CALL_FILES_HPP
#define QUBIC_TESTS_CALL_FILES_HPP

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace qubic::test {

// A directory made for one test under the system's temporary directory,
// removed with its contents at the end of the test.
class temp_dir {
 public:
  temp_dir() {
    std::string templ = (std::filesystem::temp_directory_path() / "qubic-test-XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = templ;
  }
  ~temp_dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// What a path holds, as the tests write it: its bytes, or no_file, or
// directory, or "-> target" for a symbolic link (dangling or not).
inline const std::string no_file = "<no file>", directory = "<directory>";

inline void make(const std::string& path, const std::string& what) {
  if (what == directory) {
    std::filesystem::create_directory(path);
  } else if (what.starts_with("-> ")) {
    std::filesystem::create_symlink(what.substr(3), path);
  } else if (what != no_file) {
    write_file(path, what);
  }
}

inline std::string holds(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) return "-> " + std::filesystem::read_symlink(path, ec).string();
  if (std::filesystem::is_directory(path, ec)) return directory;
  return std::filesystem::exists(path, ec) ? read_file(path) : no_file;
}

}  // namespace qubic::test

#endif  // QUBIC_TESTS_CALL_FILES_HPP
