// read_args: the batch program takes no arguments but --help and --version.
#include "call/args.hpp"

namespace qubic::call {

const std::string_view help =
    "Reads the cubics of \"test6\" in the current folder (four 16-column fields\n"
    "a line, highest power first), writes a status line per cubic and the\n"
    "rebuilt coefficients of every solved one to \"results6\", and the roots of\n"
    "every solved cubic to standard output.  For one cubic at a time, or\n"
    "to see each root's flag, use qubic-solve.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

command_line read_args(int argc, const char* const* argv) {
  command_line c;
  if (argc <= 1) return c;
  const std::string_view first = argv[1];
  if (argc == 2 && first == "--help") {
    c.what = request::help;
  } else if (argc == 2 && first == "--version") {
    c.what = request::version;
  } else {
    c.what = request::usage_error;
    c.bad = (first == "--help" || first == "--version") ? std::string_view(argv[2]) : first;
  }
  return c;
}

}  // namespace qubic::call
