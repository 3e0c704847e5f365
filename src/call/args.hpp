// The batch program's command line: nothing or --exact to run, or --help /
// --version.
#ifndef QUBIC_CALL_ARGS_HPP
#define QUBIC_CALL_ARGS_HPP

#include <string_view>

namespace qubic::call {

enum class request { run, help, version, usage_error };

struct command_line {
  request what = request::run;
  bool exact = false;    // run: with the exact engine instead of the solver
  std::string_view bad;  // the argument refused, for usage_error
};

// No argument: run.  Exactly "--exact": run, exact.  Exactly "--help" or
// "--version": that.  Anything else (another word, a second argument):
// usage_error naming the first refused argument.
//
// Example: {"qubic"} -> run; {"qubic", "--exact"} -> run, exact;
// {"qubic", "--version"} -> version; {"qubic", "test6"} -> usage_error,
// bad = "test6"; {"qubic", "--exact", "x"} -> usage_error, bad = "x".
command_line read_args(int argc, const char* const* argv);

// "usage: qubic [--help | --version]\n"
inline constexpr std::string_view usage = "usage: qubic [--help | --version]\n";

// The text --help prints after the usage line.
extern const std::string_view help;

}  // namespace qubic::call

#endif  // QUBIC_CALL_ARGS_HPP
