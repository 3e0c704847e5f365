// read_args: the batch program takes no arguments but --exact, --help and
// --version.
#include "call/args.hpp"

namespace qubic::call {

const std::string_view help =
    "Reads the cubics of \"test6\" in the current folder (four 16-column fields\n"
    "a line, highest power first), writes a status line per cubic and the\n"
    "rebuilt coefficients of every solved one to \"results6\", and the roots of\n"
    "every solved cubic to standard output.  For one cubic at a time, or\n"
    "to see each root's flag, use qubic-solve.\n"
    "\n"
    "  --exact    solve with the exact engine instead: every root correctly\n"
    "             rounded to single, the whole float range, multiple roots\n"
    "             decided exactly; same files and formats, and a cubic is\n"
    "             solved when all three of its roots are correctly rounded\n"
    "             normal numbers (or exact zeros)\n"
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
  } else if (argc == 2 && first == "--exact") {
    c.exact = true;
  } else {
    c.what = request::usage_error;
    const bool known = first == "--help" || first == "--version" || first == "--exact";
    c.bad = known ? std::string_view(argv[2]) : first;
  }
  return c;
}

}  // namespace qubic::call
