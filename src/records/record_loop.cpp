// record_loop: read, solve, write one record; and the message for a field
// that cannot be read.
#include "records/record_loop.hpp"

#include <cstdio>
#include <string_view>

#include "exact/monic.hpp"
#include "text/e16_write.hpp"

namespace qubic::records {
namespace {

using call::e16_width;

// One coefficient record, four E16.8 fields, highest power first, at out;
// returns its end.
char* put_record(char* out, const coeffs& c) {
  call::write_e16(c(3), out);
  call::write_e16(c(2), out + e16_width);
  call::write_e16(c(1), out + 2 * e16_width);
  call::write_e16(c(0), out + 3 * e16_width);
  out[record_width] = '\n';
  return out + record_width + 1;
}

}  // namespace

int record_loop::read_and_solve(const char* rec) {
  // Field k (1..4) holds the coefficient of x^(4-k).
  for (int k = 1; k <= 4; ++k) {
    if (!call::read_e16(std::string_view(rec + (k - 1) * e16_width, e16_width), array_(4 - k))) return k;
  }
  solve_(array_, rroot_, iroot_, fl_);
  // Summed in 64 bits: any flags a solver returns add up without overflow.
  const std::int64_t sum = std::int64_t{fl_(1)} + fl_(2) + fl_(3);
  solved_ = sum == 3;
  if (solved_) {
    if (exact_rebuild_) {
      exact::monic(rroot_, iroot_, rb_, ib_);
    } else {
      coef(rroot_, iroot_, rb_, ib_);
    }
  }
  return 0;
}

char* put_solved(char* r, const coeffs& rb, const coeffs& ib) {
  r[0] = '1';
  r[1] = '\n';
  return put_record(put_record(r + 2, rb), ib);
}

char* put_roots(char* o, const roots& rroot, const roots& iroot) {
  o = call::write_free_line(o, rroot(1), rroot(2), rroot(3));
  return call::write_free_line(o, iroot(1), iroot(2), iroot(3));
}

void field_error(char* text, std::size_t size, const char* path, std::uint64_t line, int k,
                 const char* rec) {
  const char* f = rec + (k - 1) * e16_width;
  std::size_t b = 0;
  std::size_t e = e16_width;
  while (b < e && f[b] == ' ') ++b;
  while (e > b && f[e - 1] == ' ') --e;
  char quoted[4 * e16_width + 1];
  std::size_t q = 0;
  for (std::size_t i = b; i < e; ++i) {
    const unsigned char c = static_cast<unsigned char>(f[i]);
    if (c == '"' || c == '\\') {
      quoted[q++] = '\\';
      quoted[q++] = static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      quoted[q++] = static_cast<char>(c);
    } else {
      q += static_cast<std::size_t>(std::snprintf(quoted + q, sizeof quoted - q, "\\x%02X", c));
    }
  }
  quoted[q] = '\0';
  const int first = (k - 1) * static_cast<int>(e16_width) + 1;
  std::snprintf(text, size, "qubic: %s:%llu: field %d (columns %d-%d): cannot read \"%s\" as a number\n", path,
                static_cast<unsigned long long>(line), k, first, first + static_cast<int>(e16_width) - 1, quoted);
}

}  // namespace qubic::records
