// flag_meaning: the flag codes in plain words.  The one place these words
// live: qubic-solve prints them and the README quotes them.
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

}  // namespace qubic
