// append_csv_row: one cubic as a CSV row.
#include <string>

#include "real_text.hpp"
#include "report.hpp"

namespace qubic::tool {
namespace {

template <class Real>
void row(std::string& out, const std::array<Real, 4>& a, const basic_solution<Real>& s) {
  for (const Real c : a) {
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

}  // namespace

void append_csv_row(std::string& out, const cubic& a, const solution& s) { row(out, a, s); }
void append_csv_row(std::string& out, const cubic_double& a, const solution_double& s) { row(out, a, s); }

}  // namespace qubic::tool
