// qubic-solve: solves cubics given on the command line or standard input.
//
//   qubic-solve [--csv] [--exact] [--double] A3 A2 A1 A0   one cubic, highest power first
//   qubic-solve [--csv] [--exact] [--double] < lines       one cubic per line
//
// --exact solves with the exact engine (qubic/exact.hpp) instead of the
// solver; the output has the same shape, the flags that engine's codes.
// --double (with --exact only: the solver is single precision) reads each
// coefficient as the nearest double and solves with the engine's double
// entry; every number is then written as the shortest decimal that reads
// back to the same double.
//
// Exit status: 0 when every cubic was read (whatever its flags), 2 on a
// malformed argument or line (output written so far stays), 1 when standard
// input cannot be read, standard output cannot be written, or both are one
// regular file (refused before anything is written).
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <qubic/exact.hpp>
#include <qubic/solve.hpp>

#include "call/std_fds.hpp"
#include "input.hpp"
#include "line.hpp"
#include "report.hpp"
#include "text/free_read.hpp"

#ifndef QUBIC_VERSION
#error "QUBIC_VERSION must be defined by the build"
#endif

namespace {

using qubic::tool::cubic;
using got = qubic::tool::line_input::got;

constexpr const char* usage = "usage: qubic-solve [--csv] [--exact] [--double] [A3 A2 A1 A0]";

constexpr const char* help_text =
    "Finds the three roots of A3 x^3 + A2 x^2 + A1 x + A0 in IEEE single\n"
    "precision and gives each root a flag that says whether it can be used.\n"
    "\n"
    "With four numbers, solves that cubic.  With none, reads one cubic per\n"
    "line from standard input: four numbers separated by blanks and/or\n"
    "commas, highest power first; blank lines are skipped, and so is a first\n"
    "line that is the --csv header (or its first four names), so that the\n"
    "tool reads its own CSV back.  Numbers are decimals such as 1.5, -0,\n"
    "1e-40, 1.0E+30 or 1.5D+03, hexadecimal such as 0x1.8p+1, or inf or nan.\n"
    "Each answer is written as soon as its line is read.\n"
    "\n"
    "  --csv      one header line, then one row per cubic: a3,a2,a1,a0,\n"
    "             flag1..flag3, re1,im1,re2,im2,re3,im3 (empty: not computed)\n"
    "  --exact    use the exact engine: every root of the exact cubic, each\n"
    "             part correctly rounded to single; flag 1 correctly rounded,\n"
    "             -3 correctly rounded but overflowing, subnormal or rounded\n"
    "             to zero, -2 a coefficient infinite or NaN\n"
    "  --double   with --exact: read each number as the nearest double and\n"
    "             round each part of each root to double instead of single\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "Each option at most once.\n"
    "\n"
    "Exit status: 0 when every cubic was read, whatever its flags; 2 on a\n"
    "malformed argument or line; 1 on a read or write error, or when standard\n"
    "input and standard output are one file.\n";

// Longest input line accepted, without its '\n'.
constexpr std::size_t max_line = 4096;

struct options {
  bool csv = false;
  bool exact = false;
  bool dbl = false;
  bool help = false;
  bool version = false;
};

int fail(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "qubic-solve: %s\n", what.c_str());
  return 2;
}

// A command-line error: one line, with the usage in it.
int fail_usage(const std::string& what) { return fail(what + " (" + usage + ")"); }

bool put(const std::string& s) { return std::fwrite(s.data(), 1, s.size(), stdout) == s.size(); }

qubic::solution solve(const cubic& a, const options& o) {
  return o.exact ? qubic::solve_exact(a[0], a[1], a[2], a[3]) : qubic::solve(a[0], a[1], a[2], a[3]);
}

qubic::solution_double solve(const qubic::tool::cubic_double& a, const options&) {
  return qubic::solve_exact_double(a[0], a[1], a[2], a[3]);
}

// Solves one cubic (singles: with the solver or the exact engine; doubles:
// with the exact engine) and writes its report or row.
template <class Real>
bool emit(const std::array<Real, 4>& a, const options& o, bool first) {
  const auto s = solve(a, o);
  std::string out;
  if (o.csv) {
    qubic::tool::append_csv_row(out, a, s);
  } else {
    if (!first) out += '\n';
    qubic::tool::append_report(out, a, s, o.exact ? &qubic::exact_flag_meaning : &qubic::flag_meaning);
  }
  return put(out);
}

