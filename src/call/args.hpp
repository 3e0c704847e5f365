// The batch program's command line: nothing or --exact to run, or --help /
// --version.
#ifndef QUBIC_CALL_ARGS_HPP
#define QUBIC_CALL_ARGS_HPP

#include <string_view>

namespace qubic::call {

enum class request { run, help, version, usage_error };

struct command_line {
  request what = request::run;
  bool exact = false;     // run: with the exact engine instead of the solver
  std::string_view bad;   // the argument refused, for usage_error
  bool repeated = false;  // usage_error: bad is an option given twice
};

// Every argument is one of --exact, --help and --version, each at most once
// (the rule qubic-solve follows for its options too), in any order.  Then
// --help answers if given, else --version, else the run (with the exact
// engine after --exact).  Anything else: usage_error naming the first
// argument refused, an unknown word or the second copy of an option.
//
// Example: {"qubic"} -> run; {"qubic", "--exact"} -> run, exact;
// {"qubic", "--exact", "--version"} -> version; {"qubic", "test6"} ->
// usage_error, bad = "test6"; {"qubic", "--exact", "--exact"} ->
// usage_error, bad = "--exact", repeated.
command_line read_args(int argc, const char* const* argv);

inline constexpr std::string_view usage = "usage: qubic [--exact] [--help | --version]\n";

// The text --help prints after the usage line.
extern const std::string_view help;

}  // namespace qubic::call

#endif  // QUBIC_CALL_ARGS_HPP
