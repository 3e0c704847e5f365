// append_real: shortest round-trip text of a float, NaN without sign.
#include "real_text.hpp"

#include <charconv>

namespace qubic::tool {

void append_real(std::string& out, float x) {
  if (x != x) {
    out += "nan";
    return;
  }
  char buf[32];  // the longest shortest form, "-1.17549435e-38", has 15
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  out.append(buf, r.ptr);
}

}  // namespace qubic::tool