// 0, 2 or 1 as in the header comment; Real is the precision the lines are
// read in.
template <class Real>
int run_stdin(const options& o) {
  qubic::tool::line_input in(0, max_line, stdout);
  std::string line;
  line.reserve(max_line);
  unsigned long long number = 0;
  bool first = true;
  bool rows = false;  // after the full CSV header: rows of that table
  while (true) {
    const got g = in.next(line);
    if (g == got::end) return 0;
    ++number;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (g == got::error) {
      std::fprintf(stderr, "qubic-solve: %sreading standard input: %s\n", where.c_str(), std::strerror(in.error()));
      return 1;
    }
    if (g == got::too_long) return fail(where + "longer than " + std::to_string(max_line) + " characters");
    if (number == 1) {
      const qubic::tool::header h = qubic::tool::read_header(line);
      if (h != qubic::tool::header::none) {
        rows = h == qubic::tool::header::full;
        continue;
      }
    }
    std::array<Real, 4> a{};
    std::string why;
    const qubic::tool::line_kind k = qubic::tool::read_line(rows ? qubic::tool::coefficients_of_row(line) : line, a, why);
    if (k == qubic::tool::line_kind::malformed) return fail(where + why);
    if (k == qubic::tool::line_kind::blank) continue;
    if (!emit(a, o, first) || std::ferror(stdout)) return 1;
    first = false;
  }
}

int run(int argc, char** argv) {
  options o;
  // Each coefficient argument read both ways (one syntax, two roundings),
  // since --double may come after it.
  cubic a{};
  qubic::tool::cubic_double ad{};
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const std::string where = "argument " + std::to_string(i) + ": ";
    bool* seen = arg == "--csv"       ? &o.csv
                 : arg == "--exact"   ? &o.exact
                 : arg == "--double"  ? &o.dbl
                 : arg == "--help"    ? &o.help
                 : arg == "--version" ? &o.version
                                      : nullptr;
    if (seen != nullptr) {
      if (*seen) return fail_usage(where + qubic::tool::quoted(arg) + " given twice");
      *seen = true;
    } else if (arg.size() >= 2 && arg.substr(0, 2) == "--") {
      return fail_usage(where + "unknown option " + qubic::tool::quoted(arg));
    } else {
      float x = 0.0f;
      double xd = 0.0;
      if (!qubic::call::read_free_real(arg, x) || !qubic::call::read_free_real(arg, xd)) {
        return fail_usage(where + qubic::tool::quoted(arg) + " is not a number");
      }
      if (count < 4) {
        a[static_cast<std::size_t>(count)] = x;
        ad[static_cast<std::size_t>(count)] = xd;
      }
      ++count;
    }
  }
  if (o.help) {
    std::printf("%s\n%s", usage, help_text);
    return 0;
  }
  if (o.version) {
    std::fputs("qubic-solve " QUBIC_VERSION "\n", stdout);
    return 0;
  }
  if (o.dbl && !o.exact) return fail_usage("--double needs --exact (the solver is single precision)");
  if (count != 0 && count != 4) {
    return fail_usage("expected 4 coefficients (A3 A2 A1 A0), found " + std::to_string(count));
  }
  // Reading standard input and writing it too: `qubic-solve --csv <f >>f`
  // would read its own rows for ever.  Refused before anything is written.
  if (count == 0 && qubic::call::same_regular_file(0, 1)) {
    std::fputs("qubic-solve: standard output: is the same file as standard input: the input would be overwritten\n",
               stderr);
    return 1;
  }
  if (o.csv && !put(std::string(qubic::tool::csv_header))) return 1;
  if (count == 4) return (o.dbl ? emit(ad, o, true) : emit(a, o, true)) ? 0 : 1;
  return o.dbl ? run_stdin<double>(o) : run_stdin<float>(o);
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard output is an error; a closed standard input reads as
  // empty and a closed standard error loses the messages, not the status.
  if (!qubic::call::open_std_fds("qubic-solve")) return 1;
  int status = run(argc, argv);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "qubic-solve: writing standard output: %s\n", std::strerror(errno));
    if (status == 0) status = 1;
  }
  return status;
}
