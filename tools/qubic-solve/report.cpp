// append_report: one cubic and its roots, for people.
#include <cmath>
#include <cstddef>
#include <string>

#include "real_text.hpp"
#include "report.hpp"

namespace qubic::tool {
namespace {

constexpr std::size_t column = 17;  // a real takes at most 15 characters

void pad_to(std::string& out, std::size_t line_start, std::size_t width) {
  const std::size_t used = out.size() - line_start;
  out.append(used < width ? width - used : 1, ' ');
}

// " + c" or " - |c|" after the leading term; a NaN keeps " + nan".
void append_term(std::string& out, float c, const char* power) {
  if (std::signbit(c) && c == c) {
    out += " - ";
    append_real(out, -c);
  } else {
    out += " + ";
    append_real(out, c);
  }
  out += power;
}

}  // namespace

void append_report(std::string& out, const cubic& a, const solution& s, flag_words words) {
  out += "cubic  ";
  append_real(out, a[0]);
  out += " x^3";
  append_term(out, a[1], " x^2");
  append_term(out, a[2], " x");
  append_term(out, a[3], "");
  out += "\nroot   real part        imaginary part   flag\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const std::size_t start = out.size();
    out += static_cast<char>('1' + k);
    pad_to(out, start, 7);
    if (s.written[k]) {
      append_real(out, s.root[k].real());
    } else {
      out += '-';
    }
    pad_to(out, start, 7 + column);
    if (s.written[k]) {
      append_real(out, s.root[k].imag());
    } else {
      out += '-';
    }
    pad_to(out, start, 7 + 2 * column);
    const std::int32_t f = s.flag[k];
    if (f >= 0) out += ' ';
    out += std::to_string(f);
    out += "  ";
    out += words(f);
    out += '\n';
  }
  out += s.solved() ? "solved: yes\n" : "solved: no\n";
}

}  // namespace qubic::tool
