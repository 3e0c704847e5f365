// append_report: one cubic and its roots, for people.
#include <cmath>
#include <cstddef>
#include <string>

#include "real_text.hpp"
#include "report.hpp"

namespace qubic::tool {
namespace {

// The width of a root's column: a real takes at most 15 characters as a
// single, 24 as a double ("-2.2250738585072014e-308").
template <class Real>
constexpr std::size_t column = sizeof(Real) == sizeof(float) ? 17 : 26;

void pad_to(std::string& out, std::size_t line_start, std::size_t width) {
  const std::size_t used = out.size() - line_start;
  out.append(used < width ? width - used : 1, ' ');
}

// " + c" or " - |c|" after the leading term; a NaN keeps " + nan".
template <class Real>
void append_term(std::string& out, Real c, const char* power) {
  if (std::signbit(c) && c == c) {
    out += " - ";
    append_real(out, -c);
  } else {
    out += " + ";
    append_real(out, c);
  }
  out += power;
}

template <class Real>
void report(std::string& out, const std::array<Real, 4>& a, const basic_solution<Real>& s, flag_words words) {
  constexpr std::size_t width = column<Real>;
  out += "cubic  ";
  append_real(out, a[0]);
  out += " x^3";
  append_term(out, a[1], " x^2");
  append_term(out, a[2], " x");
  append_term(out, a[3], "");
  out += "\nroot   real part";
  out.append(width - 9, ' ');
  out += "imaginary part";
  out.append(width - 14, ' ');
  out += "flag\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const std::size_t start = out.size();
    out += static_cast<char>('1' + k);
    pad_to(out, start, 7);
    if (s.written[k]) {
      append_real(out, s.root[k].real());
    } else {
      out += '-';
    }
    pad_to(out, start, 7 + width);
    if (s.written[k]) {
      append_real(out, s.root[k].imag());
    } else {
      out += '-';
    }
    pad_to(out, start, 7 + 2 * width);
    const std::int32_t f = s.flag[k];
    if (f >= 0) out += ' ';
    out += std::to_string(f);
    out += "  ";
    out += words(f);
    out += '\n';
  }
  out += s.solved() ? "solved: yes\n" : "solved: no\n";
}

}  // namespace

void append_report(std::string& out, const cubic& a, const solution& s, flag_words words) {
  report(out, a, s, words);
}

void append_report(std::string& out, const cubic_double& a, const solution_double& s, flag_words words) {
  report(out, a, s, words);
}

}  // namespace qubic::tool
