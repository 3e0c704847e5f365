// append_csv_row: one cubic as a CSV row.
#include <string>

#include "real_text.hpp"
#include "report.hpp"

namespace qubic::tool {

void append_csv_row(std::string& out, const cubic& a, const solution& s) {
  for (const float c : a) {
    append_real(out, c);
    out += ',';
  }
  for (const std::int32_t f : s.flag) {
    out += std::to_string(f);
    out += ',';
  }
  for (std::size_t k = 0; k < 3; ++k) {
    if (s.written[k]) append_real(out, s.root[k].real());
    out += ',';
    if (s.written[k]) append_real(out, s.root[k].imag());
    out += k < 2 ? ',' : '\n';
  }
}

}  // namespace qubic::tool
