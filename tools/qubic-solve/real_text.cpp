// append_real: shortest round-trip text of a float or a double, NaN without sign.
#include "real_text.hpp"

#include <charconv>

namespace qubic::tool {
namespace {

template <class Real>
void append(std::string& out, Real x) {
  if (x != x) {
    out += "nan";
    return;
  }
  // The longest shortest forms: "-1.17549435e-38" (15), "-2.2250738585072014e-308" (24).
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  out.append(buf, r.ptr);
}

}  // namespace

void append_real(std::string& out, float x) { append(out, x); }
void append_real(std::string& out, double x) { append(out, x); }

}  // namespace qubic::tool
