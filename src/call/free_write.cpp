// write_free_real, write_free_line: shortest round-trip decimals.
//
// The shortest form keeps the roots exact: each printed real reads back to
// the bits the solver produced, so two runs can be compared as text.
#include "call/free_write.hpp"

#include <charconv>

namespace qubic::call {

char* write_free_real(char* out, float x) {
  return std::to_chars(out, out + free_real_room, x).ptr;
}

char* write_free_line(char* out, float x1, float x2, float x3) {
  char* p = write_free_real(out, x1);
  *p++ = ' ';
  p = write_free_real(p, x2);
  *p++ = ' ';
  p = write_free_real(p, x3);
  *p++ = '\n';
  return p;
}

}  // namespace qubic::call
