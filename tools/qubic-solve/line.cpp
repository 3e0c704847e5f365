// read_line, quoted: the free-form coefficient line of qubic-solve.
#include "line.hpp"

#include <cstddef>

#include "report.hpp"
#include "text/free_read.hpp"

namespace qubic::tool {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::string quoted(std::string_view s) {
  constexpr std::size_t room = 40;
  std::string q = "'";
  for (std::size_t k = 0; k < s.size() && k < room; ++k) {
    const char c = s[k];
    q += (c >= ' ' && c <= '~') ? c : '?';
  }
  if (s.size() > room) q += "...";
  q += '\'';
  return q;
}

template <class Real>
line_kind read_line(std::string_view line, std::array<Real, 4>& a, std::string& why) {
  std::array<Real, 4> got{};
  std::size_t count = 0;
  bool comma = false;  // a comma was seen since the last number
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size()) break;
    if (line[i] == ',') {
      if (count == 0) {
        why = "comma before the first number";
        return line_kind::malformed;
      }
      if (comma) {
        why = "empty field between two commas";
        return line_kind::malformed;
      }
      comma = true;
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < line.size() && !is_blank(line[i]) && line[i] != ',') ++i;
    const std::string_view token = line.substr(start, i - start);
    Real x = 0;
    if (!call::read_free_real(token, x)) {
      why = quoted(token) + " is not a number";
      return line_kind::malformed;
    }
    if (count < got.size()) got[count] = x;
    ++count;
    comma = false;
  }
  if (count == 0 && !comma) return line_kind::blank;
  if (comma) {
    why = "comma after the last number";
    return line_kind::malformed;
  }
  if (count != got.size()) {
    why = "expected 4 numbers, found " + std::to_string(count);
    return line_kind::malformed;
  }
  a = got;
  return line_kind::cubic;
}

template line_kind read_line(std::string_view, std::array<float, 4>&, std::string&);
template line_kind read_line(std::string_view, std::array<double, 4>&, std::string&);

header read_header(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::string_view full = csv_header.substr(0, csv_header.size() - 1);  // without its '\n'
  if (line == full) return header::full;
  if (line == "a3,a2,a1,a0") return header::coefficients;
  return header::none;
}

std::string_view coefficients_of_row(std::string_view line) {
  std::size_t at = 0;
  for (int k = 0; k < 4; ++k) {
    at = line.find(',', at);
    if (at == std::string_view::npos) return line;
    ++at;
  }
  return line.substr(0, at - 1);
}

}  // namespace qubic::tool
