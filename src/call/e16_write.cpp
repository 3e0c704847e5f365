// write_e16: a float as an E16.8 field.
//
// std::to_chars in scientific format with 7 digits after the point gives the
// correctly rounded 8 significant digits d.ddddddd and the exponent, carries
// included (9.99999997e-7 becomes 1.0000000e-06).  The digits are only moved
// into the 0.dddddddd shape, which raises the exponent by one; no rounding is
// done here.
#include "call/e16_write.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace qubic::call {
namespace {

constexpr int width = 16;

void right_justify(const char* text, int n, char* out) {
  std::memset(out, ' ', width);
  std::memcpy(out + (width - n), text, static_cast<std::size_t>(n));
}

}  // namespace

void write_e16(float x, char* out) {
  if (std::isnan(x)) {
    right_justify("NaN", 3, out);
    return;
  }
  if (std::isinf(x)) {
    if (std::signbit(x)) {
      right_justify("-Infinity", 9, out);
    } else {
      right_justify("Infinity", 8, out);
    }
    return;
  }

  // The magnitude as "d.ddddddde+XX": digits at 0 and 2..8, the exponent's
  // sign at 10, its digits from 11 on.  32 characters are always enough.
  const float ax = std::fabs(x);
  char sci[32];
  const auto sci_end = std::to_chars(sci, sci + sizeof sci, ax, std::chars_format::scientific, 7).ptr;
  int e10 = 0;
  std::from_chars(sci + 11, sci_end, e10);
  if (sci[10] == '-') e10 = -e10;

  // 0.dddddddd carries the exponent one higher, except zero, whose exponent stays 0.
  if (ax != 0.0f) e10 += 1;

  char text[width];
  int n = 0;
  if (std::signbit(x)) text[n++] = '-';
  text[n++] = '0';
  text[n++] = '.';
  text[n++] = sci[0];
  std::memcpy(text + n, sci + 2, 7);
  n += 7;
  text[n++] = 'E';
  text[n++] = e10 < 0 ? '-' : '+';
  const int ae = e10 < 0 ? -e10 : e10;  // 0..45 for a finite float: two digits
  text[n++] = static_cast<char>('0' + ae / 10);
  text[n++] = static_cast<char>('0' + ae % 10);
  right_justify(text, n, out);
}

}  // namespace qubic::call
