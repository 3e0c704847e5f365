// flag_meaning, exact_flag_meaning: the flag codes in plain words, for each
// engine.  The one place these words live: qubic-solve prints them and the
// README quotes them.
#include <qubic/solve.hpp>

namespace qubic {

std::string_view flag_meaning(std::int32_t code) {
  switch (code) {
    case flag::found:
      return "found and usable";
    case flag::all_roots:
      return "every number is a root (the polynomial is identically zero)";
    case flag::no_root:
      return "no such root (leading coefficient zero: fewer than three roots)";
    case flag::refused:
      return "input refused (a coefficient is infinite, NaN or subnormal)";
    case flag::unusable:
      return "computed but unusable (infinite, subnormal, or zero by underflow)";
    case flag::degraded:
      return "usable, but the deflation by it was degraded";
    case flag::unclean:
      return "do not trust: the real root or its deflation was not clean";
    case flag::not_computed:
      return "not computed";
    default:
      return "unknown flag code";
  }
}

// The exact engine shares the codes 0 and -1, and their words; 1, -3 and -2
// say something else there, and -4 .. -6 never occur.
std::string_view exact_flag_meaning(std::int32_t code) {
  switch (code) {
    case flag::found:
      return "correctly rounded";
    case flag::all_roots:
    case flag::no_root:
      return flag_meaning(code);
    case flag::refused:
      return "input refused (a coefficient is infinite or NaN)";
    case flag::unusable:
      return "correctly rounded, but a part overflows, is subnormal, or is a nonzero value that rounds to zero";
    default:
      return "unknown flag code";
  }
}

}  // namespace qubic
