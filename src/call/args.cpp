// read_args: the batch program takes no arguments but --exact, --help and
// --version, each at most once.
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
    "             normal numbers (or exact zeros); the rebuilt coefficients\n"
    "             are those of the exact product of the roots, rounded once\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "Each option at most once.\n";

command_line read_args(int argc, const char* const* argv) {
  command_line c;
  bool help = false;
  bool version = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    bool* seen = arg == "--exact" ? &c.exact : arg == "--help" ? &help : arg == "--version" ? &version : nullptr;
    if (seen == nullptr || *seen) {
      c.what = request::usage_error;
      c.bad = arg;
      c.repeated = seen != nullptr;
      return c;
    }
    *seen = true;
  }
  if (help) {
    c.what = request::help;
  } else if (version) {
    c.what = request::version;
  }
  return c;
}

}  // namespace qubic::call
